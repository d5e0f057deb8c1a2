// The Options menu toggles, the check items of the window's own popup menu, and the popups that
// change values of behaviour and of the run: double-key delay, display update interval,
// background picture, start offset, alarm, status texts, difference thresholds, attempt counts
// and the least segment that counts as a best. Also how every setting dialog is placed and how
// the text dialog is filled and read, which the look popups (MainLook.cpp) share.
//
// A setting popup fills its dialog with the kept values, shows it modally, applies whatever it
// holds when it closes (the dialogs have no cancel), writes the keys and saves "Lapwren.ini" once.

#include "ui/MainUnit.h"

#include "core/TextHelpers.h"
#include "core/TimeText.h"
#include "platform/forms/Application.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"
#include "platform/forms/Timer.h"
#include "platform/runtime/Conversions.h"

#include "ui/TextSettingsUnit.h"
#include <algorithm>

namespace {

// A kept value in hundredths, shown as seconds in their shortest form (0.25, 10, 1).
std::string SecondsText(int32_t hundredths) {
    return rt::FloatToStr(static_cast<long double>(hundredths) * 0.01L);
}

// Typed seconds: a text that is not a number counts as 0.
double ReadSeconds(const std::string& text) {
    try {
        return static_cast<double>(rt::StrToFloat(text));
    } catch (const rt::EConvertError&) {
        return 0.0;
    }
}

// The clicked item when the sender is one, else the item the handler belongs to.
TMenuItem* ClickedItem(TObject* Sender, TMenuItem* fallback) {
    if (auto* item = dynamic_cast<TMenuItem*>(Sender))
        return item;
    return fallback;
}

// The Options menu toggles: a command key, so it first answers the alarm and hides the counter
// panel; then the flag flips, shows in the item and is stored.
void ToggleOption(TMainForm& form, TMenuItem* item, bool& flag, const char* section, const char* key) {
    if (form.AcknowledgeAlarm())
        return;
    if (form.CounterPanel != nullptr)
        form.CounterPanel->Hide();
    flag = !flag;
    if (item != nullptr)
        item->SetChecked(flag);
    form.Settings->SetString(section, key, BoolToYN(flag));
    form.Settings->Save();
    form.UpdateLayout();
}

// The check items of the window's popup menu: no alarm guard; the caller refreshes.
void ToggleFormItem(TMainForm& form, TMenuItem* item, bool& flag, const char* section, const char* key) {
    flag = !flag;
    if (item != nullptr)
        item->SetChecked(flag);
    form.Settings->SetString(section, key, BoolToYN(flag));
    form.Settings->Save();
}

} // namespace

// --- Placing and filling the setting dialogs -----------------------------------------------------

void TMainForm::PlaceDialog(TForm* dialog, TControl* element) {
    const int frameWidth = Width() - ClientWidth();
    const int frameHeight = Height() - ClientHeight();
    if (element == nullptr) {
        // Over the top-left corner of the client area.
        dialog->PlaceBeside(Left(), Top() + frameHeight - 3);
        return;
    }
    // 3 pixels above and left of the element's top-left corner.
    dialog->PlaceBeside(element->Left() + Left() + frameWidth - 3, element->Top() + Top() + frameHeight - 3);
}

void TMainForm::PlaceDialogOnCounterPanel(TForm* dialog) {
    if (CounterPanel == nullptr) {
        PlaceDialog(dialog, nullptr);
        return;
    }
    dialog->PlaceBeside(CounterPanel->Left() + Left() + (Width() - ClientWidth()),
                        CounterPanel->Top() + Top() + (Height() - ClientHeight()));
}

bool TMainForm::AskTexts(const std::vector<SettingEntry>& entries, TControl* element,
                         std::vector<std::string>& texts) {
    TTextSettingsForm* dialog = TextSettingsForm;
    if (dialog == nullptr || entries.empty() || entries.size() > 4)
        return false;
    TLabel* labels[] = {dialog->Entry1Label, dialog->Entry2Label, dialog->Entry3Label, dialog->Entry4Label};
    TEdit* edits[] = {dialog->Entry1Edit, dialog->Entry2Edit, dialog->Entry3Edit, dialog->Entry4Edit};
    for (size_t i = 0; i < entries.size(); ++i) {
        labels[i]->SetCaption(entries[i].caption);
        edits[i]->SetText(entries[i].text);
    }
    dialog->EntryCount = static_cast<int>(entries.size());
    PlaceDialog(dialog, element);
    dialog->ShowModal();
    // Rows past the count lie outside the dialog and are not read.
    texts.clear();
    for (size_t i = 0; i < entries.size(); ++i)
        texts.push_back(edits[i]->Text());
    return true;
}

// --- Options menu toggles --------------------------------------------------------------------------

void TMainForm::HideBestSplitsMenuItemClick(TObject* /*Sender*/) {
    ToggleOption(*this, HideBestSplitsMenuItem, HideBestSplits, "Window", "HideBestSplits");
}

void TMainForm::HideCurrentSplitsMenuItemClick(TObject* /*Sender*/) {
    ToggleOption(*this, HideCurrentSplitsMenuItem, HideCurrentSplits, "Window", "HideCurrentSplits");
}

void TMainForm::HideDifferenceRowsMenuItemClick(TObject* /*Sender*/) {
    ToggleOption(*this, HideDifferenceRowsMenuItem, HideDiffRows, "Window", "HideDiffRows");
}

void TMainForm::HideHideableRowsMenuItemClick(TObject* /*Sender*/) {
    ToggleOption(*this, HideHideableRowsMenuItem, HideHideableRows, "Window", "HideHideableRows");
}

void TMainForm::HideAttemptCountersMenuItemClick(TObject* /*Sender*/) {
    ToggleOption(*this, HideAttemptCountersMenuItem, HideAttemptCounters, "Window", "HideAttemptCounters");
}

void TMainForm::AutosaveBestSplitsMenuItemClick(TObject* /*Sender*/) {
    ToggleOption(*this, AutosaveBestSplitsMenuItem, SplitData->autoSaveBestSplits, "Misc",
                 "AutoSaveBestSplits");
}

void TMainForm::AutosaveBestRunMenuItemClick(TObject* /*Sender*/) {
    ToggleOption(*this, AutosaveBestRunMenuItem, SplitData->autoSaveBestRun, "Misc", "AutoSaveBestRun");
}

void TMainForm::AutosaveSplitStateFileMenuItemClick(TObject* /*Sender*/) {
    ToggleOption(*this, AutosaveSplitStateFileMenuItem, AutoSaveSplitState, "Misc", "AutoSaveSplitState");
}

void TMainForm::AutoLogRunsMenuItemClick(TObject* /*Sender*/) {
    ToggleOption(*this, AutoLogRunsMenuItem, SplitData->autoLogRuns, "Misc", "AutoLogRuns");
}

// --- Check items of the window's popup menu ------------------------------------------------------

void TMainForm::DefaultElapsedModeMenuClick(TObject* Sender) {
    // Applies when the table is next built.
    ToggleFormItem(*this, ClickedItem(Sender, DefaultElapsedModeMenuItem), DefaultElapsedMode, "Misc",
                   "DefaultElapsedMode");
}

void TMainForm::ResetRestartTimerMenuClick(TObject* Sender) {
    // Read by the next reset.
    ToggleFormItem(*this, ClickedItem(Sender, ResetRestartTimerMenuItem), ResetTimerRestartTimerMode, "Misc",
                   "ResetTimerRestartTimerMode");
}

void TMainForm::BGRFormatMenuClick(TObject* Sender) {
    ToggleFormItem(*this, ClickedItem(Sender, BGRFormatMenuItem), UseBGRFormat, "Misc", "UseBGRFormat");
    UpdateLayout();
}

void TMainForm::FormTimerLeftMenuClick(TObject* Sender) {
    ToggleFormItem(*this, ClickedItem(Sender, TimerOnLeftMenuItem), TimerOnLeft, "Window", "TimerOnLeft");
    UpdateLayout();
}

void TMainForm::FormTimerTopMenuClick(TObject* Sender) {
    ToggleFormItem(*this, ClickedItem(Sender, TimerOnTopMenuItem), TimerOnTop, "Window", "TimerOnTop");
    UpdateLayout();
}

void TMainForm::FormHorizontalMenuClick(TObject* Sender) {
    ToggleFormItem(*this, ClickedItem(Sender, HorizontalSplitsMenuItem), HorizontalMode, "Window",
                   "HorizontalMode");
    UpdateLayout();
}

void TMainForm::FormReverseWheelMenuClick(TObject* Sender) {
    ToggleFormItem(*this, ClickedItem(Sender, ReverseWheelMenuItem), ReverseMouseScroll, "Window",
                   "ReverseMouseScroll");
    UpdateLayout();
}

// --- Value popups ----------------------------------------------------------------------------------

void TMainForm::FormDblKeyMenuClick(TObject* /*Sender*/) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Dbl Key Delay", SecondsText(DoubleKeyWait)}}, nullptr, texts))
        return;
    const double seconds = ReadSeconds(texts[0]);
    DoubleKeyWait = rt::SecondsToHundredths(seconds);
    // The number as typed, not the truncated hundredths: 0.29 is stored as 0.290000.
    Settings->SetDouble("Keys", "DoubleKeyWaitSec", seconds);
    Settings->Save();
    // The key-repeat guard takes the new length at its next start.
}

void TMainForm::DisplayUpdateIntervalMenuClick(TObject* /*Sender*/) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Update Interval (msec)", IntToString(DisplayUpdateInterval)}}, nullptr, texts))
        return;
    DisplayUpdateInterval = std::max(1, rt::StrToIntDef(texts[0], 1));
    Settings->SetInt("Window", "DisplayUpdateInterval", DisplayUpdateInterval);
    Settings->Save();
    DisplayTimer->SetInterval(DisplayUpdateInterval);
}

void TMainForm::FormBGImageMenuClick(TObject* /*Sender*/) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Background File Name", BackgroundFileName}}, nullptr, texts))
        return;
    BackgroundFileName = texts[0];
    Settings->SetString("Layout", "BackgroundFileName", BackgroundFileName);
    Settings->Save();
    RebuildDisplay();
}

void TMainForm::TimerOffsetMenuClick(TObject* /*Sender*/) {
    if (!SplitData->HasFile()) {
        Application.MessageBox("A split file must be loaded in order to set its offset.", "", MB_OK);
        return;
    }
    std::vector<std::string> texts;
    if (!AskTexts({{"Timer Offset", FormatTime(SplitData->startOffset, true, false, TimerTimeFormatMode)}},
                  TimerLabel, texts))
        return;
    SplitData->startOffset = ParseTime(texts[0], TimerTimeFormatMode);
    // The offset belongs to the split file, not to the settings.
    SplitData->SaveSplitFile();
}

void TMainForm::TimerModeAlarmMenuClick(TObject* /*Sender*/) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Alarm Time", FormatTime(TimerModeAlarmTime, true, false, TimerTimeFormatMode)},
                   {"Alarm File", TimerModeAlarmFile}},
                  TimerLabel, texts))
        return;
    TimerModeAlarmTime = ParseTime(texts[0], TimerTimeFormatMode);
    TimerModeAlarmFile = texts[1];
    // Stored in the full hours form whatever the display format, as the load reads it.
    Settings->SetString("Misc", "TimerModeAlarmTime", FormatTime(TimerModeAlarmTime, false, false, 'H'));
    Settings->SetString("Misc", "TimerModeAlarmFile", TimerModeAlarmFile);
    Settings->Save();
    // Whether the alarm was acknowledged stays as it was.
}

void TMainForm::TimerDiffStatusMenuClick(TObject* /*Sender*/) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Ready Text", TimerDiffStatusReady},
                   {"Paused Text", TimerDiffStatusPaused},
                   {"New Best Text", TimerDiffStatusNewBest},
                   {"Done Text", TimerDiffStatusDone}},
                  TimerDiffLabel, texts))
        return;
    TimerDiffStatusReady = texts[0];
    TimerDiffStatusPaused = texts[1];
    TimerDiffStatusNewBest = texts[2];
    TimerDiffStatusDone = texts[3];
    Settings->SetString("Layout", "TimerDiffStatusReady", TimerDiffStatusReady);
    Settings->SetString("Layout", "TimerDiffStatusPaused", TimerDiffStatusPaused);
    Settings->SetString("Layout", "TimerDiffStatusNewBest", TimerDiffStatusNewBest);
    Settings->SetString("Layout", "TimerDiffStatusDone", TimerDiffStatusDone);
    Settings->Save();
    DisplayTimerTimer(nullptr);
}

void TMainForm::TimerDiffZeroSmallMenuClick(TObject* /*Sender*/) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Small Diff(sec)", SecondsText(SplitData->smallChange)},
                   {"Zero Diff(sec)", SecondsText(SplitData->zeroChange)}},
                  TimerDiffLabel, texts))
        return;
    const double small = ReadSeconds(texts[0]);
    const double zero = ReadSeconds(texts[1]);
    SplitData->smallChange = rt::SecondsToHundredths(small);
    SplitData->zeroChange = rt::SecondsToHundredths(zero);
    Settings->SetDouble("Misc", "SmallChangeSeconds", small);
    Settings->SetDouble("Misc", "ZeroChangeSeconds", zero);
    Settings->Save();
    DisplayTimerTimer(nullptr);
    UpdateLayout();
}

void TMainForm::AttemptTotalMenuClick(TObject* /*Sender*/) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Session Attempts", IntToString(SplitData->sessionAttempts)},
                   {"Total Attempts", IntToString(SplitData->totalAttempts)}},
                  AttemptCounterLabel, texts))
        return;
    SplitData->sessionAttempts = rt::StrToIntDef(texts[0], 0);
    SplitData->totalAttempts = rt::StrToIntDef(texts[1], 0);
    // The total lives in the split file; the session count only in memory.
    SplitData->SaveSplitFile();
    UpdateAttemptTexts();
}

void TMainForm::TimeDiffMinElapsedMenuClick(TObject* Sender) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Min Elapsed(sec)", SecondsText(SplitData->bestSplitMinElapsed)}}, PopupElement(Sender),
                  texts))
        return;
    const double seconds = ReadSeconds(texts[0]);
    SplitData->bestSplitMinElapsed = rt::SecondsToHundredths(seconds);
    Settings->SetDouble("Misc", "BestSplitMinElapsedSec", seconds);
    Settings->Save();
    FillTable();
}
