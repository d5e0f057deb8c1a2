#pragma once
// A radio button. The radio buttons of one parent are one choice: checking one, by a click, by an
// arrow key or from the program, unchecks the others. The program can also uncheck a button.
// As on every desktop, the keyboard is on a choice at its checked button (Tab skips the others,
// and the keyboard follows the choice when it changes), and the arrow keys move the choice to the
// next or previous button of the parent that the user can see, round at the ends.

#include <string>
#include <vector>

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
    friend class RadioWidget;
    // The radio buttons of the parent, this one included, in tab order.
    std::vector<TRadioButton*> Choice() const;
    // The checked button of the choice, null when none is.
    TRadioButton* CheckedChoice() const;
    // Only the checked button of a choice takes the keyboard from Tab.
    void UpdateTabStops();
    // An arrow key: step = 1 for the next button, -1 for the previous one.
    void MoveChoice(int step);

    QRadioButton* button_;
    std::string caption_;
};
