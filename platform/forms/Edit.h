#pragma once
// A one-line text entry. Text is shown from the program's bytes (ByteText.h) and read back as
// UTF-8; a text the user left as it was set gives back the very bytes that were set. OnChange
// runs on every change of the text, typed or set.
// Entering the entry selects its whole text, so that typing replaces the old value: when the
// program focuses it, when its form first puts the keyboard on it, and by Tab or Shift+Tab. A
// mouse click places the caret where it lands, and coming back to a window that the user had
// left keeps the caret where it was.

#include <string>

#include <QString>

#include "platform/forms/Control.h"

class QLineEdit;
class QStyle;

class TEdit : public TControl {
public:
    explicit TEdit(TComponent* owner);

    std::string Text() const;
    void SetText(const std::string& text);

    // A character other than 0 hides the typed text: the entry shows that character for each one.
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char passwordChar);
    // 0 means no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);

    TNotifyEvent OnChange;

    QLineEdit* LineEdit() const { return edit_; }

protected:
    void ColorChanged() override;
    void FocusedByProgram() override;
    bool WidgetEvent(QEvent* event) override;

private:
    QLineEdit* edit_;
    // The bytes last set and how they were shown: an untouched text gives back the same bytes.
    std::string setBytes_;
    QString shownText_;
    // The keyboard left with its window (deactivated, or a popup menu opened), not for another
    // control: when it comes back, the user goes on where they were.
    bool leftWithWindow_ = false;
    char passwordChar_ = 0;
    // Draws passwordChar_; owned by the entry's widget.
    QStyle* passwordStyle_ = nullptr;
    int maxLength_ = 0;
};
