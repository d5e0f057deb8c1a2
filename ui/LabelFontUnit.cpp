#include "ui/LabelFontUnit.h"

#include "platform/forms/Button.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Shape.h"
#include "platform/runtime/Conversions.h"
#include "ui/DialogFrame.h"

TLabelFontForm* LabelFontForm = nullptr;

TLabelFontForm::TLabelFontForm(TComponent* Owner) : TForm(Owner) {
    SetUpDialogFrame(*this, "LabelFontForm", 217, 72);

    FontNameLabel = AddLabel(*this, "FontNameLabel", 2, 4, "Font Name");
    FontNameEdit = AddEdit(*this, "FontNameEdit", 56, 0, 142, 0);
    FontSizeLabel = AddLabel(*this, "FontSizeLabel", 10, 28, "Font Size");
    FontSizeEdit = AddEdit(*this, "FontSizeEdit", 56, 24, 30, 1);
    FontColorLabel = AddRightLabel(*this, "FontColorLabel", 1, 52, 71);
    FontColorEdit = AddEdit(*this, "FontColorEdit", 74, 48, 50, 2);
    FontColorEdit->OnChange = [this](TObject* sender) { FontColorEditChange(sender); };
    FontColorShape = AddSwatch(*this, "FontColorShape", 124, 48);
    BackButton = AddBackButton(*this, 201, 3);
    BackButton->OnClick = [this](TObject* sender) { BackButtonClick(sender); };

    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnKeyPress = [this](TObject* sender, char& key) { FormKeyPress(sender, key); };
}

void TLabelFontForm::UpdateLayout() {
    const bool withColor = !FontColorLabel->Caption().empty();
    FontColorLabel->SetVisible(withColor);
    FontColorEdit->SetVisible(withColor);
    FontColorShape->SetVisible(withColor);
    UpdateSwatch();
    SetClientHeight(withColor ? 72 : 48);
    // The caption may have moved the label's left edge; the row follows it back to the left.
    const int d = FontColorLabel->Left() - 2;
    FontColorLabel->SetLeft(FontColorLabel->Left() - d);
    FontColorEdit->SetLeft(FontColorEdit->Left() - d);
    FontColorShape->SetLeft(FontColorShape->Left() - d);
}

void TLabelFontForm::UpdateSwatch() {
    PaintSwatch(*FontColorShape, *FontColorEdit, UseBGRFormat && UseBGRFormat());
}

void TLabelFontForm::FormActivate(TObject* /*Sender*/) {
    FontNameEdit->SetFocus();
}

void TLabelFontForm::FormKeyPress(TObject* Sender, char& Key) {
    HandleDialogKey(Key, [&] { BackButtonClick(Sender); });
}

void TLabelFontForm::BackButtonClick(TObject* /*Sender*/) {
    // A text that is no number stays as typed: the caller reads it with its own default.
    if (rt::StrToIntDef(FontSizeEdit->Text(), 9) < 2) {
        FontSizeEdit->SetText("2");
    }
    Close();
}

void TLabelFontForm::FontColorEditChange(TObject* /*Sender*/) {
    UpdateSwatch();
}
