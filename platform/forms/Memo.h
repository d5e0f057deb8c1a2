#pragma once
// A text area of several lines. Text joins the lines with CR LF; setting it accepts CR LF, LF
// and CR as line ends, and a text the user left as it was set gives back the very bytes that
// were set. With WantTabs the Tab key types a tab instead of moving the focus.

#include <memory>
#include <string>

#include <QString>

#include "platform/forms/Control.h"
#include "platform/forms/Strings.h"

class QPlainTextEdit;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TControl {
public:
    explicit TMemo(TComponent* owner);
    ~TMemo() override;

    std::string Text() const;
    void SetText(const std::string& text);
    TStrings* Lines() const { return lines_.get(); }

    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool wantTabs);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);

    TNotifyEvent OnChange;

    QPlainTextEdit* TextEdit() const { return edit_; }

protected:
    void ColorChanged() override;

private:
    QPlainTextEdit* edit_;
    std::string setBytes_;
    QString shownText_;
    std::unique_ptr<TStrings> lines_;
    bool wantTabs_ = false;
    TScrollStyle scrollBars_ = ssNone;
};
