// The look popups: fonts, colours, time formats and sizes, driven as the user drives them (a
// click on the element's popup item, the dialog filled and closed with Escape), then checked on
// screen (fonts, colours, positions) and in "Lapwren.ini".

#include <functional>
#include <string>
#include <vector>

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPixmap>

#include "core/TimeText.h"
#include "platform/forms/Image.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"
#include "platform/forms/Shape.h"
#include "tests/ui/OptionsLookFixture.h"
#include "ui/SplitHistoryUnit.h"
#include "upload/UploadSplitsUnit.h"

namespace {

const std::vector<std::string> kSettings = {"[Misc]", "UseBGRFormat=N"};

// Windows colour values (0x00BBGGRR).
constexpr TColor kRed = 0x0000FF;
constexpr TColor kGreen = 0x00FF00;
constexpr TColor kBlue = 0xFF0000;

TColor FontColor(const TLabel* label) {
    return label->Font().Color();
}

TMenuItem* Item(TControl* element, const std::string& caption) {
    TMenuItem* item = nullptr;
    TPopupMenu* menu = OpenPopup(element);
    for (int i = 0; menu != nullptr && i < menu->Items()->Count(); ++i)
        if (menu->Items()->Items(i)->Caption() == caption)
            item = menu->Items()->Items(i);
    EXPECT_NE(item, nullptr) << caption;
    return item;
}

} // namespace

class LookWindow : public PopupWindowTest {
protected:
    // Closes the window as the user does and starts the program again in the same folder.
    void Restart() {
        DeleteForms();
        StartWindow();
    }

    // The colour of the window's client area at a point where nothing is drawn on it.
    TColor BackgroundOnScreen() {
        const QImage image = Form->ClientWidget()->grab().toImage();
        return QColorToColor(image.pixelColor(image.width() - 2, image.height() - 2));
    }
};

// --- Fonts ---------------------------------------------------------------------------------------

TEST_F(LookWindow, ANewTimerFontResizesTheTimerAndStatusLineAndSurvivesARebuild) {
    Start(kSettings);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"Liberation Serif"}, {"24"}}, seen));
        Item(Form->TimerLabel, "Change Timer Font")->Click();
    }
    EXPECT_EQ(seen.name, "LabelFontForm");
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Font Name", "Font Size"})); // no colour row
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Arial", "16"}));
    EXPECT_EQ(seen.clientHeight, 48);
    EXPECT_EQ(seen.left, ElementLeft(Form->TimerLabel));
    EXPECT_EQ(seen.top, ElementTop(Form->TimerLabel));

    TLabel* timer = Form->TimerLabel;
    EXPECT_EQ(timer->Font().Name(), "Liberation Serif");
    EXPECT_EQ(timer->Font().Size(), 24);
    EXPECT_EQ(timer->Label()->font().family().toStdString(), "Liberation Serif");
    EXPECT_EQ(timer->Height(), TextHeight(timer->Font(), "Agi"));
    EXPECT_EQ(timer->Width(), TextWidth(timer->Font(), "00:00:00.00"));
    EXPECT_FALSE(timer->AutoSize());
    EXPECT_EQ(Form->TimerDiffLabel->Width(), timer->Width());
    EXPECT_EQ(Form->TimerDiffLabel->Top(), timer->Top() + timer->Height());
    EXPECT_GE(Form->ClientWidth(), timer->Width());
    EXPECT_EQ(SavedSettings().GetString("Layout", "TimerFontName", "?"), "Liberation Serif");
    EXPECT_EQ(SavedSettings().GetString("Layout", "TimerFontSize", "?"), "24");
    EXPECT_EQ(Saves(), 1);

    {
        ScopedModalHandler user(User({}, seen));
        Form->FormBGImageMenuClick(nullptr);
    }
    EXPECT_EQ(Form->TimerLabel->Font().Name(), "Liberation Serif");
    EXPECT_EQ(Form->TimerLabel->Font().Size(), 24);
    EXPECT_EQ(SavedSettings().GetString("Layout", "TimerFontName", "?"), Form->TimerLabel->Font().Name());
}

TEST_F(LookWindow, AnEmptyFontNameLeavesTheTimerFaceAsItWas) {
    Start(kSettings);
    DialogSeen seen;
    ScopedModalHandler user(User({{""}, {"20"}}, seen));
    Form->TimerFontMenuClick(nullptr);
    EXPECT_EQ(Form->TimerLabel->Font().Name(), "Arial");
    EXPECT_EQ(Form->TimerLabel->Font().Size(), 20);
    EXPECT_EQ(SavedSettings().GetString("Layout", "TimerFontName", "?"), "Arial");
}

TEST_F(LookWindow, ANewDiffFontTakesTheTimersWidthAndTheHeightOfItsLine) {
    Start(kSettings);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"Liberation Mono"}, {"14"}}, seen));
        Item(Form->TimerDiffLabel, "Change Diff Font")->Click();
    }
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Arial", "8"}));
    EXPECT_EQ(seen.left, ElementLeft(Form->TimerDiffLabel));
    TLabel* diff = Form->TimerDiffLabel;
    EXPECT_EQ(diff->Font().Name(), "Liberation Mono");
    EXPECT_EQ(diff->Height(), TextHeight(diff->Font(), "Agi"));
    EXPECT_EQ(diff->Width(), Form->TimerLabel->Width());
    EXPECT_EQ(SavedSettings().GetString("Layout", "TimerDiffFontName", "?"), "Liberation Mono");
    EXPECT_EQ(SavedSettings().GetString("Layout", "TimerDiffFontSize", "?"), "14");
}

struct SizeCase {
    const char* name;
    const char* typed;
    const char* written;
};

class TimerFontSizeEntry : public PopupWindowTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(TimerFontSizeEntry, IsRaisedToTwoByTheDialogOrTakesNineWhenItIsNoNumber) {
    Start(kSettings);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({std::nullopt, {GetParam().typed}}, seen));
        Form->TimerFontMenuClick(nullptr);
    }
    EXPECT_EQ(SavedSettings().GetString("Layout", "TimerFontSize", "?"), GetParam().written);
    EXPECT_EQ(std::to_string(Form->TimerLabel->Font().Size()), GetParam().written);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Typed, TimerFontSizeEntry, ::testing::Values(
    SizeCase{"Twelve", "12", "12"},
    SizeCase{"OneBecomesTwo", "1", "2"},
    SizeCase{"ZeroBecomesTwo", "0", "2"},
    SizeCase{"NegativeBecomesTwo", "-3", "2"},
    SizeCase{"LettersTakeNine", "abc", "9"},
    SizeCase{"AnEmptyTextTakesNine", "", "9"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(LookWindow, AttemptFontAndColourGoToAllThreeAttemptLabels) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 2, 3));
    const int left = ElementLeft(Form->AttemptCounterLabel);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"Liberation Mono"}, {"11"}, {"00FF00"}}, seen));
        Item(Form->SessionAttemptsLabel, "Change Font/Color")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Font Name", "Font Size", "Font Color"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Arial", "8", "FFFFFF"}));
    EXPECT_EQ(seen.clientHeight, 72);
    EXPECT_EQ(seen.left, left);
    for (TLabel* label : {Form->AttemptCounterLabel, Form->SessionAttemptsLabel, Form->TotalAttemptsLabel}) {
        EXPECT_EQ(label->Font().Name(), "Liberation Mono");
        EXPECT_EQ(label->Font().Size(), 11);
        EXPECT_EQ(FontColor(label), kGreen);
    }
    // The layout follows the bigger labels.
    EXPECT_EQ(Form->SessionAttemptsLabel->Top(),
              Form->AttemptCounterLabel->Top() + Form->AttemptCounterLabel->Height());
    const IniFileClass saved = SavedSettings();
    EXPECT_EQ(saved.GetString("Layout", "AttemptCounterFontName", "?"), "Liberation Mono");
    EXPECT_EQ(saved.GetString("Layout", "AttemptCounterFontSize", "?"), "11");
    EXPECT_EQ(saved.GetString("Layout", "AttemptCounterFontColor", "?"), "00FF00");
    EXPECT_EQ(Saves(), 1);
}

TEST_F(LookWindow, TheFontDialogsSwatchReadsColoursInTheWindowsColourOrder) {
    Start({"[Misc]", "UseBGRFormat=Y"});
    LoadTable(WriteTableFile("run.txt", 2, 3));
    TColor swatch = 0;
    {
        ScopedModalHandler user([&](TForm&) {
            LabelFontForm->FontColorEdit->SetText("FF0000");
            swatch = LabelFontForm->FontColorShape->Brush().Color();
            LabelFontForm->FontColorEdit->SetText("FFFFFF");
            return mrOk;
        });
        Form->AttemptFontMenuClick(nullptr);
    }
    EXPECT_EQ(swatch, kBlue); // blue first with BGR on
}

TEST_F(LookWindow, TheTitleFontIsAppliedToTheTitleAndKept) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 2, 3));
    TLabel* title = Form->SplitData->titleLabel;
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"Liberation Serif"}, {"9"}, {"FF0000"}}, seen));
        Item(title, "Change Font/Color")->Click();
    }
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Arial", "7", "FFFFFF"}));
    EXPECT_EQ(seen.left, ElementLeft(title));
    EXPECT_EQ(title->Font().Name(), "Liberation Serif");
    EXPECT_EQ(title->Font().Size(), 9);
    EXPECT_EQ(FontColor(title), kRed);
    EXPECT_EQ(Form->TitleFontName, "Liberation Serif");
    EXPECT_EQ(SavedSettings().GetString("Layout", "TitleFontColor", "?"), "FF0000");
}

TEST_F(LookWindow, AColumnHeaderFontGoesToEveryColumnHeaderWithItsColour) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 2, 4));
    TLabel* clicked = Form->SplitData->GetColumnLabel(2);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"Liberation Mono"}, {"abc"}, {"FF0000"}}, seen));
        Item(clicked, "Change Header Font/Color")->Click();
    }
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Arial", "7", "FFFFFF"}));
    EXPECT_EQ(seen.left, ElementLeft(clicked));
    EXPECT_EQ(seen.top, ElementTop(clicked));
    for (size_t c = 0; c < 4; ++c) {
        TLabel* header = Form->SplitData->GetColumnLabel(c);
        EXPECT_EQ(header->Font().Name(), "Liberation Mono") << c;
        EXPECT_EQ(header->Font().Size(), 8) << c; // the size did not read: its default
        EXPECT_EQ(FontColor(header), kRed) << c;
    }
    EXPECT_EQ(SavedSettings().GetString("Layout", "ColHeaderFontSize", "?"), "8");
}

TEST_F(LookWindow, ARowHeaderFontReachesTheRowHeadersThroughTheLayout) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 3, 3));
    TLabel* clicked = Form->SplitData->GetRowLabel(1);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"Liberation Serif"}, {"10"}, {"00FF00"}}, seen));
        Item(clicked, "Change Header Font/Color")->Click();
    }
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Arial", "7", "FFFFFF"}));
    EXPECT_EQ(seen.left, ElementLeft(clicked));
    TLabel* notCurrent = Form->SplitData->GetRowLabel(2);
    EXPECT_EQ(notCurrent->Font().Name(), "Liberation Serif");
    EXPECT_EQ(notCurrent->Font().Size(), 10);
    EXPECT_EQ(FontColor(notCurrent), kGreen);
    EXPECT_EQ(SavedSettings().GetString("Layout", "RowHeaderFontColor", "?"), "00FF00");
}

// A title font whose line is taller than a row and than the header band, chosen in the popup:
// at once, and again when the file is opened anew, every title of that kind holds a line of it
// and lies clear of every other label of the table, the rows or the band having grown to hold it.
struct TallTitleFontCase {
    const char* name;
    bool horizontal;
    const char* kind; // "title", "column" or "row"
};

class TallTitleFont : public LookWindow, public ::testing::WithParamInterface<TallTitleFontCase> {};

TEST_P(TallTitleFont, GrowsTheRowsOrTheBandAtOnceAndWhenTheFileIsOpenedAgain) {
    const TallTitleFontCase& c = GetParam();
    std::vector<std::string> settings = kSettings;
    settings.insert(settings.end(),
                    {"[Window]", std::string("HorizontalMode=") + (c.horizontal ? "Y" : "N")});
    Start(settings);
    const std::string file = WriteTableFile("run.txt", 3, 3);
    LoadTable(file);
    const std::string kind = c.kind;
    auto titles = [&] {
        FileDataClass& data = *Form->SplitData;
        std::vector<TLabel*> labels;
        if (kind == "title")
            labels.push_back(data.titleLabel);
        for (size_t i = 0; kind == "column" && i < data.GetColumnCount(); ++i)
            labels.push_back(data.GetColumnLabel(i));
        for (size_t i = 0; kind == "row" && i < data.GetRowCount(); ++i)
            labels.push_back(data.GetRowLabel(i));
        return labels;
    };
    DialogSeen seen;
    {
        ScopedModalHandler user(User({std::nullopt, {"24"}}, seen));
        Item(titles()[0], kind == "title" ? "Change Font/Color" : "Change Header Font/Color")->Click();
    }
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        FileDataClass& data = *Form->SplitData;
        std::vector<const TLabel*> table{data.titleLabel};
        for (size_t i = 0; i < data.GetColumnCount(); ++i)
            table.push_back(data.GetColumnLabel(i));
        for (size_t r = 0; r < data.GetRowCount(); ++r) {
            table.push_back(data.GetRowLabel(r));
            for (size_t i = 0; i < data.GetColumnCount(); ++i) {
                table.push_back(data.GetCellTimeLabel(r, i));
                table.push_back(data.GetCellDiffLabel(r, i));
            }
        }
        for (const TLabel* title : titles()) {
            EXPECT_EQ(title->Font().Size(), 24);
            EXPECT_GE(title->Height(), TextHeight(title->Font(), "Agi")) << title->Caption();
            for (const TLabel* other : table) {
                const bool meet = other != title && title->Left() < other->Left() + other->Width() &&
                                  other->Left() < title->Left() + title->Width() &&
                                  title->Top() < other->Top() + other->Height() &&
                                  other->Top() < title->Top() + title->Height();
                EXPECT_FALSE(meet) << title->Caption() << " and " << other->Caption();
            }
        }
    };
    check("at once");
    LoadTable(file);
    check("opened again");
}

INSTANTIATE_TEST_SUITE_P(Chosen, TallTitleFont,
                         ::testing::Values(TallTitleFontCase{"FileTitleVertical", false, "title"},
                                           TallTitleFontCase{"FileTitleHorizontal", true, "title"},
                                           TallTitleFontCase{"ColumnTitlesVertical", false, "column"},
                                           TallTitleFontCase{"ColumnTitlesHorizontal", true, "column"},
                                           TallTitleFontCase{"SplitTitlesVertical", false, "row"},
                                           TallTitleFontCase{"SplitTitlesHorizontal", true, "row"}),
                         [](const ::testing::TestParamInfo<TallTitleFontCase>& info) {
                             return info.param.name;
                         });

TEST_F(LookWindow, ACellTimeFontRebuildsTheTableInTheNewFontAndColour) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 3, 3));
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"Liberation Mono"}, {"9"}, {"00FF00"}}, seen));
        Item(Form->SplitData->GetCellTimeLabel(1, 1), "Change Font/Color")->Click();
    }
    EXPECT_EQ(seen.captions.size(), 3u);
    TLabel* time = Form->SplitData->GetCellTimeLabel(2, 1);
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->Font().Name(), "Liberation Mono");
    EXPECT_EQ(time->Font().Size(), 9);
    EXPECT_EQ(FontColor(time), kGreen); // a row not in progress
    EXPECT_TRUE(time->Visible());
    EXPECT_EQ(SavedSettings().GetString("Layout", "SplitTimesFontColor", "?"), "00FF00");
    EXPECT_EQ(Saves(), 1);
}

TEST_F(LookWindow, ADifferenceFontHasNoColourRowAndWritesNoColourKey) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 3, 3));
    TLabel* clicked = Form->SplitData->GetCellDiffLabel(0, 2);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"Liberation Serif"}, {"10"}}, seen));
        Item(clicked, "Change Font/Color")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Font Name", "Font Size"}));
    EXPECT_EQ(seen.clientHeight, 48);
    EXPECT_EQ(Form->SplitData->GetCellDiffLabel(1, 1)->Font().Name(), "Liberation Serif");
    EXPECT_EQ(Form->SplitData->GetCellDiffLabel(1, 1)->Font().Size(), 10);
    // Rows one time and one difference line high in the new fonts.
    EXPECT_EQ(Form->RowHeight, TextHeight(Form->SplitData->GetCellDiffLabel(1, 1)->Font(), "Agi") +
                                   TextHeight(Form->SplitData->GetCellTimeLabel(1, 1)->Font(), "Agi") +
                                   Form->ExtraRowHeight);
    const IniFileClass saved = SavedSettings();
    EXPECT_EQ(saved.GetString("Layout", "SplitDiffFontName", "?"), "Liberation Serif");
    EXPECT_EQ(saved.GetString("Layout", "SplitDiffFontColor", "none"), "none");
}

// --- The counter panel -------------------------------------------------------------------------

class CounterLookWindow : public LookWindow {
protected:
    void StartWithCounters() {
        Start({"[Counters]", "C1Desc=Deaths", "C2Desc=Coins", "", "[Misc]", "UseBGRFormat=N"});
        LoadTable(WriteTableFile("run.txt", 2, 3));
        Form->CounterPopupMenuItemClick(nullptr);
        ASSERT_TRUE(Form->CounterPanel->Visible());
    }
    CounterMenuItemClass* Counter(int index) const {
        return TMainForm::CounterOf(Form->CountersMenu->Items(index));
    }
    int PanelLeft() const {
        return Form->CounterPanel->Left() + Form->Left() + (Form->Width() - Form->ClientWidth());
    }
    int PanelTop() const {
        return Form->CounterPanel->Top() + Form->Top() + (Form->Height() - Form->ClientHeight());
    }
};

TEST_F(CounterLookWindow, ACounterTitleFontIsSavedAndThePanelReopensInIt) {
    StartWithCounters();
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"Liberation Serif"}, {"12"}, {"00FF00"}}, seen));
        Item(Counter(1)->headerLabel, "Change Counter Title Font/Color")->Click();
    }
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Arial", "8", "FFFFFF"}));
    // At the panel's corner, without the shift of the other popups.
    EXPECT_EQ(seen.left, PanelLeft());
    EXPECT_EQ(seen.top, PanelTop());
    EXPECT_TRUE(Form->CounterPanel->Visible());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Counter(i)->headerLabel->Font().Name(), "Liberation Serif");
        EXPECT_EQ(Counter(i)->headerLabel->Font().Size(), 12);
        EXPECT_EQ(FontColor(Counter(i)->headerLabel), kGreen);
    }
    const IniFileClass saved = SavedSettings();
    EXPECT_EQ(saved.GetString("Counters", "PanelHeaderFontName", "?"), "Liberation Serif");
    EXPECT_EQ(saved.GetString("Counters", "PanelHeaderFontSize", "?"), "12");
    EXPECT_EQ(saved.GetString("Counters", "PanelHeaderFontColor", "?"), "00FF00");
    EXPECT_EQ(Saves(), 1);
}

TEST_F(CounterLookWindow, ACounterValueFontIsSavedButThePanelStaysHiddenWhileTheAlarmSounds) {
    StartWithCounters();
    SoundAlarm();
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"Liberation Mono"}, {"10"}, {"FF0000"}}, seen));
        Item(Counter(0)->dataLabel, "Change Counters Font/Color")->Click();
    }
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Arial", "7", "FFFFFF"}));
    EXPECT_FALSE(Form->CounterPanel->Visible());
    EXPECT_TRUE(Form->AlarmAcknowledged);
    EXPECT_EQ(Form->PanelDataFontName, "Liberation Mono");
    EXPECT_EQ(SavedSettings().GetString("Counters", "PanelDataFontColor", "?"), "FF0000");
}

TEST_F(CounterLookWindow, ThePanelColourIsAskedAtThePanelsCornerAndShownAtOnce) {
    StartWithCounters();
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"0000FF"}}, seen));
        Item(Form->CounterPanel, "Change Counter Panel Color")->Click();
    }
    EXPECT_EQ(seen.name, "ColorSettingsForm");
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Panel Color"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"222222"}));
    EXPECT_EQ(seen.left, PanelLeft());
    EXPECT_EQ(seen.top, PanelTop());
    EXPECT_EQ(Form->CounterPanel->Color(), kBlue);
    EXPECT_EQ(SavedSettings().GetString("Counters", "CounterPanelColor", "?"), "0000FF");
}

// --- Colours -------------------------------------------------------------------------------------

struct BackgroundCase {
    const char* name;
    const char* bgr;
    const char* typed;
    TColor shown;
};

class BackgroundColorEntry : public LookWindow, public ::testing::WithParamInterface<BackgroundCase> {};

TEST_P(BackgroundColorEntry, IsReadInTheColourOrderOfTheBGRSetting) {
    const BackgroundCase& c = GetParam();
    Start({"[Misc]", std::string("UseBGRFormat=") + c.bgr});
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{c.typed}}, seen));
        FindItem(Form->FormPopupMenu, "Change Background Color")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Background Color"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"000000"}));
    EXPECT_EQ(seen.left, WindowLeft());
    EXPECT_EQ(seen.top, WindowTop());
    EXPECT_EQ(Form->Color(), c.shown);
    EXPECT_EQ(BackgroundOnScreen(), c.shown);
    EXPECT_EQ(SavedSettings().GetString("Layout", "BackgroundColor", "?"), c.typed);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Typed, BackgroundColorEntry, ::testing::Values(
    BackgroundCase{"BlueLastIsBlue", "N", "0000FF", kBlue},
    BackgroundCase{"BlueLastIsRedWithBGR", "Y", "0000FF", kRed},
    BackgroundCase{"GreenEitherWay", "Y", "00FF00", kGreen},
    // Not checked: what is not a hex digit counts as 0, and the text is stored as typed.
    BackgroundCase{"NonHexDigitsCountAsZero", "N", "zz00FF", kBlue}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(LookWindow, TimerColoursAreAskedAtTheStatusLineAndColourTheTimerAtOnce) {
    Start(kSettings);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({std::nullopt, {"00FF00"}}, seen));
        Item(Form->TimerLabel, "Change Timer Colors")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Negative Timer", "Normal Timer", "Small Positive",
                                                       "Large Positive"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"808080", "FFFFFF", "800000", "FF0000"}));
    EXPECT_EQ(seen.clientHeight, 96);
    EXPECT_EQ(seen.left, ElementLeft(Form->TimerDiffLabel));
    EXPECT_EQ(seen.top, ElementTop(Form->TimerDiffLabel));
    EXPECT_EQ(FontColor(Form->TimerLabel), kGreen);
    const IniFileClass saved = SavedSettings();
    EXPECT_EQ(saved.GetString("Layout", "TimerNormalColor", "?"), "00FF00");
    EXPECT_EQ(saved.GetString("Layout", "TimerNegTimeColor", "?"), "808080");
    EXPECT_EQ(Saves(), 1);
}

TEST_F(LookWindow, DifferenceColoursAreAskedInTheirOrderAndTheReadyLineTakesTheZeroColour) {
    Start(kSettings);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({std::nullopt, std::nullopt, {"0000FF"}}, seen));
        Item(Form->TimerDiffLabel, "Change Diff Colors")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Large Positive", "Small Positive", "Zero Difference",
                                                       "Small Negative", "Large Negative"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"FF0000", "800000", "FFFFFF", "008000", "00FF00"}));
    EXPECT_EQ(seen.clientHeight, 120);
    EXPECT_EQ(FontColor(Form->TimerDiffLabel), kBlue);
    EXPECT_EQ(SavedSettings().GetString("Layout", "DiffZeroColor", "?"), "0000FF");
    EXPECT_EQ(SavedSettings().GetString("Layout", "DiffNegativeLargeColor", "?"), "00FF00");
}

TEST_F(LookWindow, TheCurrentRowColourShowsOnTheRowInProgress) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 3, 3));
    TLabel* clicked = Form->SplitData->GetRowLabel(2);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"00FF00"}, {"0000FF"}}, seen));
        Item(clicked, "Change Current Row && New Best Split Color")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Current Row Color", "New Best Split Color"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"0080FF", "FFD700"}));
    EXPECT_EQ(seen.left, ElementLeft(clicked));
    EXPECT_EQ(FontColor(Form->SplitData->GetRowLabel(0)), kGreen);
    EXPECT_EQ(FontColor(Form->SplitData->GetRowLabel(1)), 0xFFFFFFu);
    EXPECT_EQ(Form->NewBestSplitColor, "0000FF");
}

TEST_F(LookWindow, TheElapsedModeColourShowsOnTheHeadersOfElapsedColumns) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 2, 4));
    Form->SplitData->SetColumnShowElapsed(1, true);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"FF0000"}}, seen));
        Item(Form->SplitData->GetColumnLabel(1), "Change Elapsed Mode Color")->Click();
    }
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"808080"}));
    EXPECT_EQ(FontColor(Form->SplitData->GetColumnLabel(1)), kRed);
    EXPECT_EQ(FontColor(Form->SplitData->GetColumnLabel(2)), 0xFFFFFFu);
    EXPECT_EQ(SavedSettings().GetString("Layout", "ColHeaderElapsedFontColor", "?"), "FF0000");
}

// --- Time formats -------------------------------------------------------------------------------

struct FormatCase {
    const char* name;
    bool diff; // the difference format instead of the timer's
    const char* kept;
    int click;
    int preselected;
    char written;
};

class TimeFormatChoice : public LookWindow, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(TimeFormatChoice, PreselectsTheKeptFormatAndWritesTheChosenOne) {
    const FormatCase& c = GetParam();
    const char* key = c.diff ? "TimerDiffTimeFormatMode" : "TimerTimeFormatMode";
    Start({"[Layout]", std::string(key) + "=" + c.kept});
    DialogSeen seen;
    {
        ScopedModalHandler user(User({}, seen, c.click));
        Item(c.diff ? Form->TimerDiffLabel : Form->TimerLabel,
             c.diff ? "Change Diff Time Format" : "Change Timer Time Format")
            ->Click();
    }
    EXPECT_EQ(seen.name, "RadioSettingsForm");
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"HH:MM:SS.CC", "MM:SS.CC", "SS.CC", "CC"}));
    // Four rows 20 pixels apart, the last one whole: it begins at 3 * 20 + 4 and is 17 high.
    EXPECT_EQ(seen.clientHeight, 81);
    EXPECT_EQ(seen.checked, c.preselected);
    EXPECT_EQ(seen.left, WindowLeft()); // window-level, not at the label
    EXPECT_EQ(seen.top, WindowTop());
    EXPECT_EQ((c.diff ? Form->TimerDiffTimeFormatMode : Form->TimerTimeFormatMode), c.written);
    EXPECT_EQ(SavedSettings().GetString("Layout", key, "?"), std::string(1, c.written));
    EXPECT_EQ(Saves(), 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kept, TimeFormatChoice, ::testing::Values(
    FormatCase{"LowerHPreselectsHoursAndWritesUpperH", false, "h", 0, 1, 'H'},
    FormatCase{"LowerMPreselectsMinutesAndWritesUpperM", false, "m", 0, 2, 'M'},
    FormatCase{"SPreselectsSeconds", false, "S", 0, 3, 'S'},
    FormatCase{"CPreselectsTheCount", true, "c", 0, 4, 'C'},
    FormatCase{"AnUnknownLetterPreselectsHours", true, "x", 0, 1, 'H'},
    FormatCase{"ChoosingMinutes", false, "H", 2, 1, 'M'},
    FormatCase{"ChoosingTheCountForDifferences", true, "M", 4, 2, 'C'}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(LookWindow, TheDiffFormatChangesOnlyItsOwnKeyAndBothFormatsSurviveARestart) {
    Start({"[Layout]", "TimerTimeFormatMode=H"});
    DialogSeen seen;
    {
        ScopedModalHandler user(User({}, seen, 3));
        Form->DiffTimeFormatModeMenuClick(nullptr);
    }
    EXPECT_EQ(SavedSettings().GetString("Layout", "TimerDiffTimeFormatMode", "?"), "S");
    EXPECT_EQ(SavedSettings().GetString("Layout", "TimerTimeFormatMode", "?"), "H");
    {
        ScopedModalHandler user(User({}, seen, 4));
        Form->TimeFormatModeMenuClick(nullptr);
    }
    EXPECT_EQ(Form->TimerLabel->Caption(), FormatTime(0, true, false, 'C'));

    Restart();
    EXPECT_EQ(Form->TimerTimeFormatMode, 'C');
    EXPECT_EQ(Form->TimerDiffTimeFormatMode, 'S');
}

// --- Sizes ---------------------------------------------------------------------------------------

TEST_F(LookWindow, MaximumSizesKeepTheirLowerLimits) {
    Start(kSettings);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"150"}, {"abc"}}, seen));
        FindItem(Form->FormPopupMenu, "Maximum Height/Width")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Max Height", "Max Width"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"520", "900"}));
    EXPECT_EQ(seen.left, WindowLeft());
    EXPECT_EQ(Form->MaxHeight, 200);
    EXPECT_EQ(Form->MaxWidth, 185);
    EXPECT_EQ(SavedSettings().GetString("Window", "MaxHeight", "?"), "200");
    EXPECT_EQ(SavedSettings().GetString("Window", "MaxWidth", "?"), "185");
}

TEST_F(LookWindow, ATallTableScrollsOnceTheMaximumHeightIsLowered) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 8, 3));
    ASSERT_EQ(Form->ScrollExtent, 0);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"250"}}, seen));
        Form->FormMaxHeightWidthMenuClick(nullptr);
    }
    EXPECT_EQ(Form->Height(), 250);
    EXPECT_GT(Form->ScrollExtent, 0);
}

TEST_F(LookWindow, FooterSizesAcceptNegativeValuesAndResizeTheWindow) {
    Start(kSettings);
    const int width = Form->Width();
    const int height = Form->Height();
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"x"}, {"10"}, {"-5"}}, seen));
        Form->FormTimerFooterMenuClick(nullptr);
    }
    EXPECT_EQ(seen.captions,
              (std::vector<std::string>{"Timer Area Extra Height", "Footer Height", "Footer Width"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"2", "0", "0"}));
    EXPECT_EQ(Form->TimerAreaExtraHeight, 0);
    EXPECT_EQ(Form->Height(), height - 2 + 10);
    EXPECT_EQ(Form->Width(), width - 5);
    EXPECT_EQ(SavedSettings().GetString("Window", "FooterWidth", "?"), "-5");
}

TEST_F(LookWindow, AHeaderHeightThatDoesNotReadTakesTenAndRebuildsTheTable) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 3, 4));
    TLabel* clicked = Form->SplitData->GetColumnLabel(1);
    const int rowTop = Form->SplitData->GetRowLabel(0)->Top();
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"x"}, {"7"}}, seen));
        Item(clicked, "Change Header Height/Width")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Header Height", "Extra Column Width"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"26", "2"}));
    EXPECT_EQ(Form->HeaderColsHeight, 10);
    EXPECT_EQ(Form->ExtraDataColumnWidth, 7);
    // The rows move up by what the header row lost.
    ASSERT_NE(Form->SplitData->GetRowLabel(0), nullptr);
    EXPECT_EQ(Form->SplitData->GetRowLabel(0)->Top(), rowTop - 16);
    EXPECT_EQ(SavedSettings().GetString("Window", "HeaderColsHeight", "?"), "10");
    EXPECT_EQ(Saves(), 1);
}

TEST_F(LookWindow, RowHeaderSizesAreTakenAsTypedOrTen) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 3, 3));
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"120"}, {"-1"}, std::nullopt, {"big"}}, seen));
        Item(Form->SplitData->GetRowLabel(1), "Header Width / Row && Image Height")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Header Width", "Row Extra Height",
                                                       "Short Row Extra Height", "Image Size"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"75", "2", "2", "24"}));
    EXPECT_EQ(Form->HeaderColumnWidth, 120);
    EXPECT_EQ(Form->ExtraRowHeight, -1);
    EXPECT_EQ(Form->ExtraRowHeightShort, 2);
    EXPECT_EQ(Form->ImageSize, 10);
    EXPECT_EQ(Form->SplitData->GetRowLabel(0)->Width(), 120);
    EXPECT_EQ(SavedSettings().GetString("Window", "ImageSize", "?"), "10");
}
