#pragma once
// TTextSettingsForm: the small dialog of one to four labelled texts. The caller sets EntryCount
// and the captions and texts of those rows, places it, shows it modally and reads the texts of
// those rows back. Rows past EntryCount lie below the form's edge and keep what they held.

#include "platform/forms/Form.h"

class TButton;
class TEdit;
class TLabel;

class TTextSettingsForm : public TForm {
public:
    explicit TTextSettingsForm(TComponent* Owner);

    TLabel* Entry1Label = nullptr;
    TEdit* Entry1Edit = nullptr;
    TLabel* Entry2Label = nullptr;
    TEdit* Entry2Edit = nullptr;
    TLabel* Entry3Label = nullptr;
    TEdit* Entry3Edit = nullptr;
    TLabel* Entry4Label = nullptr;
    TEdit* Entry4Edit = nullptr;
    TButton* BackButton = nullptr;

    // The number of rows shown, 1 to 4.
    int EntryCount = 1;

    void FormActivate(TObject* Sender);
    void FormKeyPress(TObject* Sender, char& Key);
    void BackButtonClick(TObject* Sender);
};

extern TTextSettingsForm* TextSettingsForm;
