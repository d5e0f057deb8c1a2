// Reading "Lapwren.ini" at start-up: the limits and reading rules of every kind of value, the user
// counters and the Counters menu, and the command shortcuts.

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"
#include "platform/forms/Timer.h"
#include "tests/ui/support/MainWindowFixture.h"

namespace {

// Virtual-key codes of the keys used below.
constexpr TShortCut VK_SPACE = 32;
constexpr TShortCut VK_F2 = 113;
constexpr TShortCut VK_F5 = 116;
constexpr TShortCut VK_F9 = 120;

struct SettingCase {
    const char* name;
    std::vector<std::string> lines;
    std::function<void(const TMainForm&)> check;
};

std::string ExampleFile(const std::string& name) {
    std::ifstream in(std::string(LAPWREN_TEST_DATA) + "/../../examples/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

class SettingsReading : public MainWindowTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(SettingsReading, TheLoadedValueIsWhatTheRuleGives) {
    WriteSettings(GetParam().lines);
    StartWindow();
    GetParam().check(*Form);
}

// clang-format off
const SettingCase kSettingCases[] = {
    {"MaxHeightBelowTheLimitIsRaisedTo200", {"[Window]", "MaxHeight=150"},
     [](const TMainForm& f) { EXPECT_EQ(f.MaxHeight, 200); }},
    {"MaxWidthZeroIsRaisedTo185", {"[Window]", "MaxWidth=0"},
     [](const TMainForm& f) { EXPECT_EQ(f.MaxWidth, 185); }},
    {"MaxHeightAboveTheLimitIsKept", {"[Window]", "MaxHeight=201"},
     [](const TMainForm& f) { EXPECT_EQ(f.MaxHeight, 201); }},
    {"UpdateIntervalZeroBecomesOneAndSetsTheTimer", {"[Window]", "DisplayUpdateInterval=0"},
     [](const TMainForm& f) { EXPECT_EQ(f.DisplayUpdateInterval, 1); EXPECT_EQ(f.DisplayTimer->Interval(), 1); }},
    {"UpdateIntervalNegativeBecomesOne", {"[Window]", "DisplayUpdateInterval=-5"},
     [](const TMainForm& f) { EXPECT_EQ(f.DisplayTimer->Interval(), 1); }},
    {"UpdateIntervalEmptyBecomesOne", {"[Window]", "DisplayUpdateInterval="},
     [](const TMainForm& f) { EXPECT_EQ(f.DisplayTimer->Interval(), 1); }},
    {"UpdateIntervalIsAppliedToTheTimer", {"[Window]", "DisplayUpdateInterval=40"},
     [](const TMainForm& f) { EXPECT_EQ(f.DisplayTimer->Interval(), 40); }},
    {"LowerCaseYIsOn", {"[Misc]", "UseBGRFormat=y"},
     [](const TMainForm& f) { EXPECT_TRUE(f.UseBGRFormat); }},
    {"YesIsOff", {"[Misc]", "UseBGRFormat=Yes"},
     [](const TMainForm& f) { EXPECT_FALSE(f.UseBGRFormat); }},
    {"AnEmptyFlagIsOffEvenWhereTheDefaultIsOn", {"[Window]", "TimerOnLeft="},
     [](const TMainForm& f) { EXPECT_FALSE(f.TimerOnLeft); EXPECT_TRUE(f.TimerOnTop); }},
    {"SecondsAreTruncatedToHundredths", {"[Misc]", "SmallChangeSeconds=2.999"},
     [](const TMainForm& f) { EXPECT_EQ(f.SplitData->smallChange, 299); }},
    {"SecondsThatDoNotReadAreZero", {"[Misc]", "SmallChangeSeconds=abc"},
     [](const TMainForm& f) { EXPECT_EQ(f.SplitData->smallChange, 0); }},
    {"SecondsEndAtAComma", {"[Misc]", "SmallChangeSeconds=1,5"},
     [](const TMainForm& f) { EXPECT_EQ(f.SplitData->smallChange, 100); }},
    {"SecondsOf0Point29GiveTwentyEight", {"[Misc]", "ZeroChangeSeconds=0.29"},
     [](const TMainForm& f) { EXPECT_EQ(f.SplitData->zeroChange, 28); }},
    {"NegativeSecondsTruncateTowardZero", {"[Misc]", "BestSplitMinElapsedSec=-0.255"},
     [](const TMainForm& f) { EXPECT_EQ(f.SplitData->bestSplitMinElapsed, -25); }},
    {"DoubleKeyWaitHalfASecond", {"[Keys]", "DoubleKeyWaitSec=0.5"},
     [](const TMainForm& f) { EXPECT_EQ(f.DoubleKeyWait, 50); }},
    {"DoubleKeyWaitOneSecond", {"[Keys]", "DoubleKeyWaitSec=1"},
     [](const TMainForm& f) { EXPECT_EQ(f.DoubleKeyWait, 100); }},
    // An endless wait would take no split, skip, undo or reset key ever again.
    {"DoubleKeyWaitOfInfinityIsNoWait", {"[Keys]", "DoubleKeyWaitSec=inf"},
     [](const TMainForm& f) { EXPECT_EQ(f.DoubleKeyWait, 0); }},
    {"FormatModeTakesTheFirstCharacter", {"[Layout]", "TimerTimeFormatMode=Minutes"},
     [](const TMainForm& f) { EXPECT_EQ(f.TimerTimeFormatMode, 'M'); }},
    {"AnEmptyFormatModeTakesTheDefault", {"[Layout]", "TimerDiffTimeFormatMode="},
     [](const TMainForm& f) { EXPECT_EQ(f.TimerDiffTimeFormatMode, 'H'); }},
    {"AlarmTimeIsATimeText", {"[Misc]", "TimerModeAlarmTime=1:30"},
     [](const TMainForm& f) { EXPECT_EQ(f.TimerModeAlarmTime, 9000); }},
    {"AnEmptyAlarmTimeIsNoAlarm", {"[Misc]", "TimerModeAlarmTime="},
     [](const TMainForm& f) { EXPECT_EQ(f.TimerModeAlarmTime, 0); }},
    {"IntegersReadTheirLeadingDigits", {"[Window]", "HeaderColsHeight=12abc"},
     [](const TMainForm& f) { EXPECT_EQ(f.HeaderColsHeight, 12); }},
    {"AnEmptyIntegerIsZeroNotTheDefault", {"[Window]", "ImageSize="},
     [](const TMainForm& f) { EXPECT_EQ(f.ImageSize, 0); }},
    // A footer of -200 made a window too narrow to be shown at all.
    {"NegativeSizesAreRaisedToZero", {"[Window]", "FooterHeight=-7", "FooterWidth=-200"},
     [](const TMainForm& f) {
         EXPECT_EQ(f.FooterHeight, 0);
         EXPECT_EQ(f.FooterWidth, 0);
         EXPECT_TRUE(f.Showing());
         EXPECT_GE(f.Width(), 130);
     }},
    // Two of them added in the layout would overflow.
    {"HugeSizesAreCutTo4096", {"[Window]", "TimerAreaExtraHeight=2147483000", "FooterHeight=2147483000"},
     [](const TMainForm& f) {
         EXPECT_EQ(f.TimerAreaExtraHeight, 4096);
         EXPECT_EQ(f.FooterHeight, 4096);
         EXPECT_GT(f.Height(), 2 * 4096);
         EXPECT_LT(f.Height(), 3 * 4096);
     }},
    {"KeysAreCaseSensitive", {"[Window]", "maxheight=300"},
     [](const TMainForm& f) { EXPECT_EQ(f.MaxHeight, 520); }},
    {"AKeyInAnotherSectionIsMissing", {"[Misc]", "MaxHeight=300"},
     [](const TMainForm& f) { EXPECT_EQ(f.MaxHeight, 520); }},
    {"AnEmptyStatusTextStaysEmpty", {"[Layout]", "TimerDiffStatusReady="},
     [](const TMainForm& f) { EXPECT_EQ(f.TimerDiffStatusReady, ""); }},
    {"TopAndLeftPlaceTheWindow", {"[Window]", "Top=37", "Left=44"},
     [](const TMainForm& f) { EXPECT_EQ(f.Top(), 37); EXPECT_EQ(f.Left(), 44); }},
    {"TheCounterPanelColourIsReadRedFirst", {"[Counters]", "CounterPanelColor=0000FF"},
     [](const TMainForm& f) { EXPECT_EQ(f.CounterPanel->Color(), clBlue); }},
    {"TheCounterPanelColourIsReadBlueFirstInBgrFormat", {"[Misc]", "UseBGRFormat=Y", "[Counters]",
                                                          "CounterPanelColor=0000FF"},
     [](const TMainForm& f) { EXPECT_EQ(f.CounterPanel->Color(), clRed); }},
    {"TheBackgroundColourIsAppliedToTheWindow", {"[Layout]", "BackgroundColor=00FF00"},
     [](const TMainForm& f) { EXPECT_EQ(f.Color(), clLime); }},
    {"AutoSaveFlagsGoToTheSplitDataAndTheirMenuItems",
     {"[Misc]", "AutoSaveBestSplits=Y", "AutoSaveBestRun=N", "AutoSaveSplitState=y", "AutoLogRuns=Y"},
     [](const TMainForm& f) {
         EXPECT_TRUE(f.SplitData->autoSaveBestSplits);
         EXPECT_TRUE(f.AutosaveBestSplitsMenuItem->Checked());
         EXPECT_FALSE(f.SplitData->autoSaveBestRun);
         EXPECT_FALSE(f.AutosaveBestRunMenuItem->Checked());
         EXPECT_TRUE(f.AutoSaveSplitState);
         EXPECT_TRUE(f.AutosaveSplitStateFileMenuItem->Checked());
         EXPECT_TRUE(f.SplitData->autoLogRuns);
         EXPECT_TRUE(f.AutoLogRunsMenuItem->Checked());
     }},
    {"HideFlagsCheckTheirOptionsItems", {"[Window]", "HideBestSplits=Y", "HideDiffRows=Y"},
     [](const TMainForm& f) {
         EXPECT_TRUE(f.HideBestSplitsMenuItem->Checked());
         EXPECT_TRUE(f.HideDifferenceRowsMenuItem->Checked());
         EXPECT_FALSE(f.HideCurrentSplitsMenuItem->Checked());
     }},
    {"TheSplitDataColoursComeFromTheLayoutSection",
     {"[Layout]", "TimerNegTimeColor=010203", "DiffZeroColor=ABCDEF"},
     [](const TMainForm& f) {
         EXPECT_EQ(f.SplitData->TimerNegTimeColor, "010203");
         EXPECT_EQ(f.SplitData->DiffZeroColor, "ABCDEF");
         EXPECT_EQ(f.SplitData->DiffPositiveLargeColor, "FF0000");
     }},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(LapwrenIni, SettingsReading, ::testing::ValuesIn(kSettingCases),
                         [](const ::testing::TestParamInfo<SettingCase>& info) { return info.param.name; });

using CountersMenu = MainWindowTest;

TEST_F(CountersMenu, CountersEndAtTheFirstMissingDescription) {
    WriteSettings({"[Counters]", "C1Desc=Deaths", "C1Hotkey=D", "C2Desc=Coins",
                   "C3Desc=  ", "C3Hotkey=Ctrl+3", "C5Desc=Never read", "PopupCountersHotkey=F2",
                   "ClearSplitCountersHotkey=Shift+C"});
    StartWindow();
    EXPECT_EQ(Form->CounterCount, 3);
    // The layout shows the menu only while a split file is open.
    EXPECT_FALSE(Form->CountersMenu->Visible());
    LoadTable(WriteTableFile("run.txt", 2, 3));
    EXPECT_TRUE(Form->CountersMenu->Visible());
    EXPECT_EQ(Captions(Form->CountersMenu),
              (std::vector<std::string>{"Deaths", "Coins", "  ", "-", "Popup Counters", "-",
                                        "Clear Split Counters"}));
    const std::pair<const char*, TShortCut> items[] = {
        {"Counter1MenuItem", 'D'}, {"Counter2MenuItem", 0}, {"Counter3MenuItem", scCtrl | '3'}};
    for (int i = 0; i < 3; ++i) {
        TMenuItem* item = Form->CountersMenu->Items(i);
        EXPECT_EQ(item->Name(), items[i].first);
        EXPECT_EQ(item->ShortCut(), items[i].second) << item->Name();
        CounterMenuItemClass* counter = TMainForm::CounterOf(item);
        ASSERT_NE(counter, nullptr);
        EXPECT_EQ(counter->description, item->Caption());
        EXPECT_EQ(counter->headerLabel->Caption(), item->Caption());
        EXPECT_EQ(counter->splitCount, 0);
        EXPECT_EQ(counter->runTotal, 0);
        EXPECT_EQ(counter->headerLabel->Parent(), Form->CounterPanel);
        EXPECT_EQ(Captions(counter->headerLabel->PopupMenu()),
                  std::vector<std::string>{"Change Counter Title Font/Color"});
        EXPECT_EQ(Captions(counter->dataLabel->PopupMenu()),
                  std::vector<std::string>{"Change Counters Font/Color"});
    }
    // The closing items carry no counter.
    for (int i = 3; i < 7; ++i)
        EXPECT_EQ(TMainForm::CounterOf(Form->CountersMenu->Items(i)), nullptr);
    EXPECT_EQ(Form->CounterPopupMenuItem->ShortCut(), VK_F2);
    EXPECT_EQ(Form->CounterClearSplitMenuItem->ShortCut(), scShift | 'C');
    EXPECT_FALSE(Form->CounterPanel->Visible());
    EXPECT_EQ(Captions(Form->CounterPanel->PopupMenu()),
              std::vector<std::string>{"Change Counter Panel Color"});
}

TEST_F(CountersMenu, AnEmptyFirstDescriptionMeansNoCountersAndAHiddenMenu) {
    WriteSettings({"[Counters]", "C1Desc=", "C2Desc=Coins", "PopupCountersHotkey=F2"});
    StartWindow();
    EXPECT_EQ(Form->CounterCount, 0);
    EXPECT_EQ(Form->CountersMenu->Count(), 0);
    EXPECT_FALSE(Form->CountersMenu->Visible());
    EXPECT_EQ(Form->CounterPopupMenuItem, nullptr);
}

TEST_F(CountersMenu, NinetyEightCountersAreTheMost) {
    std::vector<std::string> lines{"[Counters]"};
    for (int n = 1; n <= 99; ++n)
        lines.push_back("C" + std::to_string(n) + "Desc=Counter " + std::to_string(n));
    WriteSettings(lines);
    StartWindow();
    EXPECT_EQ(Form->CounterCount, 98);
    EXPECT_EQ(Form->CountersMenu->Items(97)->Caption(), "Counter 98");
    EXPECT_EQ(Form->CountersMenu->Items(98)->Caption(), "-");
}

TEST_F(CountersMenu, CountersAreFreedWithTheWindow) {
    WriteSettings({"[Counters]", "C1Desc=Deaths", "C2Desc=Coins"});
    StartWindow();
    CloseWindow();
    EXPECT_EQ(Form->CountersMenu->Count(), 0);
    EXPECT_EQ(Form->CounterPopupMenuItem, nullptr);
}

using CommandShortcuts = MainWindowTest;

TEST_F(CommandShortcuts, EveryCommandTakesTheShortcutOfItsKey) {
    WriteSettings({"[Keys]", "MakeSplitHotkey=Space", "OpenSplitsHotkey=^o", "SaveSplitsHotkey=Ctrl+S",
                   "ResetTimerHotkey=Shift+Ctrl+F5", "UndoSplitHotkey=Ctrl O",
                   "SkipSplitHotkey=", "HideAttemptCountersHotKey=F9", "HideAttemptCountersHotkey=F10",
                   "AutoUploadSplitsHotkey=5"});
    StartWindow();
    EXPECT_EQ(Form->MakeSplitMenuItem->ShortCut(), VK_SPACE);
    EXPECT_EQ(Form->OpenSplitsMenuItem->ShortCut(), scCtrl | 'O');
    EXPECT_EQ(Form->SaveCurrentSplitsMenuItem->ShortCut(), scCtrl | 'S');
    EXPECT_EQ(Form->ResetTimerMenuItem->ShortCut(), scShift | scCtrl | VK_F5);
    EXPECT_EQ(Form->UndoSplitMenuItem->ShortCut(), 0);
    EXPECT_EQ(Form->SkipSplitMenuItem->ShortCut(), 0);
    // The one key spelt with a capital K.
    EXPECT_EQ(Form->HideAttemptCountersMenuItem->ShortCut(), VK_F9);
    // The main keyboard's 5, never the keypad's.
    EXPECT_EQ(Form->AutoUploadSplitsMenuItem->ShortCut(), '5');
    EXPECT_EQ(Form->CloseSplitsMenuItem->ShortCut(), 0);
}

TEST_F(CommandShortcuts, TheExampleSettingsBindTheSpaceBarToMakeSplit) {
    const std::string example = ExampleFile("Lapwren.ini");
    ASSERT_FALSE(example.empty());
    WriteFile("Lapwren.ini", example);
    StartWindow();
    EXPECT_EQ(Form->CounterCount, 2);
    ASSERT_EQ(Form->MakeSplitMenuItem->ShortCut(), VK_SPACE);
    ASSERT_FALSE(Form->SplitData->IsTimerRunning());

    // A real key press: without a split file, Make Split starts the plain timer.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QCoreApplication::sendEvent(Form->Widget(), &press);
    EXPECT_TRUE(Form->SplitData->IsTimerRunning());
}
