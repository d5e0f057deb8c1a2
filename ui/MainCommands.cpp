// The commands of the File and Splits menus, the alarm guard in front of every command and the
// key-repeat guard in front of the split commands.
//
// The key-repeat guard is the KeyGuard stopwatch run as a count-down: restarting it starts it at
// -DoubleKeyWait, so it reads below zero until that many hundredths have passed. One key held a
// little too long, or pressed twice by accident, then splits only once.

#include "ui/MainUnit.h"

#include "core/TimeText.h"
#include "platform/forms/Application.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Edit.h"
#include "platform/forms/MediaPlayer.h"
#include "platform/forms/Menus.h"
#include "platform/forms/OpenDialog.h"
#include "platform/forms/Panel.h"
#include "ui/SplitHistoryUnit.h"
#include "upload/UploadSplitsUnit.h"

namespace {

// "(count) description" and a line break: one counter's line of a split's note.
void AppendCountLine(std::string& note, int count, const std::string& description) {
    note += '(';
    note += IntToString(count);
    note += ") ";
    note += description;
    note += '\n';
}

void HidePanel(TPanel* panel) {
    if (panel != nullptr)
        panel->Hide();
}

bool GuardOpen(const TimerClass& guard) {
    return guard.Elapsed() >= 0;
}

void RestartGuard(TimerClass& guard, int32_t wait) {
    guard.Reset(0);
    guard.Start(-wait);
}

} // namespace

bool TMainForm::AcknowledgeAlarm() {
    if (SoundPlayer == nullptr || SoundPlayer->FileName().empty())
        return false;
    // The sound stops at the end of the playback under way (SoundPlayerOnNotify).
    AlarmAcknowledged = true;
    return true;
}

void TMainForm::FormKeyPress(TObject* /*Sender*/, char& Key) {
    if (AcknowledgeAlarm()) {
        Key = '\0';
        return;
    }
    HidePanel(CounterPanel);
}

void TMainForm::OpenSplitsMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    OpenDialog->SetTitle("Choose a Lapwren File");
    if (!OpenDialog->Execute())
        return;
    DestroySplitTable();
    ResetCounters(true);
    AlarmAcknowledged = false;
    SplitData->LoadSplitFile(OpenDialog->FileName());
    ShowOpenedSplits();
}

void TMainForm::ShowOpenedSplits() {
    if (!SplitData->HasFile()) {
        // The load cleared the table as a close does; the window follows it.
        ShowPlainTimer();
        return;
    }
    // The build sizes its labels with the measures of the last layout. They come from the
    // settings alone, so measuring first gives the one build those the new file's layout takes.
    // The widgets repaint themselves after the layout.
    if (TimerLabel != nullptr)
        MeasureCells();
    {
        // The labels get their widgets once the layout has placed them: only the rows in sight.
        const TUpdateScope building(*this);
        BuildSplitTable();
        UpdateLayout();
    }
    if (AutoUploadSplits) {
        ShowUploadForm();
        if (AutoUploadSplits && UploadSplitsForm != nullptr)
            UploadSplitsForm->RegisterSplits();
    }
}

void TMainForm::CloseSplitsMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    DestroySplitTable();
    AlarmAcknowledged = false;
    ResetCounters(true);
    SplitData->Clear();
    ShowPlainTimer();
}

void TMainForm::ShowPlainTimer() {
    UpdateLayout();
    if (UploadSplitsForm != nullptr)
        UploadSplitsForm->UnregisterSplits();
}

void TMainForm::SaveCurrentSplitsMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    // Only a finished run that beats the stored one replaces it.
    if (!SplitData->HasFile() || !SplitData->IsNewBestRun())
        return;
    SplitData->SaveCurrentSplits();
    FillTable();
}

void TMainForm::SaveBestSplitsMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    if (!SplitData->HasFile())
        return;
    SplitData->SaveBestSplits();
    FillTable();
}

void TMainForm::OpenSplitStateMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    OpenDialog->SetTitle("Choose a Split State File");
    if (!OpenDialog->Execute())
        return;
    DestroySplitTable();
    AlarmAcknowledged = false;
    ResetCounters(true);
    SplitData->LoadSplitState(OpenDialog->FileName());
    ShowOpenedSplits();
}

void TMainForm::SaveSplitStateMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    SplitData->SaveSplitState();
}

void TMainForm::ViewGraphHistoryMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    if (!SplitData->HasFile() || SplitHistoryForm == nullptr)
        return;
    SplitData->LoadRunLog();

    TComboBox* splits = SplitHistoryForm->SplitComboBox;
    splits->Clear();
    for (size_t r = 0; r < SplitData->GetRowCount(); ++r)
        splits->Items()->Add(SplitData->GetRowTitle(r));
    splits->Items()->Add("Run");
    splits->SetItemIndex(splits->Items()->Count() - 1);
    SplitHistoryForm->NumberEdit->SetText("1");
    SplitHistoryForm->RangeComboBox->SetItemIndex(3);
    SplitHistoryForm->RefreshChart();
    SplitHistoryForm->ShowModal();
}

void TMainForm::QuitProgramMenuItemClick(TObject* /*Sender*/) {
    Close();
}

void TMainForm::PauseResumeTimerMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    if (SplitData->IsTimerRunning()) {
        SplitData->PauseRun();
        return;
    }
    if (SplitData->IsTimerZero())
        SplitData->StartRun();
    else
        SplitData->ResumeRun();
    UpdateAttemptTexts();
}

void TMainForm::ResetTimerMenuItemClick(TObject* Sender) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    SplitData->ResetRun();
    ResetCounters(true);
    AlarmAcknowledged = false;
    FillTable();
    if (SplitData->HasFile())
        CentreOnRow(SplitData->GetCurrentSplit());
    // A reset pressed right after a split is taken, but is not also read as a fresh start.
    if (ResetTimerRestartTimerMode && GuardOpen(*KeyGuard))
        PauseResumeTimerMenuItemClick(Sender);
    RestartGuard(*KeyGuard, DoubleKeyWait);
}

void TMainForm::MakeSplitMenuItemClick(TObject* Sender) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    if (!GuardOpen(*KeyGuard))
        return;
    RestartGuard(*KeyGuard, DoubleKeyWait);

    FileDataClass& data = *SplitData;
    if (!data.HasFile() && data.IsTimerRunning()) {
        data.PauseRun();
        return;
    }
    if (!data.IsTimerRunning()) {
        if (data.IsTimerZero())
            data.StartRun();
        else
            data.ResumeRun();
        UpdateAttemptTexts();
        return;
    }

    // The split's note and counts, from the counters in menu order.
    std::string note;
    CounterCountList counts;
    bool counted = false;
    for (int i = 0; CountersMenu != nullptr && i < CountersMenu->Count(); ++i) {
        const CounterMenuItemClass* counter = CounterOf(CountersMenu->Items(i));
        if (counter == nullptr)
            continue;
        counts.push_back(counter->splitCount);
        if (counter->splitCount != 0) {
            counted = true;
            AppendCountLine(note, counter->splitCount, counter->description);
        }
    }
    if (counted && data.GetCurrentSplit() + 1 == data.GetRowCount()) {
        note += "-----TOTALS:\n";
        for (int i = 0; i < CountersMenu->Count(); ++i) {
            const CounterMenuItemClass* counter = CounterOf(CountersMenu->Items(i));
            if (counter != nullptr && counter->runTotal != 0)
                AppendCountLine(note, counter->runTotal, counter->description);
        }
    }

    data.MakeSplit(note, counts);
    // Also when no split was recorded (the start offset still counts down).
    ResetCounters(false);

    FillTable();
    CentreOnRow(data.GetCurrentSplit());
    DisplayTimerTimer(Sender);
    Application.ProcessMessages();

    SubmitFinishedRun();
}

void TMainForm::SkipSplitMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    if (!GuardOpen(*KeyGuard) || !SplitData->HasFile() || !SplitData->IsTimerRunning())
        return;
    RestartGuard(*KeyGuard, DoubleKeyWait);
    SplitData->SkipSplit();
    ResetCounters(false);
    RestoreSplitCounters();
    FillTable();
    CentreOnRow(SplitData->GetCurrentSplit());
}

void TMainForm::UndoSplitMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    HidePanel(CounterPanel);
    if (!GuardOpen(*KeyGuard) || !SplitData->HasFile())
        return;
    RestartGuard(*KeyGuard, DoubleKeyWait);
    SplitData->UndoSplit();
    ResetCounters(false);
    RestoreSplitCounters();
    FillTable();
    CentreOnRow(SplitData->GetCurrentSplit());
}

void TMainForm::TimerHubTimerTimer(TObject* /*Sender*/) {
    // Its timer is never enabled.
}
