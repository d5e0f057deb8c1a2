#pragma once
// A check box with a caption. Alignment taLeftJustify puts the box to the right of the text.

#include <string>

#include "platform/forms/Control.h"

class QCheckBox;

class TCheckBox : public TControl {
public:
    explicit TCheckBox(TComponent* owner);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Checked() const;
    void SetChecked(bool checked);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);

    QCheckBox* CheckBox() const { return box_; }

private:
    QCheckBox* box_;
    std::string caption_;
    TAlignment alignment_ = taRightJustify;
};
