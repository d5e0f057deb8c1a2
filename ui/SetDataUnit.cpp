#include "ui/SetDataUnit.h"

#include "platform/forms/Button.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Memo.h"
#include "ui/DialogFrame.h"

TSetDataForm* SetDataForm = nullptr;

TSetDataForm::TSetDataForm(TComponent* Owner) : TForm(Owner) {
    SetUpDialogFrame(*this, "SetDataForm", 142, 73);
    SetBorderIcons(0);

    TimeEdit = AddEdit(*this, "TimeEdit", 0, 0, 65, 1);
    TimeEdit->SetText("00:00:00.00");
    TimeEdit->SetColor(clBtnFace);

    TimeDescLabel = new TLabel(this);
    TimeDescLabel->SetName("TimeDescLabel");
    TimeDescLabel->SetParent(this);
    TimeDescLabel->SetAutoSize(false);
    TimeDescLabel->SetBounds(66, 4, 58, 13);
    TimeDescLabel->SetCaption("Elapsed/Time");

    BackButton = AddBackButton(*this, 126, 2);
    BackButton->OnClick = [this](TObject* sender) { BackButtonClick(sender); };

    // Wider than the form by design; anchored, it follows the form's edges.
    NotesMemo = new TMemo(this);
    NotesMemo->SetName("NotesMemo");
    NotesMemo->SetParent(this);
    NotesMemo->SetBounds(0, 22, 144, 51);
    NotesMemo->SetAnchors(akLeft | akTop | akRight | akBottom);
    NotesMemo->SetColor(clBtnFace);
    NotesMemo->SetScrollBars(ssVertical);
    NotesMemo->SetWantTabs(true);
    NotesMemo->SetTabOrder(0);

    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnKeyPress = [this](TObject* sender, char& key) { FormKeyPress(sender, key); };
}

void TSetDataForm::FormActivate(TObject* /*Sender*/) {
    TimeEdit->SetFocus();
}

void TSetDataForm::FormKeyPress(TObject* Sender, char& Key) {
    HandleDialogKey(Key, [&] { BackButtonClick(Sender); });
}

void TSetDataForm::BackButtonClick(TObject* /*Sender*/) {
    Close();
}
