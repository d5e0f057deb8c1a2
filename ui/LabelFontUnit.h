#pragma once
// TLabelFontForm: the small dialog that edits a font's name and size and, when the caller gives
// the colour row a caption, a colour text with its swatch. The caller fills it, calls
// UpdateLayout, places it, shows it modally and reads the texts back. Closing it raises a font
// size below 2 to "2"; nothing else is checked.

#include <functional>

#include "platform/forms/Form.h"

class TButton;
class TEdit;
class TLabel;
class TShape;

class TLabelFontForm : public TForm {
public:
    explicit TLabelFontForm(TComponent* Owner);

    TLabel* FontNameLabel = nullptr;
    TEdit* FontNameEdit = nullptr;
    TLabel* FontSizeLabel = nullptr;
    TEdit* FontSizeEdit = nullptr;
    TLabel* FontColorLabel = nullptr;
    TEdit* FontColorEdit = nullptr;
    TShape* FontColorShape = nullptr;
    TButton* BackButton = nullptr;

    // Whether colour texts are read blue first (the main window's UseBGRFormat setting); the
    // main window sets it once. Unset, they are read red first.
    std::function<bool()> UseBGRFormat;

    // Shows the colour row exactly when its caption is not empty, sizes the form to the rows
    // shown, moves the colour row to start at the left and paints the swatch.
    void UpdateLayout();
    void UpdateSwatch();

    void FormActivate(TObject* Sender);
    void FormKeyPress(TObject* Sender, char& Key);
    void BackButtonClick(TObject* Sender);
    void FontColorEditChange(TObject* Sender);
};

extern TLabelFontForm* LabelFontForm;
