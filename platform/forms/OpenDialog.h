#pragma once
// The open-file dialog. Execute shows it modally and answers true with FileName set to the
// chosen file, or false when the user cancels. Tests answer it through the seam of TestSeams.h.

#include <string>

#include "platform/forms/Component.h"

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner);

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& dir) { initialDir_ = dir; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name) { fileName_ = name; }
    // "Description|pattern;pattern|Description|pattern", empty for every file.
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& filter) { filter_ = filter; }

    bool Execute();

private:
    std::string title_;
    std::string initialDir_;
    std::string fileName_;
    std::string filter_;
};
