#include "platform/forms/CheckBox.h"

#include <QCheckBox>

#include "platform/forms/ByteText.h"

TCheckBox::TCheckBox(TComponent* owner) : TControl(owner), box_(new QCheckBox()) {
    box_->setGeometry(0, 0, 97, 17);
    SetWidget(box_);
}

void TCheckBox::SetCaption(const std::string& caption) {
    caption_ = caption;
    box_->setText(ToDisplayText(caption));
}

bool TCheckBox::Checked() const {
    return box_->isChecked();
}

void TCheckBox::SetChecked(bool checked) {
    box_->setChecked(checked);
}

void TCheckBox::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    // Left-justified text has its box on the right.
    box_->setLayoutDirection(alignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}
