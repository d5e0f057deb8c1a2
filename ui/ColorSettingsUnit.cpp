#include "ui/ColorSettingsUnit.h"

#include <string>

#include "platform/forms/Button.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Shape.h"
#include "ui/DialogFrame.h"

TColorSettingsForm* ColorSettingsForm = nullptr;

namespace {
constexpr int kRowPitch = 24;
}

TColorSettingsForm::TColorSettingsForm(TComponent* Owner) : TForm(Owner) {
    SetUpDialogFrame(*this, "ColorSettingsForm", 217, kRowPitch);
    TLabel** labels[] = {&Entry1Label, &Entry2Label, &Entry3Label, &Entry4Label, &Entry5Label};
    TEdit** edits[] = {&Entry1Edit, &Entry2Edit, &Entry3Edit, &Entry4Edit, &Entry5Edit};
    TShape** shapes[] = {&FontColor1Shape, &FontColor2Shape, &FontColor3Shape, &FontColor4Shape,
                         &FontColor5Shape};
    void (TColorSettingsForm::*changes[])(TObject*) = {
        &TColorSettingsForm::Entry1EditChange, &TColorSettingsForm::Entry2EditChange,
        &TColorSettingsForm::Entry3EditChange, &TColorSettingsForm::Entry4EditChange,
        &TColorSettingsForm::Entry5EditChange};
    for (int i = 0; i < 5; ++i) {
        const std::string n = std::to_string(i + 1);
        *labels[i] = AddRightLabel(*this, "Entry" + n + "Label", 92, kRowPitch * i + 4, 32);
        *edits[i] = AddEdit(*this, "Entry" + n + "Edit", 126, kRowPitch * i, 50, i);
        (*edits[i])->OnChange = [this, change = changes[i]](TObject* sender) { (this->*change)(sender); };
        *shapes[i] = AddSwatch(*this, "FontColor" + n + "Shape", 176, kRowPitch * i);
    }
    BackButton = AddBackButton(*this, 201, 5);
    BackButton->OnClick = [this](TObject* sender) { BackButtonClick(sender); };

    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnKeyPress = [this](TObject* sender, char& key) { FormKeyPress(sender, key); };
}

void TColorSettingsForm::UpdateSwatch(TEdit* Edit, TShape* Shape) {
    PaintSwatch(*Shape, *Edit, UseBGRFormat && UseBGRFormat());
}

void TColorSettingsForm::FormActivate(TObject* /*Sender*/) {
    SetClientHeight(EntryCount * kRowPitch);
    // All five, shown or not: a row's swatch is right whenever it is next shown.
    UpdateSwatch(Entry1Edit, FontColor1Shape);
    UpdateSwatch(Entry2Edit, FontColor2Shape);
    UpdateSwatch(Entry3Edit, FontColor3Shape);
    UpdateSwatch(Entry4Edit, FontColor4Shape);
    UpdateSwatch(Entry5Edit, FontColor5Shape);
    Entry1Edit->SetFocus();
}

void TColorSettingsForm::FormKeyPress(TObject* Sender, char& Key) {
    HandleDialogKey(Key, [&] { BackButtonClick(Sender); });
}

void TColorSettingsForm::BackButtonClick(TObject* /*Sender*/) {
    Close();
}

void TColorSettingsForm::Entry1EditChange(TObject* /*Sender*/) {
    UpdateSwatch(Entry1Edit, FontColor1Shape);
}
void TColorSettingsForm::Entry2EditChange(TObject* /*Sender*/) {
    UpdateSwatch(Entry2Edit, FontColor2Shape);
}
void TColorSettingsForm::Entry3EditChange(TObject* /*Sender*/) {
    UpdateSwatch(Entry3Edit, FontColor3Shape);
}
void TColorSettingsForm::Entry4EditChange(TObject* /*Sender*/) {
    UpdateSwatch(Entry4Edit, FontColor4Shape);
}
void TColorSettingsForm::Entry5EditChange(TObject* /*Sender*/) {
    UpdateSwatch(Entry5Edit, FontColor5Shape);
}
