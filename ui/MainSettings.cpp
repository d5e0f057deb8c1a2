// Loading "Lapwren.ini": every key in the order the load reads it, with its kind, default and
// limit, into the window's members (or the split data's fields), then the shortcuts, the counters
// and the automatic showing of the upload dialog.

#include "ui/MainUnit.h"

#include "core/TextHelpers.h"
#include "core/TimeText.h"
#include "platform/forms/Menus.h"
#include "platform/forms/ShortCuts.h"
#include "platform/forms/Timer.h"
#include "platform/runtime/Conversions.h"
#include "platform/runtime/TextFile.h"
#include "upload/UploadSplitsUnit.h"

#include <algorithm>

namespace {

// A "Y"/"N" setting: true exactly when the text is "Y" in either case.
bool ReadYN(const IniFileClass& ini, const std::string& section, const std::string& key, const char* def) {
    return ToUpperCase(ini.GetString(section, key, def)) == "Y";
}

// A setting in seconds, kept in hundredths (truncated toward zero).
int32_t ReadSeconds(const IniFileClass& ini, const std::string& section, const std::string& key, double def) {
    return rt::SecondsToHundredths(ini.GetDouble(section, key, def));
}

// The largest size taken from the file, in pixels (points for a font): above the width of a 4K
// screen, and small enough that the layout's sums of sizes, and of a row height over thousands of
// rows, stay far from the int range.
constexpr int kMaxSize = 4096;

// A size: a negative one could shrink the window to nothing, a huge one overflow the layout.
int ReadSize(const IniFileClass& ini, const std::string& section, const std::string& key, int def) {
    return std::clamp(ini.GetInt(section, key, def), 0, kMaxSize);
}

} // namespace

void TMainForm::LoadSettings() {
    IniFileClass& ini = *Settings;
    ini.Load(ProgramDir + "Lapwren.ini");

    UseBGRFormat = ReadYN(ini, "Misc", "UseBGRFormat", "N");

    // The counter panel takes its colour with the BGR flag just read.
    CounterPanelColor = ini.GetString("Counters", "CounterPanelColor", "222222");
    BuildCounterPanel();
    PanelHeaderFontColor = ini.GetString("Counters", "PanelHeaderFontColor", "FFFFFF");
    PanelHeaderFontName = ini.GetString("Counters", "PanelHeaderFontName", "Arial");
    PanelHeaderFontSize = ReadSize(ini, "Counters", "PanelHeaderFontSize", 8);
    PanelDataFontColor = ini.GetString("Counters", "PanelDataFontColor", "FFFFFF");
    PanelDataFontName = ini.GetString("Counters", "PanelDataFontName", "Arial");
    PanelDataFontSize = ReadSize(ini, "Counters", "PanelDataFontSize", 7);

    BuildCounters();

    DoubleKeyWait = ReadSeconds(ini, "Keys", "DoubleKeyWaitSec", 0.25);
    // Every command's shortcut is replaced: a missing or unknown key text leaves none.
    const std::pair<const char*, TMenuItem*> shortcuts[] = {
        {"OpenSplitsHotkey", OpenSplitsMenuItem},
        {"CloseSplitsHotkey", CloseSplitsMenuItem},
        {"SaveSplitsHotkey", SaveCurrentSplitsMenuItem},
        {"SaveBestSplitsHotkey", SaveBestSplitsMenuItem},
        {"OpenSplitStateHotkey", OpenSplitStateMenuItem},
        {"SaveSplitStateHotkey", SaveSplitStateMenuItem},
        {"SplitHistoryGraphHotkey", ViewGraphHistoryMenuItem},
        {"QuitProgramHotkey", QuitProgramMenuItem},
        {"PauseResumeHotkey", PauseResumeTimerMenuItem},
        {"ResetTimerHotkey", ResetTimerMenuItem},
        {"MakeSplitHotkey", MakeSplitMenuItem},
        {"SkipSplitHotkey", SkipSplitMenuItem},
        {"UndoSplitHotkey", UndoSplitMenuItem},
        {"HideBestSplitsHotkey", HideBestSplitsMenuItem},
        {"HideCurrentSplitsHotkey", HideCurrentSplitsMenuItem},
        {"HideDiffRowsHotkey", HideDifferenceRowsMenuItem},
        {"HideHideableRowsHotkey", HideHideableRowsMenuItem},
        {"HideAttemptCountersHotKey", HideAttemptCountersMenuItem},
        {"AutoSaveBestSplitsHotkey", AutosaveBestSplitsMenuItem},
        {"AutoSaveBestRunHotkey", AutosaveBestRunMenuItem},
        {"AutoSaveSplitStateHotkey", AutosaveSplitStateFileMenuItem},
        {"AutoLogRunsHotkey", AutoLogRunsMenuItem},
        {"AutoUploadSplitsHotkey", AutoUploadSplitsMenuItem},
    };
    for (const auto& [key, item] : shortcuts)
        item->SetShortCut(TextToShortCut(ini.GetString("Keys", key, "")));

    SplitData->autoSaveBestSplits = ReadYN(ini, "Misc", "AutoSaveBestSplits", "N");
    AutosaveBestSplitsMenuItem->SetChecked(SplitData->autoSaveBestSplits);
    SplitData->autoSaveBestRun = ReadYN(ini, "Misc", "AutoSaveBestRun", "N");
    AutosaveBestRunMenuItem->SetChecked(SplitData->autoSaveBestRun);
    AutoSaveSplitState = ReadYN(ini, "Misc", "AutoSaveSplitState", "N");
    AutosaveSplitStateFileMenuItem->SetChecked(AutoSaveSplitState);
    SplitData->autoLogRuns = ReadYN(ini, "Misc", "AutoLogRuns", "N");
    AutoLogRunsMenuItem->SetChecked(SplitData->autoLogRuns);
    DefaultElapsedMode = ReadYN(ini, "Misc", "DefaultElapsedMode", "N");
    ResetTimerRestartTimerMode = ReadYN(ini, "Misc", "ResetTimerRestartTimerMode", "N");
    SplitData->bestSplitMinElapsed = ReadSeconds(ini, "Misc", "BestSplitMinElapsedSec", 1.0);
    SplitData->smallChange = ReadSeconds(ini, "Misc", "SmallChangeSeconds", 10.0);
    SplitData->zeroChange = ReadSeconds(ini, "Misc", "ZeroChangeSeconds", 0.25);
    const std::string alarmTime = ini.GetString("Misc", "TimerModeAlarmTime", "");
    TimerModeAlarmTime = alarmTime.empty() ? 0 : ParseTime(alarmTime, 'H');
    TimerModeAlarmFile = ini.GetString("Misc", "TimerModeAlarmFile", "");

    SettingsTop = ini.GetInt("Window", "Top", 100);
    SettingsLeft = ini.GetInt("Window", "Left", 100);
    // Kept in sight, with the upload dialog placed at it below, until the start-up has laid the
    // window out and judges the place read by the window's own size (FormActivate).
    MoveOntoScreen(SettingsLeft, SettingsTop);
    MaxHeight = ReadSize(ini, "Window", "MaxHeight", 520);
    if (MaxHeight < 200)
        MaxHeight = 200;
    MaxWidth = ReadSize(ini, "Window", "MaxWidth", 900);
    if (MaxWidth < 185)
        MaxWidth = 185;
    TimerAreaExtraHeight = ReadSize(ini, "Window", "TimerAreaExtraHeight", 2);
    FooterHeight = ReadSize(ini, "Window", "FooterHeight", 0);
    FooterWidth = ReadSize(ini, "Window", "FooterWidth", 0);
    HeaderColsHeight = ReadSize(ini, "Window", "HeaderColsHeight", 26);
    ExtraRowHeight = ReadSize(ini, "Window", "ExtraRowHeight", 2);
    ExtraRowHeightShort = ReadSize(ini, "Window", "ExtraRowHeightShort", 2);
    ExtraDataColumnWidth = ReadSize(ini, "Window", "ExtraDataColumnWidth", 2);
    ImageSize = ReadSize(ini, "Window", "ImageSize", 24);
    HeaderColumnWidth = ReadSize(ini, "Window", "HeaderColumnWidth", 75);
    TimerOnLeft = ReadYN(ini, "Window", "TimerOnLeft", "Y");
    TimerOnTop = ReadYN(ini, "Window", "TimerOnTop", "Y");
    HorizontalMode = ReadYN(ini, "Window", "HorizontalMode", "N");
    ReverseMouseScroll = ReadYN(ini, "Window", "ReverseMouseScroll", "N");
    HideAttemptCounters = ReadYN(ini, "Window", "HideAttemptCounters", "N");
    HideBestSplits = ReadYN(ini, "Window", "HideBestSplits", "N");
    HideCurrentSplits = ReadYN(ini, "Window", "HideCurrentSplits", "N");
    HideDiffRows = ReadYN(ini, "Window", "HideDiffRows", "N");
    HideHideableRows = ReadYN(ini, "Window", "HideHideableRows", "N");
    DisplayUpdateInterval = ini.GetInt("Window", "DisplayUpdateInterval", 75);
    if (DisplayUpdateInterval < 1)
        DisplayUpdateInterval = 1;
    DisplayTimer->SetInterval(DisplayUpdateInterval);

    BackgroundColor = ini.GetString("Layout", "BackgroundColor", "000000");
    BackgroundFileName = ini.GetString("Layout", "BackgroundFileName", "");
    TimerFontName = ini.GetString("Layout", "TimerFontName", "Arial");
    TimerFontSize = ReadSize(ini, "Layout", "TimerFontSize", 16);
    SplitData->TimerNegTimeColor = ini.GetString("Layout", "TimerNegTimeColor", "808080");
    SplitData->TimerNormalColor = ini.GetString("Layout", "TimerNormalColor", "FFFFFF");
    SplitData->TimerPositiveLargeColor = ini.GetString("Layout", "TimerPositiveLargeColor", "FF0000");
    SplitData->TimerPositiveSmallColor = ini.GetString("Layout", "TimerPositiveSmallColor", "800000");
    NewBestSplitColor = ini.GetString("Layout", "NewBestSplitColor", "FFD700");
    TimerTimeFormatMode = ini.GetChar("Layout", "TimerTimeFormatMode", 'H');
    TimerDiffFontName = ini.GetString("Layout", "TimerDiffFontName", "Arial");
    TimerDiffFontSize = ReadSize(ini, "Layout", "TimerDiffFontSize", 8);
    TimerDiffTimeFormatMode = ini.GetChar("Layout", "TimerDiffTimeFormatMode", 'H');
    AttemptCounterFontColor = ini.GetString("Layout", "AttemptCounterFontColor", "FFFFFF");
    AttemptCounterFontName = ini.GetString("Layout", "AttemptCounterFontName", "Arial");
    AttemptCounterFontSize = ReadSize(ini, "Layout", "AttemptCounterFontSize", 8);
    TitleFontColor = ini.GetString("Layout", "TitleFontColor", "FFFFFF");
    TitleFontName = ini.GetString("Layout", "TitleFontName", "Arial");
    TitleFontSize = ReadSize(ini, "Layout", "TitleFontSize", 7);
    ColHeaderFontColor = ini.GetString("Layout", "ColHeaderFontColor", "FFFFFF");
    ColHeaderFontName = ini.GetString("Layout", "ColHeaderFontName", "Arial");
    ColHeaderFontSize = ReadSize(ini, "Layout", "ColHeaderFontSize", 7);
    ColHeaderElapsedFontColor = ini.GetString("Layout", "ColHeaderElapsedFontColor", "808080");
    RowHeaderFontColor = ini.GetString("Layout", "RowHeaderFontColor", "FFFFFF");
    RowHeaderFontName = ini.GetString("Layout", "RowHeaderFontName", "Arial");
    RowHeaderFontSize = ReadSize(ini, "Layout", "RowHeaderFontSize", 7);
    CurrentRowColor = ini.GetString("Layout", "CurrentRowColor", "0080FF");
    SplitTimesFontColor = ini.GetString("Layout", "SplitTimesFontColor", "FFFFFF");
    SplitTimesFontName = ini.GetString("Layout", "SplitTimesFontName", "Arial");
    SplitTimesFontSize = ReadSize(ini, "Layout", "SplitTimesFontSize", 7);
    SplitDiffFontName = ini.GetString("Layout", "SplitDiffFontName", "Arial");
    SplitDiffFontSize = ReadSize(ini, "Layout", "SplitDiffFontSize", 7);
    SplitData->DiffNegativeLargeColor = ini.GetString("Layout", "DiffNegativeLargeColor", "00FF00");
    SplitData->DiffNegativeSmallColor = ini.GetString("Layout", "DiffNegativeSmallColor", "008000");
    SplitData->DiffPositiveLargeColor = ini.GetString("Layout", "DiffPositiveLargeColor", "FF0000");
    SplitData->DiffPositiveSmallColor = ini.GetString("Layout", "DiffPositiveSmallColor", "800000");
    SplitData->DiffZeroColor = ini.GetString("Layout", "DiffZeroColor", "FFFFFF");
    TimerDiffStatusReady = ini.GetString("Layout", "TimerDiffStatusReady", "Ready");
    TimerDiffStatusPaused = ini.GetString("Layout", "TimerDiffStatusPaused", "Paused");
    TimerDiffStatusNewBest = ini.GetString("Layout", "TimerDiffStatusNewBest", "New Best!");
    TimerDiffStatusDone = ini.GetString("Layout", "TimerDiffStatusDone", "Done!");

    TUploadSplitsForm* upload = UploadSplitsForm;
    if (upload == nullptr)
        return;
    upload->ClearComboBox(upload->ServerComboBox, &upload->ServerCodes);
    upload->ClearComboBox(upload->GameListComboBox, &upload->GameCodes);
    upload->ClearComboBox(upload->GameCategoryComboBox, &upload->CategoryCodes);
    const std::string uploadFile = ProgramDir + "AutoUpload.ini";
    if (!rt::FileExists(uploadFile))
        return;
    AutoUploadSettings->Load(uploadFile);
    upload->UploadSettings = AutoUploadSettings.get();
    upload->AutoMode = true;
    upload->PlaceBeside(Left(), Top());
    upload->ShowModal();
    Show();
    upload->AutoMode = false;
    if (upload->IsUploadReady())
        SetAutoUploadSplits(true);
}
