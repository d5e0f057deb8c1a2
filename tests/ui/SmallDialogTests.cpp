// The five small setting dialogs, shown through the modal seam as a caller shows them: filled,
// shown, typed into or closed by a test standing in for the user, and read back. Last, the
// captions of every dialog, the history graph's and the upload dialog's among them, measured
// against the controls that show them.
#include <functional>
#include <memory>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <gtest/gtest.h>

#include "core/TextHelpers.h"
#include "platform/forms/Button.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Memo.h"
#include "platform/forms/RadioButton.h"
#include "platform/forms/Shape.h"
#include "platform/forms/TestSeams.h"
#include "ui/ColorSettingsUnit.h"
#include "ui/LabelFontUnit.h"
#include "ui/RadioSettingsUnit.h"
#include "ui/SetDataUnit.h"
#include "ui/SplitHistoryUnit.h"
#include "ui/TextSettingsUnit.h"
#include "upload/UploadSplitsUnit.h"

namespace {

// A key as the keyboard sends it: a press carrying its character, then the release.
void SendKey(QWidget* target, int qtKey, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

void PressEscape(QWidget* target) {
    SendKey(target, Qt::Key_Escape, QString(QChar(27)));
}
void PressEnter(QWidget* target) {
    SendKey(target, Qt::Key_Return, QString(QChar('\r')));
}

void Type(QWidget* target, const std::string& text) {
    for (char c : text) {
        const char upper = char(std::toupper(static_cast<unsigned char>(c)));
        int key = Qt::Key_unknown;
        if (upper >= 'A' && upper <= 'Z') {
            key = Qt::Key_A + (upper - 'A');
        } else if (c >= '0' && c <= '9') {
            key = Qt::Key_0 + (c - '0');
        }
        SendKey(target, key, QString(QChar(c)));
    }
}

// What a caller does after filling a dialog: show it modally, with the test as the user.
void ShowWith(TForm& form, const std::function<void(TForm&)>& user) {
    ScopedModalHandler seam([&](TForm& shown) {
        user(shown);
        return mrNone;
    });
    form.ShowModal();
}

// What the window system says once the dialog is on screen, the keyboard among it, as the user
// sees it before pressing a key.
void LetItSettle() {
    QApplication::processEvents();
}

// Where the keyboard of the dialog types: its focused widget, or the dialog itself.
QWidget* FocusOf(TForm& form) {
    QWidget* focus = form.Widget()->window()->focusWidget();
    return focus ? focus : form.Widget();
}

bool StillOpen(const TForm& form) {
    return form.ModalResult() == mrNone;
}

constexpr TColor kRed = 0x0000FF;
constexpr TColor kGreen = 0x00FF00;
constexpr TColor kBlue = 0xFF0000;

// --- TSetDataForm ------------------------------------------------------------------------------

TEST(SetDataDialog, OpensOnTheTimeAndGivesBackTimeAndNotesHoweverClosed) {
    TSetDataForm form(nullptr);
    form.TimeDescLabel->SetCaption("Split Time");
    form.TimeEdit->SetText("1:02.50");
    form.NotesMemo->SetText("old");
    ShowWith(form, [&](TForm&) {
        EXPECT_EQ(form.Width(), 142);
        EXPECT_EQ(form.Height(), 73); // no border: the height is the client height
        EXPECT_EQ(form.ClientHeight(), 73);
        EXPECT_TRUE(form.TimeEdit->Focused());
        // The old time is selected: what the user types replaces it.
        Type(form.TimeEdit->LineEdit(), "7");
        QPlainTextEdit* memo = form.NotesMemo->TextEdit();
        memo->moveCursor(QTextCursor::End);
        PressEnter(memo); // a new line, not the end of the dialog
        EXPECT_TRUE(StillOpen(form));
        Type(memo, "pb");
        SendKey(memo, Qt::Key_Tab, QString(QChar('\t'))); // types a tab, keeps the focus
        EXPECT_TRUE(StillOpen(form));
        PressEscape(memo);
        EXPECT_FALSE(StillOpen(form));
    });
    EXPECT_EQ(form.TimeEdit->Text(), "7");
    EXPECT_EQ(form.NotesMemo->Text(), "old\r\npb\t");
    EXPECT_EQ(form.TimeDescLabel->Caption(), "Split Time");
    EXPECT_FALSE(form.Visible());
}

TEST(SetDataDialog, EnterInTheTimeLeavesTheDialogOpen) {
    TSetDataForm form(nullptr);
    ShowWith(form, [&](TForm&) {
        PressEnter(form.TimeEdit->LineEdit());
        EXPECT_TRUE(StillOpen(form));
        form.BackButton->Click();
        EXPECT_FALSE(StillOpen(form));
    });
}

// --- TLabelFontForm ----------------------------------------------------------------------------

TEST(LabelFontDialog, WithoutAColourCaptionShowsTwoRowsIn48Pixels) {
    TLabelFontForm form(nullptr);
    form.FontNameEdit->SetText("Arial");
    form.FontSizeEdit->SetText("12");
    form.FontColorLabel->SetCaption("");
    form.UpdateLayout();
    EXPECT_EQ(form.ClientHeight(), 48);
    EXPECT_EQ(form.Height(), 48);
    EXPECT_EQ(form.Width(), 217);
    EXPECT_FALSE(form.FontColorLabel->Visible());
    EXPECT_FALSE(form.FontColorEdit->Visible());
    EXPECT_FALSE(form.FontColorShape->Visible());
    ShowWith(form, [&](TForm&) { EXPECT_TRUE(form.FontNameEdit->Focused()); });
    EXPECT_EQ(form.FontNameEdit->Text(), "Arial");
}

TEST(LabelFontDialog, StartsTheColourRowAtTheLeftAndKeepsItsSpacingForAnyCaption) {
    TLabelFontForm form(nullptr);
    // The designed row: label ending at 72, edit at 74, swatch right after the 50-pixel edit.
    for (const char* caption : {"Font Color", "Background Color", "C"}) {
        form.FontColorLabel->SetCaption(caption);
        form.UpdateLayout();
        SCOPED_TRACE(caption);
        EXPECT_EQ(form.ClientHeight(), 72);
        EXPECT_TRUE(form.FontColorLabel->Visible());
        EXPECT_TRUE(form.FontColorEdit->Visible());
        EXPECT_TRUE(form.FontColorShape->Visible());
        EXPECT_EQ(form.FontColorLabel->Left(), 2);
        EXPECT_EQ(form.FontColorLabel->Width(), form.FontColorLabel->Canvas()->TextWidth(caption));
        EXPECT_EQ(form.FontColorEdit->Left(), 2 + form.FontColorLabel->Width() + 2);
        EXPECT_EQ(form.FontColorShape->Left(), form.FontColorEdit->Left() + 50);
        EXPECT_EQ(form.FontColorEdit->Top(), 48);
    }
    form.FontColorLabel->SetCaption("");
    form.UpdateLayout();
    EXPECT_EQ(form.ClientHeight(), 48);
    EXPECT_FALSE(form.FontColorEdit->Visible());
}

struct FontSizeRow {
    const char* what;
    const char* typed;
    const char* readBack;
};

const FontSizeRow kFontSizeRows[] = {
    {"one_becomes_two", "1", "2"},
    {"zero_becomes_two", "0", "2"},
    {"negative_becomes_two", "-3", "2"},
    {"two_stays", "2", "2"},
    {"twelve_stays", "12", "12"},
    {"letters_stay_for_the_callers_default", "abc", "abc"},
    {"empty_stays", "", ""},
};

class LabelFontSizeCheck : public ::testing::TestWithParam<FontSizeRow> {};

TEST_P(LabelFontSizeCheck, RaisesSizesBelowTwoWhenClosedByEscapeOrByTheButton) {
    for (bool byEscape : {true, false}) {
        TLabelFontForm form(nullptr);
        form.FontSizeEdit->SetText(GetParam().typed);
        form.FontColorLabel->SetCaption("");
        form.UpdateLayout();
        ShowWith(form, [&](TForm&) {
            if (byEscape) {
                PressEscape(form.FontNameEdit->LineEdit());
            } else {
                form.BackButton->Click();
            }
            EXPECT_FALSE(StillOpen(form));
        });
        EXPECT_EQ(form.FontSizeEdit->Text(), GetParam().readBack) << (byEscape ? "Escape" : "X");
    }
}

INSTANTIATE_TEST_SUITE_P(FontSizes, LabelFontSizeCheck, ::testing::ValuesIn(kFontSizeRows),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(LabelFontDialog, PaintsTheSwatchAsTheColourIsTypedAndInUpdateLayout) {
    TLabelFontForm form(nullptr);
    bool bgr = true;
    form.UseBGRFormat = [&] { return bgr; };
    form.FontColorLabel->SetCaption("Font Color");
    form.FontColorEdit->SetText("FF0000");
    EXPECT_EQ(form.FontColorShape->Brush().Color(), kBlue); // blue first with BGR
    bgr = false;
    form.UpdateLayout(); // repaints with the setting of now
    EXPECT_EQ(form.FontColorShape->Brush().Color(), kRed);
    ShowWith(form, [&](TForm&) {
        QLineEdit* edit = form.FontColorEdit->LineEdit();
        edit->selectAll();
        Type(edit, "00");
        EXPECT_EQ(form.FontColorShape->Brush().Color(), 0u); // "00": no red
        Type(edit, "ff");
        EXPECT_EQ(form.FontColorShape->Brush().Color(), kGreen); // "00ff"
        Type(edit, "0");
        EXPECT_EQ(form.FontColorShape->Brush().Color(), kGreen); // an odd digit counts for nothing
    });
    EXPECT_EQ(form.FontColorEdit->Text(), "00ff0");
}

// --- TTextSettingsForm -------------------------------------------------------------------------

TEST(TextSettingsDialog, TwoEntriesShowTwoRowsIn48PixelsAndLeaveTheOthersAsTheyWere) {
    TTextSettingsForm form(nullptr);
    EXPECT_EQ(form.EntryCount, 1);
    form.Entry3Edit->SetText("left from before");
    form.Entry4Edit->SetText("older still");
    form.EntryCount = 2;
    form.Entry1Label->SetCaption("Small Diff(sec)");
    form.Entry1Edit->SetText("0.5");
    form.Entry2Label->SetCaption("Zero Diff(sec)");
    form.Entry2Edit->SetText("0");
    ShowWith(form, [&](TForm&) {
        EXPECT_EQ(form.Height(), 48);
        EXPECT_EQ(form.Width(), 292);
        EXPECT_TRUE(form.Entry1Edit->Focused());
        // The third row lies below the edge of the form.
        EXPECT_GE(form.Entry3Edit->Top(), form.ClientHeight());
        Type(form.Entry2Edit->LineEdit(), "1");
        PressEscape(form.Entry2Edit->LineEdit());
    });
    EXPECT_EQ(form.Entry1Edit->Text(), "0.5");
    EXPECT_EQ(form.Entry2Edit->Text(), "01");
    EXPECT_EQ(form.Entry3Edit->Text(), "left from before");
    EXPECT_EQ(form.Entry4Edit->Text(), "older still");
}

TEST(TextSettingsDialog, ItsLabelsEndBeforeTheEditsWhateverTheirCaptions) {
    TTextSettingsForm form(nullptr);
    form.Entry1Label->SetCaption("Update Interval (msec)");
    form.Entry2Label->SetCaption("Ok");
    for (TLabel* label : {form.Entry1Label, form.Entry2Label}) {
        EXPECT_EQ(label->Left() + label->Width(), 118) << label->Caption();
    }
    EXPECT_EQ(form.Entry2Label->Top(), 28);
    EXPECT_EQ(form.Entry2Edit->Left(), 122);
    EXPECT_EQ(form.Entry2Edit->Top(), 24);
}

TEST(TextSettingsDialog, ASecondShowingStartsFromWhatTheCallerFillsIn) {
    TTextSettingsForm form(nullptr);
    form.EntryCount = 4;
    form.Entry1Edit->SetText("first");
    ShowWith(form, [&](TForm&) {
        EXPECT_EQ(form.Height(), 96);
        Type(form.Entry1Edit->LineEdit(), "x");
    });
    EXPECT_EQ(form.Entry1Edit->Text(), "x");
    form.EntryCount = 1;
    form.Entry1Edit->SetText("second");
    ShowWith(form, [&](TForm&) {
        EXPECT_EQ(form.Height(), 24);
        EXPECT_EQ(form.Entry1Edit->Text(), "second");
    });
}

// Rows beyond EntryCount lie below the dialog's edge: the keyboard never goes where nobody sees it.
TEST(TextSettingsDialog, TabGoesRoundTheShownRowsAndTheButton) {
    for (int count : {1, 2, 4}) {
        SCOPED_TRACE(count);
        TTextSettingsForm form(nullptr);
        form.EntryCount = count;
        TEdit* edits[] = {form.Entry1Edit, form.Entry2Edit, form.Entry3Edit, form.Entry4Edit};
        for (TEdit* edit : edits)
            edit->SetText(edit->Name());
        ShowWith(form, [&](TForm&) {
            LetItSettle();
            for (int row = 0; row < count; ++row) {
                TEdit* edit = edits[row];
                ASSERT_TRUE(edit->Focused()) << edit->Name();
                EXPECT_EQ(edit->LineEdit()->selectedText().toStdString(), edit->Name())
                    << "typing replaces it";
                SendKey(FocusOf(form), Qt::Key_Tab, QString(QChar('\t')));
            }
            EXPECT_TRUE(form.BackButton->Focused());
            SendKey(FocusOf(form), Qt::Key_Tab, QString(QChar('\t')));
            EXPECT_TRUE(form.Entry1Edit->Focused());
            SendKey(FocusOf(form), Qt::Key_Backtab, QString());
            EXPECT_TRUE(form.BackButton->Focused());
            SendKey(FocusOf(form), Qt::Key_Backtab, QString());
            EXPECT_TRUE(edits[count - 1]->Focused());
        });
    }
}

// --- TColorSettingsForm ------------------------------------------------------------------------

TEST(ColorSettingsDialog, RepaintsAllFiveSwatchesWhenShownThoughOnlyOneRowIsVisible) {
    TColorSettingsForm form(nullptr);
    bool bgr = false;
    form.UseBGRFormat = [&] { return bgr; };
    TEdit* edits[] = {form.Entry1Edit, form.Entry2Edit, form.Entry3Edit, form.Entry4Edit, form.Entry5Edit};
    TShape* swatches[] = {form.FontColor1Shape, form.FontColor2Shape, form.FontColor3Shape,
                          form.FontColor4Shape, form.FontColor5Shape};
    for (TEdit* edit : edits) {
        edit->SetText("FF0000");
    }
    EXPECT_EQ(swatches[4]->Brush().Color(), kRed);
    bgr = true; // changed while the dialog was hidden
    form.EntryCount = 1;
    form.Entry1Label->SetCaption("Background Color");
    ShowWith(form, [&](TForm&) {
        EXPECT_EQ(form.Height(), 24);
        EXPECT_EQ(form.Width(), 217);
        EXPECT_TRUE(form.Entry1Edit->Focused());
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(swatches[i]->Brush().Color(), kBlue) << "row " << i + 1;
        }
    });
}

struct SwatchRow {
    const char* what;
    const char* typed;
    bool bgr;
    TColor shown;
};

const SwatchRow kSwatchRows[] = {
    {"green_without_bgr", "00FF00", false, kGreen},
    {"green_with_bgr", "00FF00", true, kGreen},
    {"red_without_bgr", "FF0000", false, kRed},
    {"red_text_is_blue_with_bgr", "FF0000", true, kBlue},
    {"non_hex_digits_count_as_zero", "GG00ZZ", false, 0},
};

class ColorSwatchTyping : public ::testing::TestWithParam<SwatchRow> {};

TEST_P(ColorSwatchTyping, FollowsEveryKeystrokeInEachRow) {
    const SwatchRow& row = GetParam();
    TColorSettingsForm form(nullptr);
    form.UseBGRFormat = [&] { return row.bgr; };
    form.EntryCount = 5;
    TEdit* edits[] = {form.Entry1Edit, form.Entry2Edit, form.Entry3Edit, form.Entry4Edit, form.Entry5Edit};
    TShape* swatches[] = {form.FontColor1Shape, form.FontColor2Shape, form.FontColor3Shape,
                          form.FontColor4Shape, form.FontColor5Shape};
    ShowWith(form, [&](TForm&) {
        EXPECT_EQ(form.Height(), 120);
        for (int i = 0; i < 5; ++i) {
            const std::string typed = row.typed;
            for (size_t n = 1; n <= typed.size(); ++n) {
                Type(edits[i]->LineEdit(), typed.substr(n - 1, 1));
                EXPECT_EQ(swatches[i]->Brush().Color(), HexToColor(typed.substr(0, n), row.bgr))
                    << "row " << i + 1 << " after " << n << " keys";
            }
            EXPECT_EQ(swatches[i]->Brush().Color(), row.shown) << "row " << i + 1;
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Swatches, ColorSwatchTyping, ::testing::ValuesIn(kSwatchRows),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(ColorSettingsDialog, ATypedColourReplacesTheOldOne) {
    TColorSettingsForm form(nullptr);
    form.UseBGRFormat = [] { return false; };
    form.Entry1Edit->SetText("0080FF");
    ShowWith(form, [&](TForm&) { Type(FocusOf(form), "FF0000"); });
    EXPECT_EQ(form.Entry1Edit->Text(), "FF0000");
    EXPECT_EQ(form.FontColor1Shape->Brush().Color(), kRed);
}

// --- TRadioSettingsForm ------------------------------------------------------------------------

// The rows lie 20 pixels apart, each 4 pixels into its pitch: the dialog is as tall as its last
// shown row needs, and the next row stays below its edge.
TEST(RadioSettingsDialog, EveryShownChoiceShowsWholeAndTheNextNone) {
    TRadioSettingsForm form(nullptr);
    TRadioButton* buttons[] = {form.RadioButton1, form.RadioButton2, form.RadioButton3, form.RadioButton4,
                               form.RadioButton5};
    for (int count = 1; count <= 5; ++count) {
        form.EntryCount = count;
        ShowWith(form, [&](TForm&) {
            EXPECT_EQ(buttons[count - 1]->Top(), 20 * (count - 1) + 4);
            EXPECT_EQ(form.ClientHeight(), buttons[count - 1]->Top() + buttons[count - 1]->Height()) << count;
            if (count < 5) {
                EXPECT_GE(buttons[count]->Top(), form.ClientHeight()) << count;
            }
        });
    }
}

TEST(RadioSettingsDialog, ThreeChoicesShowAndCheckingOneUnchecksTheOthers) {
    TRadioSettingsForm form(nullptr);
    EXPECT_EQ(form.EntryCount, 1);
    form.EntryCount = 3;
    form.RadioButton1->SetCaption("H: 1:02:03.45");
    form.RadioButton2->SetCaption("M: 62:03.45");
    form.RadioButton3->SetCaption("S: 3723.45");
    form.RadioButton1->SetChecked(true);
    ShowWith(form, [&](TForm&) {
        EXPECT_EQ(form.Width(), 212);
        EXPECT_EQ(form.RadioButton3->Top(), 44);
        form.RadioButton3->RadioButton()->click();
        PressEscape(form.RadioButton3->RadioButton());
    });
    EXPECT_FALSE(form.RadioButton1->Checked());
    EXPECT_FALSE(form.RadioButton2->Checked());
    EXPECT_TRUE(form.RadioButton3->Checked());
}

TEST(RadioSettingsDialog, OpensOnTheCurrentChoiceAndTheArrowsMoveAmongTheShownChoices) {
    TRadioSettingsForm form(nullptr);
    form.EntryCount = 3;
    form.RadioButton2->SetChecked(true);
    ShowWith(form, [&](TForm&) {
        LetItSettle();
        ASSERT_TRUE(form.RadioButton2->Focused());
        SendKey(FocusOf(form), Qt::Key_Down, QString());
        EXPECT_TRUE(form.RadioButton3->Checked());
        // Rows 4 and 5 lie below the dialog's edge: the choice goes round to the first row.
        SendKey(FocusOf(form), Qt::Key_Down, QString());
        EXPECT_TRUE(form.RadioButton1->Checked());
        EXPECT_TRUE(form.RadioButton1->Focused());
        SendKey(FocusOf(form), Qt::Key_Up, QString());
        PressEscape(FocusOf(form));
    });
    EXPECT_TRUE(form.RadioButton3->Checked());
    EXPECT_FALSE(form.RadioButton1->Checked());
    EXPECT_FALSE(form.RadioButton2->Checked());
    EXPECT_FALSE(form.RadioButton4->Checked());
}

// --- What all five share -----------------------------------------------------------------------

struct DialogRow {
    const char* what;
    std::function<std::unique_ptr<TForm>()> make;
    int width;
    int backRight; // where the X button ends, as designed
};

const DialogRow kDialogRows[] = {
    {"set_data", [] { return std::make_unique<TSetDataForm>(nullptr); }, 142, 141},
    {"label_font", [] { return std::make_unique<TLabelFontForm>(nullptr); }, 217, 216},
    {"text_settings", [] { return std::make_unique<TTextSettingsForm>(nullptr); }, 292, 291},
    {"color_settings", [] { return std::make_unique<TColorSettingsForm>(nullptr); }, 217, 216},
    {"radio_settings", [] { return std::make_unique<TRadioSettingsForm>(nullptr); }, 212, 210},
};

void PrintTo(const DialogRow& row, std::ostream* os) {
    *os << row.what;
}
void PrintTo(const SwatchRow& row, std::ostream* os) {
    *os << row.what;
}
void PrintTo(const FontSizeRow& row, std::ostream* os) {
    *os << row.what;
}

class EverySmallDialog : public ::testing::TestWithParam<DialogRow> {};

TButton* BackButtonOf(TForm& form) {
    return dynamic_cast<TButton*>(form.FindComponent("BackButton"));
}

TEST_P(EverySmallDialog, HasNoFrameAndAnXButtonThatClosesIt) {
    std::unique_ptr<TForm> form = GetParam().make();
    EXPECT_EQ(form->Width(), GetParam().width);
    EXPECT_EQ(form->Width(), form->ClientWidth());
    EXPECT_EQ(form->Height(), form->ClientHeight());
    TButton* back = BackButtonOf(*form);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Caption(), "X");
    EXPECT_EQ(back->Left() + back->Width(), GetParam().backRight);
    ShowWith(*form, [&](TForm& f) {
        back->Click();
        EXPECT_FALSE(StillOpen(f));
    });
}

TEST_P(EverySmallDialog, ClosesOnEscapeButNotOnEnterAndStaysWhereTheCallerPutIt) {
    std::unique_ptr<TForm> form = GetParam().make();
    form->SetLeft(310);
    form->SetTop(205);
    bool shown = false;
    ShowWith(*form, [&](TForm& f) {
        shown = true;
        EXPECT_EQ(f.Left(), 310);
        EXPECT_EQ(f.Top(), 205);
        QWidget* focus = FocusOf(f);
        PressEnter(focus);
        EXPECT_TRUE(StillOpen(f));
        PressEscape(focus);
        EXPECT_FALSE(StillOpen(f));
    });
    EXPECT_TRUE(shown);
    EXPECT_FALSE(form->Visible());
}

TEST_P(EverySmallDialog, CanBeShownAgainAfterClosing) {
    std::unique_ptr<TForm> form = GetParam().make();
    for (int showing = 0; showing < 2; ++showing) {
        ShowWith(*form, [&](TForm& f) {
            EXPECT_TRUE(f.Visible());
            BackButtonOf(f)->Click();
            EXPECT_FALSE(StillOpen(f));
        });
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, EverySmallDialog, ::testing::ValuesIn(kDialogRows),
                         [](const auto& info) { return std::string(info.param.what); });

// --- Every caption of every dialog ---------------------------------------------------------------

template <class Form> std::unique_ptr<TForm> Make() {
    return std::make_unique<Form>(nullptr);
}

struct CaptionRow {
    const char* what;
    std::function<std::unique_ptr<TForm>()> make;
    const char* control;
    // The captions the program gives the control; none: the one it is designed with (for a combo
    // box, its items).
    std::vector<std::string> captions;
    // An auto-sized label grows to its caption: it must stay between the form's edge or the
    // control before it and the control after it. 0, 0: within the control's own bounds.
    int roomLeft = 0;
    int roomRight = 0;
};

void PrintTo(const CaptionRow& row, std::ostream* os) {
    *os << row.what;
}

const std::vector<std::string> kTextEntryCaptions = {"Dbl Key Delay",
                                                     "Update Interval (msec)",
                                                     "Background File Name",
                                                     "Timer Offset",
                                                     "Alarm Time",
                                                     "Alarm File",
                                                     "Ready Text",
                                                     "Paused Text",
                                                     "New Best Text",
                                                     "Done Text",
                                                     "Small Diff(sec)",
                                                     "Zero Diff(sec)",
                                                     "Session Attempts",
                                                     "Total Attempts",
                                                     "Min Elapsed(sec)",
                                                     "File Title",
                                                     "File Image Name",
                                                     "Row Title",
                                                     "Comment",
                                                     "Timer Area Extra Height",
                                                     "Footer Height",
                                                     "Footer Width",
                                                     "Max Height",
                                                     "Max Width",
                                                     "Header Height",
                                                     "Extra Column Width",
                                                     "Header Width",
                                                     "Row Extra Height",
                                                     "Short Row Extra Height",
                                                     "Image Size"};

const std::vector<std::string> kColorEntryCaptions = {
    "Background Color", "Negative Timer",    "Normal Timer",         "Small Positive",
    "Large Positive",   "Zero Difference",   "Small Negative",       "Large Negative",
    "Elapsed Mode",     "Current Row Color", "New Best Split Color", "Panel Color"};

const CaptionRow kCaptionRows[] = {
    {"set_data_time_kind", Make<TSetDataForm>, "TimeDescLabel", {"Elapsed", "Split Time"}},
    {"set_data_x", Make<TSetDataForm>, "BackButton", {}},
    {"label_font_name", Make<TLabelFontForm>, "FontNameLabel", {}, 0, 56},
    {"label_font_size", Make<TLabelFontForm>, "FontSizeLabel", {}, 0, 56},
    {"label_font_colour", Make<TLabelFontForm>, "FontColorLabel", {"Font Color"}, 0, 74},
    {"label_font_x", Make<TLabelFontForm>, "BackButton", {}},
    {"text_settings_entries", Make<TTextSettingsForm>, "Entry1Label", kTextEntryCaptions, 0, 122},
    {"text_settings_x", Make<TTextSettingsForm>, "BackButton", {}},
    {"color_settings_entries", Make<TColorSettingsForm>, "Entry1Label", kColorEntryCaptions, 0, 126},
    {"color_settings_x", Make<TColorSettingsForm>, "BackButton", {}},
    {"radio_settings_choices",
     Make<TRadioSettingsForm>,
     "RadioButton1",
     {"HH:MM:SS.CC", "MM:SS.CC", "SS.CC", "CC"}},
    {"radio_settings_x", Make<TRadioSettingsForm>, "BackButton", {}},
    {"history_show", Make<TSplitHistoryForm>, "Label2", {}, 0, 32},
    {"history_for_the_last", Make<TSplitHistoryForm>, "Label1", {}, 207, 266},
    {"history_ranges", Make<TSplitHistoryForm>, "RangeComboBox", {}},
    {"history_reset_statistics",
     Make<TSplitHistoryForm>,
     "ResetStatsLabel",
     {"Reset 9999 out of 99999 runs (100.0%)          Average Reset Time: 9:59:59.99"}},
    {"upload_server", Make<TUploadSplitsForm>, "Label5", {}, 0, 66},
    {"upload_username", Make<TUploadSplitsForm>, "Label1", {}, 0, 66},
    {"upload_password", Make<TUploadSplitsForm>, "Label2", {}, 0, 66},
    {"upload_game_name", Make<TUploadSplitsForm>, "Label3", {}, 0, 66},
    {"upload_category", Make<TUploadSplitsForm>, "Label7", {}, 0, 66},
    {"upload_version", Make<TUploadSplitsForm>, "Label4", {}, 0, 66},
    {"upload_x", Make<TUploadSplitsForm>, "BackButton", {}},
    {"upload_verify", Make<TUploadSplitsForm>, "VerifyLoginButton", {}},
    {"upload_submit_run_comments", Make<TUploadSplitsForm>, "SubmitRunCommentsCheckBox", {}},
    {"upload_wait_texts",
     Make<TUploadSplitsForm>,
     "WaitLabel",
     {"Please wait for the server...", "Please wait for server...", "Verifying login...",
      "Getting game list...", "Getting game categories..."}},
};

class EveryDialogCaption : public ::testing::TestWithParam<CaptionRow> {};

// Measured with the font the widget draws with, against the room its style leaves for the text.
TEST_P(EveryDialogCaption, ShowsWholeAtTheDesignedSize) {
    const CaptionRow& row = GetParam();
    std::unique_ptr<TForm> form = row.make();
    auto* control = dynamic_cast<TControl*>(form->FindComponent(row.control));
    ASSERT_NE(control, nullptr) << row.control;
    QWidget* widget = control->Widget();
    const QFontMetrics metrics = widget->fontMetrics();

    if (auto* box = dynamic_cast<TComboBox*>(control)) {
        QComboBox* combo = box->ComboBox();
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = false;
        option.frame = combo->hasFrame();
        // The style sets the text a pixel in from each side of the field.
        const QRect field =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        ASSERT_GT(combo->count(), 0);
        for (int i = 0; i < combo->count(); ++i)
            EXPECT_LE(metrics.horizontalAdvance(combo->itemText(i)), field.width() - 2)
                << combo->itemText(i).toStdString();
        return;
    }

    std::vector<std::string> captions = row.captions;
    if (captions.empty()) {
        if (auto* label = dynamic_cast<TLabel*>(control))
            captions.push_back(label->Caption());
        else if (auto* button = dynamic_cast<TButton*>(control))
            captions.push_back(button->Caption());
        else if (auto* check = dynamic_cast<TCheckBox*>(control))
            captions.push_back(check->Caption());
    }
    ASSERT_FALSE(captions.empty());
    for (const std::string& caption : captions) {
        SCOPED_TRACE(caption);
        const int width = metrics.horizontalAdvance(QString::fromStdString(caption));
        if (auto* label = dynamic_cast<TLabel*>(control)) {
            label->SetCaption(caption);
            if (row.roomRight > 0) {
                EXPECT_GE(label->Left(), row.roomLeft);
                EXPECT_LE(label->Left() + width, row.roomRight);
            } else {
                EXPECT_LE(width, label->Width());
                EXPECT_LE(metrics.height(), label->Height());
            }
        } else if (auto* button = dynamic_cast<TButton*>(control)) {
            button->SetCaption(caption);
            auto* push = qobject_cast<QPushButton*>(widget);
            QStyleOptionButton option;
            option.initFrom(push);
            option.text = push->text();
            const QRect contents =
                push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push);
            EXPECT_LE(width, contents.width());
        } else {
            // A check box or a radio button asks for its box, the gap and the caption.
            if (auto* check = dynamic_cast<TCheckBox*>(control))
                check->SetCaption(caption);
            else if (auto* radio = dynamic_cast<TRadioButton*>(control))
                radio->SetCaption(caption);
            else
                FAIL() << "no caption to measure";
            EXPECT_LE(widget->sizeHint().width(), control->Width());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, EveryDialogCaption, ::testing::ValuesIn(kCaptionRows),
                         [](const auto& info) { return std::string(info.param.what); });

} // namespace
