#include "platform/forms/Edit.h"

#include <QLineEdit>

#include "platform/forms/ByteText.h"

TEdit::TEdit(TComponent* owner) : TControl(owner), edit_(new QLineEdit()) {
    edit_->setGeometry(0, 0, 121, 21);
    SetWidget(edit_);
    SetColor(clWindow);
    QObject::connect(edit_, &QLineEdit::textChanged, [this] {
        if (OnChange)
            RunHandler([this] { OnChange(this); });
    });
}

std::string TEdit::Text() const {
    const QString shown = edit_->text();
    if (shown == shownText_)
        return setBytes_;
    return FromTypedText(shown);
}

void TEdit::SetText(const std::string& text) {
    setBytes_ = text;
    shownText_ = ToDisplayText(text);
    edit_->setText(shownText_);
}

void TEdit::SetPasswordChar(char passwordChar) {
    passwordChar_ = passwordChar;
    edit_->setEchoMode(passwordChar != 0 ? QLineEdit::Password : QLineEdit::Normal);
}

void TEdit::SetMaxLength(int length) {
    maxLength_ = length;
    edit_->setMaxLength(length > 0 ? length : 32767);
}

void TEdit::ColorChanged() {
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Base, ColorToQColor(Color()));
    edit_->setPalette(palette);
}
