#include "ui/TextSettingsUnit.h"

#include <string>

#include "platform/forms/Button.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "ui/DialogFrame.h"

TTextSettingsForm* TextSettingsForm = nullptr;

namespace {
constexpr int kRowPitch = 24;
}

TTextSettingsForm::TTextSettingsForm(TComponent* Owner) : TForm(Owner) {
    SetUpDialogFrame(*this, "TextSettingsForm", 292, kRowPitch);
    TLabel** labels[] = {&Entry1Label, &Entry2Label, &Entry3Label, &Entry4Label};
    TEdit** edits[] = {&Entry1Edit, &Entry2Edit, &Entry3Edit, &Entry4Edit};
    for (int i = 0; i < 4; ++i) {
        const std::string row = "Entry" + std::to_string(i + 1);
        *labels[i] = AddRightLabel(*this, row + "Label", 86, kRowPitch * i + 4, 32);
        *edits[i] = AddEdit(*this, row + "Edit", 122, kRowPitch * i, 150, i);
    }
    BackButton = AddBackButton(*this, 276, 4);
    BackButton->OnClick = [this](TObject* sender) { BackButtonClick(sender); };

    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnKeyPress = [this](TObject* sender, char& key) { FormKeyPress(sender, key); };
}

void TTextSettingsForm::FormActivate(TObject* /*Sender*/) {
    SetClientHeight(EntryCount * kRowPitch);
    Entry1Edit->SetFocus();
}

void TTextSettingsForm::FormKeyPress(TObject* Sender, char& Key) {
    HandleDialogKey(Key, [&] { BackButtonClick(Sender); });
}

void TTextSettingsForm::BackButtonClick(TObject* /*Sender*/) {
    Close();
}
