#include "platform/forms/ShortCuts.h"

#include <array>
#include <cctype>

namespace {

// One virtual-key code: its name and the Qt key that stands for it. Codes that no Linux keyboard
// sends, or that Qt has no key for, are left out and have no name.
struct KeyEntry {
    int code;
    const char* name;
    int qtKey;
    bool keypad;
};

// Names of codes outside the fixed set (BkSp ... F24) follow Qt's key names on a US layout; the
// punctuation keys are named by the character they type there.
constexpr KeyEntry kKeys[] = {
    {8, "BkSp", Qt::Key_Backspace, false},
    {9, "Tab", Qt::Key_Tab, false},
    {12, "Clear", Qt::Key_Clear, false},
    {13, "Enter", Qt::Key_Return, false},
    {16, "Shift", Qt::Key_Shift, false},
    {17, "Ctrl", Qt::Key_Control, false},
    {18, "Alt", Qt::Key_Alt, false},
    {19, "Pause", Qt::Key_Pause, false},
    {20, "CapsLock", Qt::Key_CapsLock, false},
    {21, "Kana", Qt::Key_Kana_Lock, false},
    {25, "Kanji", Qt::Key_Kanji, false},
    {27, "Esc", Qt::Key_Escape, false},
    {28, "Henkan", Qt::Key_Henkan, false},
    {29, "Muhenkan", Qt::Key_Muhenkan, false},
    {32, "Space", Qt::Key_Space, false},
    {33, "PgUp", Qt::Key_PageUp, false},
    {34, "PgDn", Qt::Key_PageDown, false},
    {35, "End", Qt::Key_End, false},
    {36, "Home", Qt::Key_Home, false},
    {37, "Left", Qt::Key_Left, false},
    {38, "Up", Qt::Key_Up, false},
    {39, "Right", Qt::Key_Right, false},
    {40, "Down", Qt::Key_Down, false},
    {41, "Select", Qt::Key_Select, false},
    {42, "Printer", Qt::Key_Printer, false},
    {43, "Execute", Qt::Key_Execute, false},
    {44, "Print", Qt::Key_Print, false},
    {45, "Ins", Qt::Key_Insert, false},
    {46, "Del", Qt::Key_Delete, false},
    {47, "Help", Qt::Key_Help, false},
    {48, "0", Qt::Key_0, false},
    {49, "1", Qt::Key_1, false},
    {50, "2", Qt::Key_2, false},
    {51, "3", Qt::Key_3, false},
    {52, "4", Qt::Key_4, false},
    {53, "5", Qt::Key_5, false},
    {54, "6", Qt::Key_6, false},
    {55, "7", Qt::Key_7, false},
    {56, "8", Qt::Key_8, false},
    {57, "9", Qt::Key_9, false},
    {65, "A", Qt::Key_A, false},
    {66, "B", Qt::Key_B, false},
    {67, "C", Qt::Key_C, false},
    {68, "D", Qt::Key_D, false},
    {69, "E", Qt::Key_E, false},
    {70, "F", Qt::Key_F, false},
    {71, "G", Qt::Key_G, false},
    {72, "H", Qt::Key_H, false},
    {73, "I", Qt::Key_I, false},
    {74, "J", Qt::Key_J, false},
    {75, "K", Qt::Key_K, false},
    {76, "L", Qt::Key_L, false},
    {77, "M", Qt::Key_M, false},
    {78, "N", Qt::Key_N, false},
    {79, "O", Qt::Key_O, false},
    {80, "P", Qt::Key_P, false},
    {81, "Q", Qt::Key_Q, false},
    {82, "R", Qt::Key_R, false},
    {83, "S", Qt::Key_S, false},
    {84, "T", Qt::Key_T, false},
    {85, "U", Qt::Key_U, false},
    {86, "V", Qt::Key_V, false},
    {87, "W", Qt::Key_W, false},
    {88, "X", Qt::Key_X, false},
    {89, "Y", Qt::Key_Y, false},
    {90, "Z", Qt::Key_Z, false},
    {91, "Meta", Qt::Key_Meta, false},
    {92, "Right Meta", Qt::Key_Meta, false},
    {93, "Menu", Qt::Key_Menu, false},
    {95, "Sleep", Qt::Key_Sleep, false},
    // The keypad digits share the names of the main digits, which come first, so a text never
    // selects them.
    {96, "0", Qt::Key_0, true},
    {97, "1", Qt::Key_1, true},
    {98, "2", Qt::Key_2, true},
    {99, "3", Qt::Key_3, true},
    {100, "4", Qt::Key_4, true},
    {101, "5", Qt::Key_5, true},
    {102, "6", Qt::Key_6, true},
    {103, "7", Qt::Key_7, true},
    {104, "8", Qt::Key_8, true},
    {105, "9", Qt::Key_9, true},
    {106, "Num *", Qt::Key_Asterisk, true},
    {107, "Num +", Qt::Key_Plus, true},
    {108, "Num ,", Qt::Key_Comma, true},
    {109, "Num -", Qt::Key_Minus, true},
    {110, "Num .", Qt::Key_Period, true},
    {111, "Num /", Qt::Key_Slash, true},
    {112, "F1", Qt::Key_F1, false},
    {113, "F2", Qt::Key_F2, false},
    {114, "F3", Qt::Key_F3, false},
    {115, "F4", Qt::Key_F4, false},
    {116, "F5", Qt::Key_F5, false},
    {117, "F6", Qt::Key_F6, false},
    {118, "F7", Qt::Key_F7, false},
    {119, "F8", Qt::Key_F8, false},
    {120, "F9", Qt::Key_F9, false},
    {121, "F10", Qt::Key_F10, false},
    {122, "F11", Qt::Key_F11, false},
    {123, "F12", Qt::Key_F12, false},
    {124, "F13", Qt::Key_F13, false},
    {125, "F14", Qt::Key_F14, false},
    {126, "F15", Qt::Key_F15, false},
    {127, "F16", Qt::Key_F16, false},
    {128, "F17", Qt::Key_F17, false},
    {129, "F18", Qt::Key_F18, false},
    {130, "F19", Qt::Key_F19, false},
    {131, "F20", Qt::Key_F20, false},
    {132, "F21", Qt::Key_F21, false},
    {133, "F22", Qt::Key_F22, false},
    {134, "F23", Qt::Key_F23, false},
    {135, "F24", Qt::Key_F24, false},
    {144, "NumLock", Qt::Key_NumLock, false},
    {145, "ScrollLock", Qt::Key_ScrollLock, false},
    {160, "Left Shift", Qt::Key_Shift, false},
    {161, "Right Shift", Qt::Key_Shift, false},
    {162, "Left Ctrl", Qt::Key_Control, false},
    {163, "Right Ctrl", Qt::Key_Control, false},
    {164, "Left Alt", Qt::Key_Alt, false},
    {165, "Right Alt", Qt::Key_Alt, false},
    {166, "Back", Qt::Key_Back, false},
    {167, "Forward", Qt::Key_Forward, false},
    {168, "Refresh", Qt::Key_Refresh, false},
    {169, "Stop", Qt::Key_Stop, false},
    {170, "Search", Qt::Key_Search, false},
    {171, "Favorites", Qt::Key_Favorites, false},
    {172, "Home Page", Qt::Key_HomePage, false},
    {173, "Volume Mute", Qt::Key_VolumeMute, false},
    {174, "Volume Down", Qt::Key_VolumeDown, false},
    {175, "Volume Up", Qt::Key_VolumeUp, false},
    {176, "Media Next", Qt::Key_MediaNext, false},
    {177, "Media Previous", Qt::Key_MediaPrevious, false},
    {178, "Media Stop", Qt::Key_MediaStop, false},
    {179, "Media Play/Pause", Qt::Key_MediaTogglePlayPause, false},
    {180, "Launch Mail", Qt::Key_LaunchMail, false},
    {181, "Launch Media", Qt::Key_LaunchMedia, false},
    {182, "My Computer", Qt::Key_Launch0, false},
    {183, "Calculator", Qt::Key_Launch1, false},
    {186, ";", Qt::Key_Semicolon, false},
    {187, "=", Qt::Key_Equal, false},
    {188, ",", Qt::Key_Comma, false},
    {189, "-", Qt::Key_Minus, false},
    {190, ".", Qt::Key_Period, false},
    {191, "/", Qt::Key_Slash, false},
    {192, "`", Qt::Key_QuoteLeft, false},
    {219, "[", Qt::Key_BracketLeft, false},
    {220, "\\", Qt::Key_Backslash, false},
    {221, "]", Qt::Key_BracketRight, false},
    {222, "'", Qt::Key_Apostrophe, false},
    {250, "Play", Qt::Key_Play, false},
    {251, "Zoom", Qt::Key_Zoom, false},
};

// Keys that Qt reports by the character they type with Shift on a US layout, and keys Qt names
// apart from Windows (the keypad Enter, Shift+Tab): the code of the key they are typed on.
constexpr std::pair<int, int> kQtAliases[] = {
    {Qt::Key_Enter, 13},       {Qt::Key_Backtab, 9},     {Qt::Key_ParenRight, 48},
    {Qt::Key_Exclam, 49},      {Qt::Key_At, 50},         {Qt::Key_NumberSign, 51},
    {Qt::Key_Dollar, 52},      {Qt::Key_Percent, 53},    {Qt::Key_AsciiCircum, 54},
    {Qt::Key_Ampersand, 55},   {Qt::Key_Asterisk, 56},   {Qt::Key_ParenLeft, 57},
    {Qt::Key_Colon, 186},      {Qt::Key_Plus, 187},      {Qt::Key_Less, 188},
    {Qt::Key_Underscore, 189}, {Qt::Key_Greater, 190},   {Qt::Key_Question, 191},
    {Qt::Key_AsciiTilde, 192}, {Qt::Key_BraceLeft, 219}, {Qt::Key_Bar, 220},
    {Qt::Key_BraceRight, 221}, {Qt::Key_QuoteDbl, 222},  {Qt::Key_AltGr, 165},
    {Qt::Key_Super_L, 91},     {Qt::Key_Super_R, 92},
};

const std::array<const KeyEntry*, 256>& EntriesByCode() {
    static const std::array<const KeyEntry*, 256> table = [] {
        std::array<const KeyEntry*, 256> t{};
        for (const KeyEntry& e : kKeys) {
            t[e.code] = &e;
        }
        return t;
    }();
    return table;
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == '\0' || std::toupper(static_cast<unsigned char>(a[i])) !=
                                std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return b[i] == '\0';
}

// True, with the prefix removed from the front of text at pos, when text continues with it.
bool TakePrefix(const std::string& text, size_t& pos, const char* prefix) {
    size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (pos + i >= text.size() || std::toupper(static_cast<unsigned char>(text[pos + i])) !=
                                          std::toupper(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    pos += i;
    return true;
}

} // namespace

TShortCut TextToShortCut(const std::string& text) {
    TShortCut modifiers = 0;
    size_t pos = 0;
    for (;;) {
        if (TakePrefix(text, pos, "Shift+")) {
            modifiers |= scShift;
        } else if (TakePrefix(text, pos, "Ctrl+") || TakePrefix(text, pos, "^")) {
            modifiers |= scCtrl;
        } else if (TakePrefix(text, pos, "Alt+")) {
            modifiers |= scAlt;
        } else {
            break;
        }
    }
    const std::string key = text.substr(pos);
    if (key.empty()) {
        return 0;
    }
    // Codes in ascending order, so the first name that matches wins (the main digits before the
    // keypad's).
    for (const KeyEntry& e : kKeys) {
        if (EqualsIgnoringCase(key, e.name)) {
            return static_cast<TShortCut>(e.code | modifiers);
        }
    }
    return 0;
}

std::string KeyCodeName(int code) {
    if (code < 8 || code > 255) {
        return "";
    }
    const KeyEntry* e = EntriesByCode()[code];
    return e ? e->name : "";
}

QKeySequence ShortCutToKeySequence(TShortCut shortCut) {
    const KeyEntry* e = EntriesByCode()[shortCut & 0xFF];
    if (shortCut == 0 || e == nullptr) {
        return QKeySequence();
    }
    Qt::KeyboardModifiers mods;
    if (shortCut & scShift) {
        mods |= Qt::ShiftModifier;
    }
    if (shortCut & scCtrl) {
        mods |= Qt::ControlModifier;
    }
    if (shortCut & scAlt) {
        mods |= Qt::AltModifier;
    }
    if (e->keypad) {
        mods |= Qt::KeypadModifier;
    }
    return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(e->qtKey)));
}

int QtKeyToVirtualKey(int qtKey, bool keypad) {
    if (keypad) {
        for (const KeyEntry& e : kKeys) {
            if (e.keypad && e.qtKey == qtKey) {
                return e.code;
            }
        }
    }
    for (const KeyEntry& e : kKeys) {
        if (!e.keypad && e.qtKey == qtKey) {
            return e.code;
        }
    }
    for (const auto& [key, code] : kQtAliases) {
        if (key == qtKey) {
            return code;
        }
    }
    return 0;
}
