#include "platform/forms/Edit.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QProxyStyle>
#include <QWidget>

#include "platform/forms/ByteText.h"

namespace {

// Qt's password mode draws the style's own character (a bullet); an entry draws the one it was
// given. The style is otherwise the application's.
class PasswordStyle : public QProxyStyle {
public:
    explicit PasswordStyle(char passwordChar) : shown_(ToDisplayText(std::string(1, passwordChar)).at(0)) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return shown_.unicode();
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }

private:
    QChar shown_;
};

} // namespace

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
    if (passwordChar == passwordChar_)
        return;
    passwordChar_ = passwordChar;
    // The entry reads the character from its style when the style is set.
    QStyle* old = passwordStyle_;
    passwordStyle_ = passwordChar != 0 ? new PasswordStyle(passwordChar) : nullptr;
    if (passwordStyle_ != nullptr)
        passwordStyle_->setParent(edit_);
    edit_->setStyle(passwordStyle_);
    delete old;
    edit_->setEchoMode(passwordChar != 0 ? QLineEdit::Password : QLineEdit::Normal);
}

void TEdit::SetMaxLength(int length) {
    maxLength_ = length;
    edit_->setMaxLength(length > 0 ? length : 32767);
}

void TEdit::FocusedByProgram() {
    edit_->selectAll();
}

bool TEdit::WidgetEvent(QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool returning = leftWithWindow_;
        leftWithWindow_ = false;
        switch (reason) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::OtherFocusReason:
            edit_->selectAll();
            break;
        case Qt::ActiveWindowFocusReason:
            if (!returning)
                edit_->selectAll();
            break;
        default: // the mouse places the caret; a closed popup menu gives the keyboard back
            break;
        }
    } else if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        leftWithWindow_ = (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) &&
                          edit_->window()->isVisible();
    }
    return TControl::WidgetEvent(event);
}

void TEdit::ColorChanged() {
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Base, ColorToQColor(Color()));
    edit_->setPalette(palette);
}
