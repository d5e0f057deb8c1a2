#pragma once
// TRadioSettingsForm: the small dialog of one to five exclusive choices. The caller sets
// EntryCount, the captions of those buttons and the checked one, places it, shows it modally and
// reads back which button is checked.

#include "platform/forms/Form.h"

class TButton;
class TRadioButton;

class TRadioSettingsForm : public TForm {
public:
    explicit TRadioSettingsForm(TComponent* Owner);

    TRadioButton* RadioButton1 = nullptr;
    TRadioButton* RadioButton2 = nullptr;
    TRadioButton* RadioButton3 = nullptr;
    TRadioButton* RadioButton4 = nullptr;
    TRadioButton* RadioButton5 = nullptr;
    TButton* BackButton = nullptr;

    // The number of choices shown, 1 to 5.
    int EntryCount = 1;

    void FormActivate(TObject* Sender);
    void FormKeyPress(TObject* Sender, char& Key);
    void BackButtonClick(TObject* Sender);
};

extern TRadioSettingsForm* RadioSettingsForm;
