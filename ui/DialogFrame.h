#pragma once
// What the five small setting dialogs share: a borderless form that sees keys first, in the
// dialog font on the button face colour, with an "X" button at its top right that closes it;
// and the controls of their rows. The dialogs themselves say what goes where.

#include <functional>
#include <string>

#include "platform/forms/Graphics.h"

class TButton;
class TEdit;
class TForm;
class TLabel;
class TShape;

// Makes the form borderless (its height is its client height), key-previewing, clBtnFace, in
// "MS Sans Serif" of height -11, of the given size.
void SetUpDialogFrame(TForm& form, const std::string& name, int width, int height);

// The "X" button, 15 by 21 at (left, 0).
TButton* AddBackButton(TForm& form, int left, int tabOrder);

TLabel* AddLabel(TForm& form, const std::string& name, int left, int top, const std::string& caption);
// An auto-sized, right-justified label whose right edge stays where a label of the given width
// at left would end.
TLabel* AddRightLabel(TForm& form, const std::string& name, int left, int top, int width);
TEdit* AddEdit(TForm& form, const std::string& name, int left, int top, int width, int tabOrder);
// A colour swatch: an ellipse of 21 by 21, outlined with a pen of width 2.
TShape* AddSwatch(TForm& form, const std::string& name, int left, int top);

// Escape (27) is consumed and closes the dialog through back; every other key passes.
void HandleDialogKey(char& key, const std::function<void()>& back);

// Paints the swatch with the colour that the edit's colour text names.
void PaintSwatch(TShape& swatch, const TEdit& edit, bool bgr);
