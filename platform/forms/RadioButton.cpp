#include "platform/forms/RadioButton.h"

#include <QRadioButton>

#include "platform/forms/ByteText.h"

namespace {

// A click checks the button; it never unchecks it.
class RadioWidget : public QRadioButton {
protected:
    void nextCheckState() override { setChecked(true); }
};

} // namespace

TRadioButton::TRadioButton(TComponent* owner) : TControl(owner), button_(new RadioWidget()) {
    // The choice is made among the buttons of the same parent only; Qt would take in the radio
    // buttons of nested panels as well.
    button_->setAutoExclusive(false);
    button_->setGeometry(0, 0, 113, 17);
    SetWidget(button_);
    QObject::connect(button_, &QRadioButton::toggled, [this](bool checked) {
        if (!checked || Parent() == nullptr)
            return;
        for (int i = 0; i < Parent()->ControlCount(); ++i) {
            auto* sibling = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
            if (sibling != nullptr && sibling != this)
                sibling->button_->setChecked(false);
        }
    });
}

void TRadioButton::SetCaption(const std::string& caption) {
    caption_ = caption;
    button_->setText(ToDisplayText(caption));
}

bool TRadioButton::Checked() const {
    return button_->isChecked();
}

void TRadioButton::SetChecked(bool checked) {
    button_->setChecked(checked);
}
