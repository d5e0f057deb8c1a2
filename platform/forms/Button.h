#pragma once
// A push button: a caption and OnClick (TControl).

#include <string>

#include "platform/forms/Control.h"

class QPushButton;

class TButton : public TControl {
public:
    explicit TButton(TComponent* owner);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

private:
    QPushButton* button_;
    std::string caption_;
};
