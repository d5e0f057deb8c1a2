// Shortcut texts of the settings file, the key-name table, and the Qt keys a shortcut stands for.
#include "platform/forms/ShortCuts.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct TextRow {
    const char* what;
    const char* text;
    TShortCut expected;
};

const TextRow kTextRows[] = {
    {"ctrl_prefix_with_letter", "Ctrl+O", scCtrl | 'O'},
    {"lower_case_prefix_and_letter", "ctrl+o", scCtrl | 'O'},
    {"caret_for_ctrl", "^O", scCtrl | 'O'},
    {"caret_with_lower_case_letter", "^o", scCtrl | 'O'},
    {"shift_then_ctrl", "Shift+Ctrl+F5", scShift | scCtrl | 116},
    {"ctrl_then_shift", "Ctrl+Shift+F5", scShift | scCtrl | 116},
    {"all_three_in_mixed_case", "aLT+sHiFt+^x", scAlt | scShift | scCtrl | 'X'},
    {"prefix_given_twice", "^^A", scCtrl | 'A'},
    {"ctrl_prefix_alone", "Ctrl+", 0},
    {"modifiers_alone", "Shift+Alt+", 0},
    {"function_key_past_the_last", "F25", 0},
    {"blank_instead_of_plus", "Ctrl O", 0},
    {"leading_blank", " A", 0},
    {"trailing_blank", "A ", 0},
    {"empty_text", "", 0},
    {"space_bar_without_modifier", "Space", 32},
    {"digit_is_the_main_keyboard_key", "5", 53},
    {"digit_with_ctrl", "Ctrl+0", scCtrl | 48},
    {"last_function_key", "f24", 135},
    {"first_function_key", "F1", 112},
    {"backspace", "BkSp", 8},
    {"tab_with_shift", "Shift+Tab", scShift | 9},
    {"enter", "ENTER", 13},
    {"escape", "esc", 27},
    {"page_keys", "pgdn", 34},
    {"arrow", "Alt+Left", scAlt | 37},
    {"insert_and_delete", "Del", 46},
    {"plus_key_after_ctrl", "Ctrl+=", scCtrl | 187},
    {"minus_key", "-", 189},
    {"unknown_word", "Return", 0},
    {"name_with_suffix", "Spacebar", 0},
};

void PrintTo(const TextRow& row, std::ostream* os) {
    *os << row.what;
}

class TextToShortCutRows : public ::testing::TestWithParam<TextRow> {};

TEST_P(TextToShortCutRows, GivesTheExpectedShortcut) {
    const TextRow& row = GetParam();
    EXPECT_EQ(TextToShortCut(row.text), row.expected) << "text \"" << row.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(ShortcutTexts, TextToShortCutRows, ::testing::ValuesIn(kTextRows),
                         [](const auto& info) { return std::string(info.param.what); });

// The names every settings file may use, by code.
std::vector<std::pair<int, std::string>> RequiredNames() {
    std::vector<std::pair<int, std::string>> names = {
        {8, "BkSp"},  {9, "Tab"},    {13, "Enter"}, {27, "Esc"},  {32, "Space"},
        {33, "PgUp"}, {34, "PgDn"},  {35, "End"},   {36, "Home"}, {37, "Left"},
        {38, "Up"},   {39, "Right"}, {40, "Down"},  {45, "Ins"},  {46, "Del"},
    };
    for (int d = 0; d <= 9; ++d) {
        names.push_back({48 + d, std::to_string(d)});
        names.push_back({96 + d, std::to_string(d)});
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        names.push_back({c, std::string(1, c)});
    }
    for (int f = 1; f <= 24; ++f) {
        names.push_back({111 + f, "F" + std::to_string(f)});
    }
    return names;
}

TEST(KeyNameTable, NamesEveryRequiredCodeAndReadsTheNameBack) {
    for (const auto& [code, name] : RequiredNames()) {
        EXPECT_EQ(KeyCodeName(code), name) << "code " << code;
        // The keypad digits share the main digits' names, which come first.
        const int expected = (code >= 96 && code <= 105) ? code - 48 : code;
        EXPECT_EQ(TextToShortCut(name), expected) << "name " << name;
    }
}

TEST(KeyNameTable, GivesNoOtherCodeANameThatHidesAnEarlierOne) {
    // First match wins: a name of a code is read back as that code unless an earlier code
    // already has the same name.
    for (int code = 8; code <= 255; ++code) {
        const std::string name = KeyCodeName(code);
        if (name.empty()) {
            continue;
        }
        const int found = TextToShortCut(name);
        ASSERT_NE(found, 0) << "name " << name;
        EXPECT_LE(found, code) << "name " << name;
        EXPECT_EQ(KeyCodeName(found), name);
    }
}

TEST(KeyNameTable, HasNoNameOutsideEightTo255OrForUnusedCodes) {
    EXPECT_EQ(KeyCodeName(-1), "");
    EXPECT_EQ(KeyCodeName(0), "");
    EXPECT_EQ(KeyCodeName(7), "");
    EXPECT_EQ(KeyCodeName(256), "");
    EXPECT_EQ(KeyCodeName(10), "");  // no key sends it
    EXPECT_EQ(KeyCodeName(58), "");  // between the digits and the letters
    EXPECT_EQ(KeyCodeName(136), ""); // past F24
}

struct SequenceRow {
    const char* what;
    TShortCut shortCut;
    QKeyCombination expected;
};

const SequenceRow kSequenceRows[] = {
    {"ctrl_and_letter", scCtrl | 'O', QKeyCombination(Qt::ControlModifier, Qt::Key_O)},
    {"shift_ctrl_function_key", scShift | scCtrl | 116,
     QKeyCombination(Qt::ShiftModifier | Qt::ControlModifier, Qt::Key_F5)},
    {"alt_enter", scAlt | 13, QKeyCombination(Qt::AltModifier, Qt::Key_Return)},
    {"space_bar", 32, QKeyCombination(Qt::Key_Space)},
    {"backspace", 8, QKeyCombination(Qt::Key_Backspace)},
    {"escape", 27, QKeyCombination(Qt::Key_Escape)},
    {"insert", 45, QKeyCombination(Qt::Key_Insert)},
    {"delete", 46, QKeyCombination(Qt::Key_Delete)},
    {"page_down", 34, QKeyCombination(Qt::Key_PageDown)},
    {"arrow_down", 40, QKeyCombination(Qt::Key_Down)},
    {"main_digit", 53, QKeyCombination(Qt::Key_5)},
    {"keypad_digit", 101, QKeyCombination(Qt::KeypadModifier, Qt::Key_5)},
    {"last_function_key", 135, QKeyCombination(Qt::Key_F24)},
    {"punctuation_key", scCtrl | 187, QKeyCombination(Qt::ControlModifier, Qt::Key_Equal)},
};

void PrintTo(const SequenceRow& row, std::ostream* os) {
    *os << row.what;
}

class ShortCutToKeySequenceRows : public ::testing::TestWithParam<SequenceRow> {};

TEST_P(ShortCutToKeySequenceRows, GivesTheQtKeysOfTheShortcut) {
    const SequenceRow& row = GetParam();
    const QKeySequence sequence = ShortCutToKeySequence(row.shortCut);
    ASSERT_EQ(sequence.count(), 1);
    EXPECT_EQ(sequence[0], row.expected) << sequence.toString().toStdString();
}

INSTANTIATE_TEST_SUITE_P(ShortcutKeys, ShortCutToKeySequenceRows, ::testing::ValuesIn(kSequenceRows),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(ShortCutToKeySequence, IsEmptyForNoShortcutAndForCodesWithoutAKey) {
    EXPECT_TRUE(ShortCutToKeySequence(0).isEmpty());
    EXPECT_TRUE(ShortCutToKeySequence(scCtrl).isEmpty()); // modifiers and no key
    EXPECT_TRUE(ShortCutToKeySequence(10).isEmpty());
    EXPECT_TRUE(ShortCutToKeySequence(scShift | 255).isEmpty());
}

TEST(ShortCutToKeySequence, MapsEveryNamedCodeAndTheQtKeyMapsBack) {
    for (int code = 8; code <= 255; ++code) {
        if (KeyCodeName(code).empty()) {
            continue;
        }
        const QKeySequence sequence = ShortCutToKeySequence(TShortCut(code));
        ASSERT_EQ(sequence.count(), 1) << "code " << code;
        const QKeyCombination key = sequence[0];
        const int back = QtKeyToVirtualKey(key.key(), key.keyboardModifiers().testFlag(Qt::KeypadModifier));
        // Left and right variants of a modifier (and of the Meta key) share one Qt key.
        EXPECT_EQ(KeyCodeName(back).empty(), false) << "code " << code;
        if (!(code >= 160 && code <= 165) && code != 92) {
            EXPECT_EQ(back, code) << "code " << code;
        }
    }
}

TEST(QtKeyToVirtualKey, ReadsKeysAsTheyArriveFromTheKeyboard) {
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Space), 32);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_A), 65);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_5), 53);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_5, true), 101);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Left, true), 37); // keypad arrow without NumLock
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Enter, true), 13);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Backtab), 9);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Colon), 186); // Shift+; on a US layout
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Plus), 187);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Plus, true), 107);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_F13), 124);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_unknown), 0);
}

} // namespace
