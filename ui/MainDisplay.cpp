// The display tick and the table fill: what the timer, the status line and every cell of the
// split table show. The tick touches only the timer, the status line and the cell of the row in
// progress; the whole table is filled only after a change, a layout or a scroll.

#include "ui/MainUnit.h"

#include "core/TextHelpers.h"
#include "core/TimeText.h"
#include "platform/forms/Label.h"
#include "platform/forms/MediaPlayer.h"
#include "platform/runtime/TextFile.h"

namespace {

const std::string kDashes = "---";

void SetLabel(TLabel* label, const std::string& text, TColor color) {
    if (label == nullptr)
        return;
    label->SetCaption(text);
    label->Font().SetColor(color);
}

} // namespace

void TMainForm::DisplayTimerTimer(TObject* /*Sender*/) {
    // A tick can fall due before the first activation has built the state or the timer area.
    if (!SplitData || TimerLabel == nullptr || TimerDiffLabel == nullptr)
        return;
    FileDataClass& data = *SplitData;

    if (AutoSaveSplitState && data.IsTimerRunning())
        data.SaveSplitState();

    const int32_t elapsed = data.GetElapsed();
    SetLabel(TimerLabel, FormatTime(elapsed, true, false, TimerTimeFormatMode),
             HexToColor(data.GetTimerColor(), UseBGRFormat));

    const TColor zeroColor = HexToColor(data.DiffZeroColor, UseBGRFormat);
    const bool hasFile = data.HasFile();

    // The cell of the row in progress that the tick keeps up to date.
    const size_t columns = data.GetColumnCount();
    const size_t split = data.GetCurrentSplit();
    size_t currentColumn = columns > 0 ? columns - 1 : 0;
    if (HideCurrentSplits && columns > 2)
        currentColumn = columns - 2;
    TLabel* currentTime = hasFile ? data.GetCellTimeLabel(split, currentColumn) : nullptr;
    TLabel* currentDiff = hasFile ? data.GetCellDiffLabel(split, currentColumn) : nullptr;

    if (data.IsTimerZero()) {
        SetLabel(TimerDiffLabel, TimerDiffStatusReady, zeroColor);
        if (currentTime != nullptr)
            currentTime->SetCaption(FormatTime(0, true, false, TimerTimeFormatMode));
        SetLabel(currentDiff, "", zeroColor);
        return;
    }

    if (hasFile && data.IsRunComplete()) {
        SetLabel(TimerDiffLabel, data.IsNewBestRun() ? TimerDiffStatusNewBest : TimerDiffStatusDone,
                 zeroColor);
        return;
    }

    const bool running = data.IsTimerRunning();
    if (hasFile) {
        std::string diffText = kDashes;
        int32_t diff = 0;
        if (columns >= 3 && data.GetCellTime(split, columns - 2) != 0) {
            diff = data.GetLiveSegmentDiff();
            diffText = FormatTime(diff, true, true, TimerDiffTimeFormatMode);
        }
        const TColor statusColor = HexToColor(data.GetDiffColor(diff), UseBGRFormat);
        SetLabel(TimerDiffLabel, running ? diffText : TimerDiffStatusPaused + "  " + diffText, statusColor);

        // A run restored from a state file has the times of its passed rows but no pass times:
        // the previous row's own time is where the split in progress began.
        int32_t previousPass = 0;
        if (split > 0) {
            previousPass = data.GetRowPassTime(split - 1);
            if (previousPass == 0)
                previousPass = data.GetCellTime(split - 1, columns - 1);
        }
        if (currentTime != nullptr)
            currentTime->SetCaption(FormatTime(elapsed - previousPass, true, false, TimerTimeFormatMode));
        SetLabel(currentDiff, diffText, statusColor);
        return;
    }

    // The plain timer, without a split file.
    SetLabel(TimerDiffLabel, running ? std::string() : TimerDiffStatusPaused, zeroColor);
    if (TimerModeAlarmFile.empty() || TimerModeAlarmTime == 0 || AlarmAcknowledged ||
        elapsed <= TimerModeAlarmTime || SoundPlayer == nullptr || !SoundPlayer->FileName().empty())
        return;
    const std::string soundPath = ProgramDir + TimerModeAlarmFile;
    if (!rt::FileExists(soundPath)) {
        // Nothing can sound: count it as heard so that the tick does not try again.
        AlarmAcknowledged = true;
        return;
    }
    SoundPlayer->SetFileName(soundPath);
    SoundPlayer->Open();
    SoundPlayer->SetNotify(true);
    SoundPlayer->Play();
}

void TMainForm::FillTable() {
    if (!SplitData)
        return;
    const FileDataClass& data = *SplitData;
    const size_t rows = data.GetRowCount();
    const size_t columns = data.GetColumnCount();
    if (columns < 2)
        return;
    const size_t last = columns - 1;
    const size_t comparison = columns - 2;
    const size_t progress = data.GetCurrentSplit();

    const TColor currentRowColor = HexToColor(CurrentRowColor, UseBGRFormat);
    const TColor rowHeaderColor = HexToColor(RowHeaderFontColor, UseBGRFormat);
    const TColor splitTimesColor = HexToColor(SplitTimesFontColor, UseBGRFormat);
    const TColor newBestColor = HexToColor(NewBestSplitColor, UseBGRFormat);

    std::vector<bool> showElapsed(columns);
    for (size_t j = 0; j < columns; ++j)
        showElapsed[j] = data.GetColumnShowElapsed(j);

    for (size_t i = 0; i < rows; ++i) {
        const bool isCurrentRow = i == progress;
        if (TLabel* header = data.GetRowLabel(i))
            header->Font().SetColor(isCurrentRow ? currentRowColor : rowHeaderColor);

        const bool noCurrentTime = data.GetCellTime(i, last) == 0;
        const bool noComparison = columns < 3 || data.GetCellTime(i, comparison) == 0;
        const bool previousIncomplete = i > 0 && (data.GetCellTime(i - 1, last) == 0 || columns < 3 ||
                                                  data.GetCellTime(i - 1, comparison) == 0);
        const bool newBestSegment = data.IsNewBestSegment(i);

        for (size_t j = 0; j < columns; ++j) {
            TLabel* timeLabel = data.GetCellTimeLabel(i, j);
            TLabel* diffLabel = data.GetCellDiffLabel(i, j);
            if (timeLabel == nullptr || diffLabel == nullptr)
                continue;

            TColor timeColor = isCurrentRow ? currentRowColor : splitTimesColor;
            timeLabel->Font().SetStyle(data.GetCellNotes(i, j).empty() ? 0 : fsUnderline);

            int32_t time;
            int32_t diff;
            if (showElapsed[j]) {
                time = data.GetSegmentTime(i, j);
                diff = data.GetSegmentDiff(i, j);
            } else {
                time = data.GetCellTime(i, j);
                diff = data.GetSplitDiff(i, j);
            }
            std::string timeText = FormatTime(time, true, false, TimerTimeFormatMode);
            std::string diffText = FormatTime(diff, true, true, TimerDiffTimeFormatMode);

            if (j == last) {
                if (noCurrentTime) {
                    timeText = kDashes;
                    diffText.clear();
                } else if (previousIncomplete || noComparison) {
                    diffText = kDashes;
                }
            } else {
                if (j == 0 && !showElapsed[0] && data.GetSegmentTime(i, 0) == 0)
                    timeText = kDashes;
                if (data.GetCellTime(i, j) == 0 || noCurrentTime)
                    diffText = kDashes;
            }
            if (i >= progress)
                diffText.clear();

            const bool tickOwnsCell = isCurrentRow && j == last;
            if (!tickOwnsCell) {
                timeLabel->SetCaption(timeText);
                diffLabel->SetCaption(diffText);
            }

            if (j == last && columns > 2 && !noCurrentTime) {
                const int32_t rowDiff =
                    showElapsed[last] ? data.GetSegmentDiff(i, comparison) : data.GetSplitDiff(i, comparison);
                timeColor = HexToColor(data.GetDiffColor(rowDiff), UseBGRFormat);
            }

            if (!diffText.empty()) {
                const int32_t shown = ParseTime(diffText, TimerDiffTimeFormatMode);
                const TColor diffColor = HexToColor(data.GetDiffColor(shown), UseBGRFormat);
                diffLabel->Font().SetColor(diffColor);
                if (HideDiffRows && i < progress) {
                    timeLabel->SetCaption(diffText);
                    timeColor = diffColor;
                }
            }

            if (j == comparison && newBestSegment)
                timeColor = newBestColor;
            timeLabel->Font().SetColor(timeColor);
        }

        if (HideCurrentSplits && columns > 2 && i < progress) {
            TLabel* lastTime = data.GetCellTimeLabel(i, last);
            TLabel* comparisonTime = data.GetCellTimeLabel(i, comparison);
            TLabel* comparisonDiff = data.GetCellDiffLabel(i, comparison);
            if (lastTime != nullptr && comparisonTime != nullptr && comparisonDiff != nullptr) {
                comparisonTime->SetCaption(lastTime->Caption());
                if (!newBestSegment)
                    comparisonTime->Font().SetColor(lastTime->Font().Color());
                if (lastTime->Caption() == kDashes)
                    comparisonDiff->SetCaption("");
            }
        }
    }
}

void TMainForm::UpdateAttemptTexts() {
    if (!SplitData)
        return;
    if (SessionAttemptsLabel != nullptr)
        SessionAttemptsLabel->SetCaption("S: " + IntToString(SplitData->GetSessionAttempts()));
    if (TotalAttemptsLabel != nullptr)
        TotalAttemptsLabel->SetCaption("T: " + IntToString(SplitData->GetTotalAttempts()));
}
