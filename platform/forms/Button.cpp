#include "platform/forms/Button.h"

#include <QPushButton>

#include "platform/forms/ByteText.h"

TButton::TButton(TComponent* owner) : TControl(owner), button_(new QPushButton()) {
    // Enter does not press a button that merely has the focus.
    button_->setAutoDefault(false);
    button_->setDefault(false);
    button_->setGeometry(0, 0, 75, 25);
    SetWidget(button_);
    QObject::connect(button_, &QPushButton::clicked, [this] { Click(); });
}

void TButton::SetCaption(const std::string& caption) {
    caption_ = caption;
    button_->setText(ToDisplayText(caption));
}
