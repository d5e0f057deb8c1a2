#include "platform/forms/RadioButton.h"

#include <algorithm>

#include <QKeyEvent>
#include <QRadioButton>

#include "platform/forms/ByteText.h"

class RadioWidget : public QRadioButton {
public:
    explicit RadioWidget(TRadioButton* control) : control_(control) {}

protected:
    // A click checks the button; it never unchecks it.
    void nextCheckState() override { setChecked(true); }

    void keyPressEvent(QKeyEvent* event) override {
        if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
            QRadioButton::keyPressEvent(event);
            return;
        }
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Left:
            control_->MoveChoice(-1);
            break;
        case Qt::Key_Down:
        case Qt::Key_Right:
            control_->MoveChoice(1);
            break;
        default:
            QRadioButton::keyPressEvent(event);
        }
    }

private:
    TRadioButton* control_;
};

namespace {

// A button the user can see and reach.
bool CanTakeTheChoice(const TRadioButton* button) {
    return button->Widget()->isEnabled() && button->CanBeSeen();
}

} // namespace

TRadioButton::TRadioButton(TComponent* owner) : TControl(owner), button_(new RadioWidget(this)) {
    // The choice is made among the buttons of the same parent only; Qt would take in the radio
    // buttons of nested panels as well.
    button_->setAutoExclusive(false);
    button_->setGeometry(0, 0, 113, 17);
    SetWidget(button_);
    QObject::connect(button_, &QRadioButton::toggled, [this](bool checked) {
        if (Parent() == nullptr)
            return;
        if (checked) {
            // The keyboard follows the choice: a dialog shown again on another choice opens with
            // the keyboard on the button now checked, not on the one that had it last time.
            bool hadTheKeyboard = false;
            for (TRadioButton* sibling : Choice()) {
                if (sibling == this)
                    continue;
                hadTheKeyboard = hadTheKeyboard || sibling->button_ == button_->window()->focusWidget();
                sibling->button_->setChecked(false);
            }
            if (hadTheKeyboard)
                button_->setFocus(Qt::OtherFocusReason);
        }
        UpdateTabStops();
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

std::vector<TRadioButton*> TRadioButton::Choice() const {
    std::vector<TRadioButton*> buttons;
    if (Parent() == nullptr)
        return buttons;
    for (int i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* button = dynamic_cast<TRadioButton*>(Parent()->Controls(i)))
            buttons.push_back(button);
    std::stable_sort(buttons.begin(), buttons.end(), [](const TRadioButton* a, const TRadioButton* b) {
        return a->TabOrder() < b->TabOrder();
    });
    return buttons;
}

TRadioButton* TRadioButton::CheckedChoice() const {
    for (TRadioButton* button : Choice())
        if (button->Checked())
            return button;
    return nullptr;
}

void TRadioButton::UpdateTabStops() {
    const bool anyChecked = CheckedChoice() != nullptr;
    for (TRadioButton* button : Choice())
        button->button_->setFocusPolicy(!anyChecked || button->Checked() ? Qt::StrongFocus : Qt::ClickFocus);
}

void TRadioButton::MoveChoice(int step) {
    const std::vector<TRadioButton*> buttons = Choice();
    const auto self = std::find(buttons.begin(), buttons.end(), this);
    if (self == buttons.end())
        return;
    const int count = static_cast<int>(buttons.size());
    const int from = static_cast<int>(self - buttons.begin());
    for (int k = 1; k < count; ++k) {
        TRadioButton* next = buttons[static_cast<size_t>(((from + step * k) % count + count) % count)];
        if (CanTakeTheChoice(next)) {
            next->SetChecked(true);
            next->button_->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}
