// The Options toggles, the check items of the window's popup menu and the popups that change
// values of behaviour and of the run, driven as the user drives them: a click on the item, the
// dialog filled and closed with Escape, then what the window shows, what "Lapwren.ini" holds
// (and how often it was saved) and what the split file holds.

#include <functional>
#include <string>
#include <vector>

#include "core/FileDataClass.h"
#include "core/TimeText.h"
#include "platform/forms/Image.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"
#include "tests/ui/OptionsLookFixture.h"

namespace {

// A settings file that exists, so that the program saves into it.
const std::vector<std::string> kSettings = {"[Misc]", "UseBGRFormat=N"};

using Handler = void (TMainForm::*)(TObject*);

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find("\r\n"));
}

} // namespace

using OptionsWindow = PopupWindowTest;

// --- Options menu toggles --------------------------------------------------------------------------

struct ToggleCase {
    const char* name;
    TMenuItem* TMainForm::*item;
    std::function<bool&(TMainForm&)> flag;
    const char* section;
    const char* key;
};

class OptionsToggle : public PopupWindowTest, public ::testing::WithParamInterface<ToggleCase> {};

TEST_P(OptionsToggle, FlipsTheFlagAndItsCheckMarkHidesTheCounterPanelAndSavesOnce) {
    const ToggleCase& c = GetParam();
    Start(kSettings);
    TMenuItem* item = Form->*c.item;
    const bool before = c.flag(*Form);
    Form->CounterPanel->Show();

    item->Click();
    EXPECT_EQ(c.flag(*Form), !before);
    EXPECT_EQ(item->Checked(), !before);
    EXPECT_FALSE(Form->CounterPanel->Visible());
    EXPECT_EQ(SavedSettings().GetString(c.section, c.key, "?"), before ? "N" : "Y");
    EXPECT_EQ(Saves(), 1);

    item->Click();
    EXPECT_EQ(c.flag(*Form), before);
    EXPECT_EQ(item->Checked(), before);
    EXPECT_EQ(SavedSettings().GetString(c.section, c.key, "?"), before ? "Y" : "N");
    EXPECT_EQ(Saves(), 1);
}

TEST_P(OptionsToggle, WhileTheAlarmSoundsOnlyAcknowledgesTheAlarm) {
    const ToggleCase& c = GetParam();
    Start(kSettings);
    TMenuItem* item = Form->*c.item;
    const bool before = c.flag(*Form);
    const bool checkedBefore = item->Checked();
    Form->CounterPanel->Show();
    const std::string file = ReadFile("Lapwren.ini");
    SoundAlarm();

    item->Click();
    EXPECT_TRUE(Form->AlarmAcknowledged);
    EXPECT_EQ(c.flag(*Form), before);
    EXPECT_EQ(item->Checked(), checkedBefore);
    EXPECT_TRUE(Form->CounterPanel->Visible());
    EXPECT_EQ(Saves(), 0);
    EXPECT_EQ(ReadFile("Lapwren.ini"), file);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(EveryToggle, OptionsToggle, ::testing::Values(
    ToggleCase{"HideBestSplits", &TMainForm::HideBestSplitsMenuItem,
               [](TMainForm& f) -> bool& { return f.HideBestSplits; }, "Window", "HideBestSplits"},
    ToggleCase{"HideCurrentSplits", &TMainForm::HideCurrentSplitsMenuItem,
               [](TMainForm& f) -> bool& { return f.HideCurrentSplits; }, "Window", "HideCurrentSplits"},
    ToggleCase{"HideDifferenceRows", &TMainForm::HideDifferenceRowsMenuItem,
               [](TMainForm& f) -> bool& { return f.HideDiffRows; }, "Window", "HideDiffRows"},
    ToggleCase{"HideHideableRows", &TMainForm::HideHideableRowsMenuItem,
               [](TMainForm& f) -> bool& { return f.HideHideableRows; }, "Window", "HideHideableRows"},
    ToggleCase{"HideAttemptCounters", &TMainForm::HideAttemptCountersMenuItem,
               [](TMainForm& f) -> bool& { return f.HideAttemptCounters; }, "Window", "HideAttemptCounters"},
    ToggleCase{"AutosaveBestSplits", &TMainForm::AutosaveBestSplitsMenuItem,
               [](TMainForm& f) -> bool& { return f.SplitData->autoSaveBestSplits; }, "Misc", "AutoSaveBestSplits"},
    ToggleCase{"AutosaveBestRun", &TMainForm::AutosaveBestRunMenuItem,
               [](TMainForm& f) -> bool& { return f.SplitData->autoSaveBestRun; }, "Misc", "AutoSaveBestRun"},
    ToggleCase{"AutosaveSplitState", &TMainForm::AutosaveSplitStateFileMenuItem,
               [](TMainForm& f) -> bool& { return f.AutoSaveSplitState; }, "Misc", "AutoSaveSplitState"},
    ToggleCase{"AutoLogRuns", &TMainForm::AutoLogRunsMenuItem,
               [](TMainForm& f) -> bool& { return f.SplitData->autoLogRuns; }, "Misc", "AutoLogRuns"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(OptionsWindow, HidingBestSplitsMovesEveryOtherColumnOnePlaceLeftAtOnce) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 3, 4));
    const int bestLeft = Form->SplitData->GetColumnLabel(0)->Left();
    const int thirdLeft = Form->SplitData->GetColumnLabel(2)->Left();

    Form->HideBestSplitsMenuItem->Click();
    EXPECT_FALSE(Form->SplitData->GetColumnLabel(0)->Visible());
    EXPECT_FALSE(Form->SplitData->GetCellTimeLabel(0, 0)->Visible());
    EXPECT_EQ(Form->SplitData->GetColumnLabel(1)->Left(), bestLeft);
    EXPECT_EQ(Form->SplitData->GetColumnLabel(3)->Left(), thirdLeft);
}

TEST_F(OptionsWindow, HidingTheAttemptCountersTakesThemOffTheWindow) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 2, 3));
    ASSERT_TRUE(Form->AttemptCounterLabel->Visible());
    Form->HideAttemptCountersMenuItem->Click();
    EXPECT_FALSE(Form->AttemptCounterLabel->Visible());
    EXPECT_FALSE(Form->TotalAttemptsLabel->Visible());
}

TEST_F(OptionsWindow, WithoutASettingsFileTheChangesLastButNoFileIsMade) {
    Start(nullptr);
    Form->HideBestSplitsMenuItem->Click();
    DialogSeen seen;
    ScopedModalHandler user(User({{"0.5"}}, seen));
    Form->FormDblKeyMenuClick(nullptr);
    EXPECT_TRUE(Form->HideBestSplits);
    EXPECT_EQ(Form->DoubleKeyWait, 50);
    EXPECT_FALSE(FileExistsInDir("Lapwren.ini"));
}

// --- Check items of the window's popup menu ----------------------------------------------------

struct FormItemCase {
    const char* name;
    TMenuItem* TMainForm::*item;
    std::function<bool&(TMainForm&)> flag;
    const char* section;
    const char* key;
};

class FormPopupCheckItem : public PopupWindowTest, public ::testing::WithParamInterface<FormItemCase> {};

TEST_P(FormPopupCheckItem, FlipsTheFlagAndStoresItEvenWhileTheAlarmSounds) {
    const FormItemCase& c = GetParam();
    Start(kSettings);
    TMenuItem* item = Form->*c.item;
    const bool before = c.flag(*Form);
    SoundAlarm();

    item->Click();
    EXPECT_FALSE(Form->AlarmAcknowledged); // these items pass no alarm guard
    EXPECT_EQ(c.flag(*Form), !before);
    EXPECT_EQ(item->Checked(), !before);
    EXPECT_EQ(SavedSettings().GetString(c.section, c.key, "?"), before ? "N" : "Y");
    EXPECT_EQ(Saves(), 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(EveryItem, FormPopupCheckItem, ::testing::Values(
    FormItemCase{"DefaultElapsedMode", &TMainForm::DefaultElapsedModeMenuItem,
                 [](TMainForm& f) -> bool& { return f.DefaultElapsedMode; }, "Misc", "DefaultElapsedMode"},
    FormItemCase{"ResetRestartsTimer", &TMainForm::ResetRestartTimerMenuItem,
                 [](TMainForm& f) -> bool& { return f.ResetTimerRestartTimerMode; }, "Misc", "ResetTimerRestartTimerMode"},
    FormItemCase{"BGRFormat", &TMainForm::BGRFormatMenuItem,
                 [](TMainForm& f) -> bool& { return f.UseBGRFormat; }, "Misc", "UseBGRFormat"},
    FormItemCase{"TimerOnLeft", &TMainForm::TimerOnLeftMenuItem,
                 [](TMainForm& f) -> bool& { return f.TimerOnLeft; }, "Window", "TimerOnLeft"},
    FormItemCase{"TimerOnTop", &TMainForm::TimerOnTopMenuItem,
                 [](TMainForm& f) -> bool& { return f.TimerOnTop; }, "Window", "TimerOnTop"},
    FormItemCase{"HorizontalSplits", &TMainForm::HorizontalSplitsMenuItem,
                 [](TMainForm& f) -> bool& { return f.HorizontalMode; }, "Window", "HorizontalMode"},
    FormItemCase{"ReverseWheel", &TMainForm::ReverseWheelMenuItem,
                 [](TMainForm& f) -> bool& { return f.ReverseMouseScroll; }, "Window", "ReverseMouseScroll"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(OptionsWindow, TimerOnLeftSwitchedOffPutsTheTimerRightAndTheAttemptsLeft) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 2, 3));
    ASSERT_EQ(Form->TimerLabel->Left(), 0);
    Form->TimerOnLeftMenuItem->Click();
    EXPECT_EQ(Form->AttemptCounterLabel->Left(), 3);
    EXPECT_EQ(Form->TimerLabel->Left(), Form->Width() - Form->TimerLabel->Width() - 10);
}

// --- Value popups: conversions -----------------------------------------------------------------------

struct SecondsCase {
    const char* name;
    const char* typed;
    int32_t kept;
    const char* written;
};

class DoubleKeyDelayEntry : public PopupWindowTest, public ::testing::WithParamInterface<SecondsCase> {};

TEST_P(DoubleKeyDelayEntry, KeepsTruncatedHundredthsAndWritesTheNumberAsTyped) {
    const SecondsCase& c = GetParam();
    Start(kSettings);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{c.typed}}, seen));
        Form->FormDblKeyMenuClick(nullptr);
    }
    ASSERT_EQ(seen.shows, 1);
    EXPECT_EQ(seen.name, "TextSettingsForm");
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Dbl Key Delay"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"0.25"}));
    EXPECT_EQ(seen.clientHeight, 24);
    EXPECT_EQ(seen.left, WindowLeft());
    EXPECT_EQ(seen.top, WindowTop());
    EXPECT_EQ(Form->DoubleKeyWait, c.kept);
    EXPECT_EQ(SavedSettings().GetString("Keys", "DoubleKeyWaitSec", "?"), c.written);
    EXPECT_EQ(Saves(), 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Typed, DoubleKeyDelayEntry, ::testing::Values(
    SecondsCase{"AQuarterSecond", "0.25", 25, "0.250000"},
    SecondsCase{"TwentyNineHundredthsTruncateToTwentyEight", "0.29", 28, "0.290000"},
    SecondsCase{"ThreeTenthsTruncateToTwentyNine", "0.3", 29, "0.300000"},
    SecondsCase{"WholeSeconds", "10", 1000, "10.000000"},
    SecondsCase{"AnExponent", "2.5e-1", 25, "0.250000"},
    SecondsCase{"ANegativeDelayIsKept", "-1.5", -150, "-1.500000"},
    SecondsCase{"LettersCountAsZero", "abc", 0, "0.000000"},
    SecondsCase{"AnEmptyTextCountsAsZero", "", 0, "0.000000"},
    SecondsCase{"ADecimalCommaIsNoNumber", "0,5", 0, "0.000000"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

struct IntervalCase {
    const char* name;
    const char* typed;
    int kept;
};

class UpdateIntervalEntry : public PopupWindowTest, public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(UpdateIntervalEntry, IsAtLeastOneMillisecondAndDrivesTheDisplayTimer) {
    const IntervalCase& c = GetParam();
    Start(kSettings);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{c.typed}}, seen));
        Form->DisplayUpdateIntervalMenuClick(nullptr);
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Update Interval (msec)"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"75"}));
    EXPECT_EQ(Form->DisplayUpdateInterval, c.kept);
    EXPECT_EQ(Form->DisplayTimer->Interval(), c.kept);
    EXPECT_EQ(SavedSettings().GetString("Window", "DisplayUpdateInterval", "?"), std::to_string(c.kept));
    EXPECT_EQ(Saves(), 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Typed, UpdateIntervalEntry, ::testing::Values(
    IntervalCase{"Forty", "40", 40},
    IntervalCase{"ZeroIsRaisedToOne", "0", 1},
    IntervalCase{"NegativeIsRaisedToOne", "-5", 1},
    IntervalCase{"LettersTakeTheDefaultOne", "x", 1},
    IntervalCase{"AnEmptyTextTakesTheDefaultOne", "", 1},
    IntervalCase{"BlanksAroundANumberAreAllowed", " 30 ", 30}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(OptionsWindow, ThresholdsShowTheirSecondsAndKeepTruncatedHundredths) {
    Start(kSettings);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"2.999"}, {"0.29"}}, seen));
        Form->TimerDiffZeroSmallMenuClick(nullptr);
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Small Diff(sec)", "Zero Diff(sec)"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"10", "0.25"}));
    EXPECT_EQ(seen.clientHeight, 48);
    EXPECT_EQ(seen.left, ElementLeft(Form->TimerDiffLabel));
    EXPECT_EQ(seen.top, ElementTop(Form->TimerDiffLabel));
    EXPECT_EQ(Form->SplitData->smallChange, 299);
    EXPECT_EQ(Form->SplitData->zeroChange, 28);
    const IniFileClass saved = SavedSettings();
    EXPECT_EQ(saved.GetString("Misc", "SmallChangeSeconds", "?"), "2.999000");
    EXPECT_EQ(saved.GetString("Misc", "ZeroChangeSeconds", "?"), "0.290000");
    EXPECT_EQ(Saves(), 1);
}

TEST_F(OptionsWindow, MinElapsedIsAskedAtTheBestColumnsDifferenceLabelThatWasClicked) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 3, 3));
    TLabel* diff = Form->SplitData->GetCellDiffLabel(1, 0);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"0.29"}}, seen));
        FindItem(OpenPopup(diff), "Min Elapsed For Best Split")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Min Elapsed(sec)"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"1"}));
    EXPECT_EQ(seen.left, ElementLeft(diff));
    EXPECT_EQ(seen.top, ElementTop(diff));
    EXPECT_EQ(Form->SplitData->bestSplitMinElapsed, 28);
    EXPECT_EQ(SavedSettings().GetString("Misc", "BestSplitMinElapsedSec", "?"), "0.290000");
    EXPECT_EQ(Saves(), 1);
}

// --- Value popups: texts, times and the split file ------------------------------------------

TEST_F(OptionsWindow, AnUntouchedDialogWritesTheSameValuesBackWithOneSave) {
    Start({"[Layout]", "TimerDiffStatusDone=Finished", "", "[Misc]", "UseBGRFormat=N"});
    DialogSeen seen;
    {
        ScopedModalHandler user(User({}, seen));
        Form->TimerDiffStatusMenuClick(nullptr);
    }
    EXPECT_EQ(seen.captions,
              (std::vector<std::string>{"Ready Text", "Paused Text", "New Best Text", "Done Text"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Ready", "Paused", "New Best!", "Finished"}));
    EXPECT_EQ(seen.clientHeight, 96);
    EXPECT_EQ(Saves(), 1);
    EXPECT_EQ(ReadFile("Lapwren.ini"), "[Layout]\r\n"
                                       "TimerDiffStatusDone=Finished\r\n"
                                       "TimerDiffStatusNewBest=New Best!\r\n"
                                       "TimerDiffStatusPaused=Paused\r\n"
                                       "TimerDiffStatusReady=Ready\r\n"
                                       "\r\n"
                                       "[Misc]\r\n"
                                       "UseBGRFormat=N\r\n"
                                       "\r\n");
}

TEST_F(OptionsWindow, ANewReadyTextShowsOnTheStatusLineAtOnce) {
    Start(kSettings);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"Go when ready"}, std::nullopt, std::nullopt, {""}}, seen));
        Form->TimerDiffStatusMenuClick(nullptr);
    }
    EXPECT_EQ(seen.left, ElementLeft(Form->TimerDiffLabel));
    EXPECT_EQ(Form->TimerDiffLabel->Caption(), "Go when ready");
    EXPECT_EQ(Form->TimerDiffStatusDone, "");
    const IniFileClass saved = SavedSettings();
    EXPECT_EQ(saved.GetString("Layout", "TimerDiffStatusReady", "?"), "Go when ready");
    EXPECT_EQ(saved.GetString("Layout", "TimerDiffStatusDone", "?"), "");
}

TEST_F(OptionsWindow, StartOffsetWithoutASplitFileOnlyTellsTheUser) {
    Start(kSettings);
    ScopedMessageBoxRecorder messages;
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"5"}}, seen));
        FindItem(Form->TimerLabel->PopupMenu(), "Change Timer Start Offset")->Click();
    }
    EXPECT_EQ(seen.shows, 0);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "A split file must be loaded in order to set its offset.");
    EXPECT_EQ(messages.Messages()[0].caption, "");
    EXPECT_EQ(messages.Messages()[0].flags, MB_OK);
    EXPECT_EQ(Form->SplitData->startOffset, 0);
    EXPECT_EQ(Saves(), 0);
}

struct OffsetCase {
    const char* name;
    char mode;
    const char* typed;
    int32_t kept;
};

class StartOffsetEntry : public PopupWindowTest, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(StartOffsetEntry, IsReadInTheTimerFormatAndSavedInTheSplitFileOnly) {
    const OffsetCase& c = GetParam();
    Start({"[Layout]", std::string("TimerTimeFormatMode=") + c.mode});
    const std::string path = WriteTableFile("run.txt", 2, 3);
    LoadTable(path);
    const std::string settings = ReadFile("Lapwren.ini");
    Saves();
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{c.typed}}, seen));
        Form->TimerOffsetMenuClick(nullptr);
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Timer Offset"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{FormatTime(0, true, false, c.mode)}));
    EXPECT_EQ(seen.left, ElementLeft(Form->TimerLabel));
    EXPECT_EQ(seen.top, ElementTop(Form->TimerLabel));
    EXPECT_EQ(Form->SplitData->startOffset, c.kept);

    FileDataClass reread;
    reread.LoadSplitFile(path);
    EXPECT_EQ(reread.startOffset, c.kept);
    EXPECT_EQ(FirstLine(ReadFile("run.txt")), "3\t" + FormatTime(c.kept, true, false, 'H') + "\t");
    EXPECT_EQ(Saves(), 0);
    EXPECT_EQ(ReadFile("Lapwren.ini"), settings);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Typed, StartOffsetEntry, ::testing::Values(
    OffsetCase{"NegativeSecondsInHoursFormat", 'H', "-5", -500},
    OffsetCase{"MinutesAndSecondsInHoursFormat", 'H', "1:02.5", 6250},
    OffsetCase{"APlainCountInCountFormat", 'C', "250", 250}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(OptionsWindow, AlarmTimeIsTypedInTheTimerFormatAndStoredInTheHoursForm) {
    Start(kSettings);
    Form->AlarmAcknowledged = true;
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"5:00"}, {"bell.wav"}}, seen));
        FindItem(Form->TimerLabel->PopupMenu(), "Timer Mode Alarm")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Alarm Time", "Alarm File"}));
    EXPECT_EQ(seen.left, ElementLeft(Form->TimerLabel));
    EXPECT_EQ(Form->TimerModeAlarmTime, 30000);
    EXPECT_EQ(Form->TimerModeAlarmFile, "bell.wav");
    EXPECT_TRUE(Form->AlarmAcknowledged); // left as it was
    const IniFileClass saved = SavedSettings();
    EXPECT_EQ(saved.GetString("Misc", "TimerModeAlarmTime", "?"), "0:05:00.00");
    EXPECT_EQ(saved.GetString("Misc", "TimerModeAlarmFile", "?"), "bell.wav");
    EXPECT_EQ(Saves(), 1);
}

TEST_F(OptionsWindow, AlarmTimeIsShownInMinutesFormatButStillStoredInTheHoursForm) {
    Start({"[Layout]", "TimerTimeFormatMode=M", "", "[Misc]", "TimerModeAlarmTime=1:30:00"});
    DialogSeen seen;
    {
        ScopedModalHandler user(User({}, seen));
        Form->TimerModeAlarmMenuClick(nullptr);
    }
    ASSERT_EQ(seen.texts.size(), 2u);
    EXPECT_EQ(seen.texts[0], "90:00.00");
    EXPECT_EQ(Form->TimerModeAlarmTime, 540000);
    EXPECT_EQ(SavedSettings().GetString("Misc", "TimerModeAlarmTime", "?"), "1:30:00.00");
}

TEST_F(OptionsWindow, AttemptCountsGoToTheSplitFileAndTheSessionCountStaysInMemory) {
    Start(kSettings);
    const std::string path = WriteTableFile("run.txt", 2, 3);
    LoadTable(path);
    Saves();
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"7"}, {"12"}}, seen));
        FindItem(Form->TotalAttemptsLabel->PopupMenu(), "Change Total Attempts")->Click();
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Session Attempts", "Total Attempts"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"0", "3"}));
    EXPECT_EQ(seen.left, ElementLeft(Form->AttemptCounterLabel));
    EXPECT_EQ(seen.top, ElementTop(Form->AttemptCounterLabel));
    EXPECT_EQ(Form->SessionAttemptsLabel->Caption(), "S: 7");
    EXPECT_EQ(Form->TotalAttemptsLabel->Caption(), "T: 12");
    EXPECT_EQ(FirstLine(ReadFile("run.txt")), "12\t0.00\t");
    EXPECT_EQ(Saves(), 0);

    FileDataClass reread;
    reread.LoadSplitFile(path);
    EXPECT_EQ(reread.GetTotalAttempts(), 12);
    EXPECT_EQ(reread.GetSessionAttempts(), 0);
}

TEST_F(OptionsWindow, AttemptCountsThatDoNotReadBecomeZeroAndNegativeOnesAreKept) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 2, 3));
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"-4"}, {"abc"}}, seen));
        Form->AttemptTotalMenuClick(nullptr);
    }
    EXPECT_EQ(Form->SplitData->GetSessionAttempts(), -4);
    EXPECT_EQ(Form->SplitData->GetTotalAttempts(), 0);
    EXPECT_EQ(FirstLine(ReadFile("run.txt")), "0\t0.00\t");
}

TEST_F(OptionsWindow, ABackgroundPictureIsShownAtOnceAndAnEmptyNameRemovesIt) {
    Start(kSettings);
    WritePicture("back ground.bmp", 40, 30);
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{Dir + "back ground.bmp"}}, seen));
        Form->FormBGImageMenuClick(nullptr);
    }
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"Background File Name"}));
    EXPECT_EQ(seen.left, WindowLeft());
    ASSERT_NE(Form->BackgroundImage, nullptr);
    EXPECT_EQ(SavedSettings().GetString("Layout", "BackgroundFileName", "?"), Dir + "back ground.bmp");
    EXPECT_TRUE(Form->DisplayTimer->Enabled());

    {
        ScopedModalHandler user(User({{""}}, seen));
        Form->FormBGImageMenuClick(nullptr);
    }
    EXPECT_EQ(Form->BackgroundImage, nullptr);
    EXPECT_EQ(SavedSettings().GetString("Layout", "BackgroundFileName", "?"), "");
    EXPECT_EQ(Saves(), 2);
}

TEST_F(OptionsWindow, ASecondShowingStartsFromTheKeptValuesNotFromWhatWasTypedBefore) {
    Start(kSettings);
    LoadTable(WriteTableFile("run.txt", 2, 3));
    DialogSeen seen;
    {
        ScopedModalHandler user(User({{"a"}, {"b"}, {"c"}, {"d"}}, seen));
        Form->TimerDiffStatusMenuClick(nullptr);
    }
    {
        ScopedModalHandler user(User({{"2"}}, seen));
        Form->FormDblKeyMenuClick(nullptr);
    }
    // The rows below the one shown still hold the old texts; they are not read.
    EXPECT_EQ(TextSettingsForm->Entry2Edit->Text(), "b");
    EXPECT_EQ(Form->DoubleKeyWait, 200);
    {
        ScopedModalHandler user(User({}, seen));
        Form->AttemptTotalMenuClick(nullptr);
    }
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"0", "3"}));
}
