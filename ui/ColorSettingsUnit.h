#pragma once
// TColorSettingsForm: the small dialog of one to five colour texts, each with a round swatch
// that shows its colour while it is typed. The caller sets EntryCount and the captions and
// texts of those rows, places it, shows it modally and reads the texts of those rows back.
// Rows past EntryCount lie below the form's edge and keep what they held.

#include <functional>

#include "platform/forms/Form.h"

class TButton;
class TEdit;
class TLabel;
class TShape;

class TColorSettingsForm : public TForm {
public:
    explicit TColorSettingsForm(TComponent* Owner);

    TLabel* Entry1Label = nullptr;
    TEdit* Entry1Edit = nullptr;
    TShape* FontColor1Shape = nullptr;
    TLabel* Entry2Label = nullptr;
    TEdit* Entry2Edit = nullptr;
    TShape* FontColor2Shape = nullptr;
    TLabel* Entry3Label = nullptr;
    TEdit* Entry3Edit = nullptr;
    TShape* FontColor3Shape = nullptr;
    TLabel* Entry4Label = nullptr;
    TEdit* Entry4Edit = nullptr;
    TShape* FontColor4Shape = nullptr;
    TLabel* Entry5Label = nullptr;
    TEdit* Entry5Edit = nullptr;
    TShape* FontColor5Shape = nullptr;
    TButton* BackButton = nullptr;

    // The number of rows shown, 1 to 5.
    int EntryCount = 1;

    // Whether colour texts are read blue first (the main window's UseBGRFormat setting); the
    // main window sets it once. Unset, they are read red first.
    std::function<bool()> UseBGRFormat;

    // Paints the swatch with the colour of the edit's text.
    void UpdateSwatch(TEdit* Edit, TShape* Shape);

    void FormActivate(TObject* Sender);
    void FormKeyPress(TObject* Sender, char& Key);
    void BackButtonClick(TObject* Sender);
    void Entry1EditChange(TObject* Sender);
    void Entry2EditChange(TObject* Sender);
    void Entry3EditChange(TObject* Sender);
    void Entry4EditChange(TObject* Sender);
    void Entry5EditChange(TObject* Sender);
};

extern TColorSettingsForm* ColorSettingsForm;
