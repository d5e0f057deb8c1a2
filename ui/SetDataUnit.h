#pragma once
// TSetDataForm: the small dialog that edits one split cell, its time and its notes. The caller
// fills it, places it over the cell, shows it modally and reads both texts back, however it was
// closed; the dialog checks nothing.

#include "platform/forms/Form.h"

class TButton;
class TEdit;
class TLabel;
class TMemo;

class TSetDataForm : public TForm {
public:
    explicit TSetDataForm(TComponent* Owner);

    TEdit* TimeEdit = nullptr;
    TLabel* TimeDescLabel = nullptr;
    TButton* BackButton = nullptr;
    TMemo* NotesMemo = nullptr;

    void FormActivate(TObject* Sender);
    void FormKeyPress(TObject* Sender, char& Key);
    void BackButtonClick(TObject* Sender);
};

extern TSetDataForm* SetDataForm;
