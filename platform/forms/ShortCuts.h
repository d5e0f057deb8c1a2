#pragma once
// Menu shortcuts as the class library kept them: a 16-bit value with the virtual-key code in the
// low byte and 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt; 0 means no shortcut.

#include <cstdint>
#include <string>

#include <QKeySequence>

using TShortCut = uint16_t;

constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// "Ctrl+O", "^O", "Shift+Ctrl+F5", "Space" ... to a shortcut; 0 when the text names no key.
TShortCut TextToShortCut(const std::string& text);

// The name of a virtual-key code from 8 to 255 ("BkSp", "F5", "A" ...); "" when it has none.
std::string KeyCodeName(int code);

// The Qt key sequence that triggers a menu item with this shortcut; empty for 0 or an
// unmappable code.
QKeySequence ShortCutToKeySequence(TShortCut shortCut);

// The virtual-key code of a Qt key (Qt::Key_Space gives 32), 0 when it has none. With keypad set
// (the event carried Qt::KeypadModifier) the keypad's own codes come first: Qt::Key_5 gives 101.
// Characters typed with Shift on a US layout give the code of their key (Qt::Key_Colon gives 186).
int QtKeyToVirtualKey(int qtKey, bool keypad = false);
