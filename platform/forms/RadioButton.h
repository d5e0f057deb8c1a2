#pragma once
// A radio button. The radio buttons of one parent are one choice: checking one, by a click or
// from the program, unchecks the others. The program can also uncheck a button.

#include <string>

#include "platform/forms/Control.h"

class QRadioButton;

class TRadioButton : public TControl {
public:
    explicit TRadioButton(TComponent* owner);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Checked() const;
    void SetChecked(bool checked);

    QRadioButton* RadioButton() const { return button_; }

private:
    QRadioButton* button_;
    std::string caption_;
};
