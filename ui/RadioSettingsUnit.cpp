#include "ui/RadioSettingsUnit.h"

#include <algorithm>
#include <string>

#include "platform/forms/Button.h"
#include "platform/forms/RadioButton.h"
#include "ui/DialogFrame.h"

TRadioSettingsForm* RadioSettingsForm = nullptr;

namespace {
constexpr int kRowPitch = 20;
}

TRadioSettingsForm::TRadioSettingsForm(TComponent* Owner) : TForm(Owner) {
    SetUpDialogFrame(*this, "RadioSettingsForm", 212, kRowPitch);
    TRadioButton** buttons[] = {&RadioButton1, &RadioButton2, &RadioButton3, &RadioButton4, &RadioButton5};
    for (int i = 0; i < 5; ++i) {
        // One parent for all five: checking one unchecks the others.
        auto* button = new TRadioButton(this);
        button->SetName("RadioButton" + std::to_string(i + 1));
        button->SetParent(this);
        button->SetBounds(2, kRowPitch * i + 4, 190, 17);
        button->SetTabOrder(i);
        *buttons[i] = button;
    }
    BackButton = AddBackButton(*this, 195, 5);
    BackButton->OnClick = [this](TObject* sender) { BackButtonClick(sender); };

    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnKeyPress = [this](TObject* sender, char& key) { FormKeyPress(sender, key); };
}

// The focus stays where the form puts it by default.
void TRadioSettingsForm::FormActivate(TObject* /*Sender*/) {
    // As tall as the last shown choice needs: each row begins a little way into its pitch, so a
    // whole number of pitches would cut off the bottom of the last one.
    const TRadioButton* buttons[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4, RadioButton5};
    const TRadioButton* last = buttons[std::clamp(EntryCount, 1, 5) - 1];
    SetClientHeight(last->Top() + last->Height());
}

void TRadioSettingsForm::FormKeyPress(TObject* Sender, char& Key) {
    HandleDialogKey(Key, [&] { BackButtonClick(Sender); });
}

void TRadioSettingsForm::BackButtonClick(TObject* /*Sender*/) {
    Close();
}
