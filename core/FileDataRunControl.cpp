// Run control: timing a run through the table (start, pause, resume, split, skip, undo, reset),
// the run states the display asks for, the differences against the comparison column and the
// best segments, the best-run and best-segment write-backs, and the colour choice.
//
// The run state is never stored: it follows from the run timer, currentSplit and the current-run
// column. Commands given in the wrong state do nothing. An undo of the split that finished the run
// takes back what that split stored: the best run, the best segments and the logged line.

#include "core/FileDataClass.h"

#include <cstdint>

// --- Run state ----------------------------------------------------------------------------------

bool FileDataClass::IsTimerZero() const {
    return timer->IsZero();
}

bool FileDataClass::IsRunComplete() const {
    if (rows.empty() || columns.empty() || timer->IsRunning())
        return false;
    return GetCellTime(rows.size() - 1, columns.size() - 1) != 0;
}

bool FileDataClass::IsNewBestRun() const {
    if (timer->IsRunning() || columns.size() < 3 || !IsRunComplete())
        return false;
    if (newBestRun)
        return true;
    size_t lastRow = rows.size() - 1;
    int32_t current = GetCellTime(lastRow, columns.size() - 1);
    int32_t stored = GetCellTime(lastRow, columns.size() - 2);
    return stored == 0 || current < stored;
}

// --- Commands -----------------------------------------------------------------------------------

void FileDataClass::StartRun() {
    if (timer->IsRunning())
        return;
    pausedTimer.reset();
    timer->Start(startOffset);
    // The counts stop at their largest value: wrapped, a saved count would turn negative.
    if (totalAttempts < INT32_MAX)
        ++totalAttempts;
    if (sessionAttempts < INT32_MAX)
        ++sessionAttempts;
    currentSplit = 0;
    newBestRun = false;
    finishStore = {};
    // The split file holds the attempt count.
    SaveSplitFile();
}

void FileDataClass::PauseRun() {
    if (!timer->IsRunning())
        return;
    // The copy keeps running, so an undo of the last split can continue the run from it.
    auto copy = std::make_unique<TimerClass>();
    copy->Assign(*timer);
    pausedTimer = std::move(copy);
    timer->Pause();
}

void FileDataClass::ResumeRun() {
    if (timer->IsRunning() || IsRunComplete())
        return;
    timer->Resume();
}

void FileDataClass::MakeSplit(const std::string& notes, const CounterCountList& counts) {
    if (!timer->IsRunning() || timer->Elapsed() < 0 || IsRunComplete())
        return;
    // Without rows the program is a plain timer, and a split pauses it.
    if (currentSplit >= rows.size()) {
        PauseRun();
        return;
    }
    int32_t t = timer->Elapsed();
    size_t row = currentSplit;
    size_t last = columns.size() - 1;
    SetCellTime(row, last, t);
    if (!notes.empty()) {
        // Notes typed into the cell before its split stay; the new ones go on a line of their own.
        std::string text = GetCellNotes(row, last);
        if (!text.empty())
            text += "\n";
        text += notes;
        SetCellNotes(row, last, text);
    }
    SetRowCounterCounts(row, counts);
    rows[row]->passTime = t;
    ++currentSplit;
    if (currentSplit < rows.size())
        return;

    currentSplit = static_cast<uint32_t>(rows.size());
    PauseRun();
    finishStore = {};
    finishStore.columnCount = columns.size();
    if (autoSaveBestRun) {
        size_t lastRow = rows.size() - 1;
        size_t comparison = columns.size() >= 2 ? columns.size() - 2 : 0;
        int32_t current = GetCellTime(lastRow, last);
        int32_t stored = GetCellTime(lastRow, comparison);
        if (stored == 0 || current < stored) {
            ColumnCopy before = CopyColumn(comparison);
            SaveCurrentSplits();
            newBestRun = true;
            KeepStoredColumn(comparison, std::move(before));
        }
    }
    if (autoSaveBestSplits) {
        ColumnCopy before = CopyColumn(0);
        SaveBestSplits();
        KeepStoredColumn(0, std::move(before));
    }
    if (autoLogRuns)
        finishStore.logLine = LogRun();
}

void FileDataClass::SkipSplit() {
    if (!timer->IsRunning() || timer->Elapsed() < 0 || IsRunComplete())
        return;
    // The last row cannot be skipped: a run always ends with a split time.
    if (static_cast<size_t>(currentSplit) + 1 >= rows.size())
        return;
    rows[currentSplit]->passTime = timer->Elapsed();
    ++currentSplit;
}

void FileDataClass::UndoSplit() {
    if (timer->Elapsed() < 0 || currentSplit == 0)
        return;
    if (IsRunComplete() && pausedTimer) {
        // The copy still runs from the finished run's start, so the time since the last split
        // counts as run time.
        timer->Assign(*pausedTimer);
        pausedTimer.reset();
        currentSplit = static_cast<uint32_t>(rows.size());
        // The run goes on, so it has not finished: what its finish stored is taken back.
        WithdrawFinish();
    }
    // A paused run cannot be undone.
    if (!timer->IsRunning())
        return;
    --currentSplit;
    RowDataClass* row = RowAt(currentSplit);
    if (row == nullptr)
        return;
    size_t last = columns.size() - 1;
    row->passTime = 0;
    SetCellTime(currentSplit, last, 0);
    SetCellNotes(currentSplit, last, "");
    row->counterCounts.clear();
}

void FileDataClass::ResetRun() {
    if (autoSaveBestSplits)
        SaveBestSplits();
    // A finished run was logged by its last split.
    if (autoLogRuns && !IsRunComplete() && timer->Elapsed() > 0)
        AppendRunLog();
    pausedTimer.reset();
    timer->Reset(0);
    currentSplit = 0;
    newBestRun = false;
    finishStore = {};
    size_t last = columns.empty() ? 0 : columns.size() - 1;
    for (size_t r = 0; r < rows.size(); ++r) {
        SetCellTime(r, last, 0);
        SetCellNotes(r, last, "");
        rows[r]->counterCounts.clear();
        rows[r]->passTime = 0;
    }
}

void FileDataClass::SaveCurrentSplits() {
    if (timer->IsRunning() || columns.size() <= 2)
        return;
    size_t last = columns.size() - 1;
    size_t comparison = columns.size() - 2;
    for (size_t r = 0; r < rows.size(); ++r) {
        ColumnDataClass* target = CellAt(r, comparison);
        ColumnDataClass* source = CellAt(r, last);
        if (target == nullptr || source == nullptr)
            continue;
        target->time = source->time;
        target->notes = source->notes;
    }
    SaveSplitFile();
}

void FileDataClass::SaveBestSplits() {
    if (!columns.empty()) {
        size_t last = columns.size() - 1;
        // Each update shifts the later best times by the same amount, so later rows are judged
        // against their own best segments.
        for (size_t r = 0; r < rows.size(); ++r)
            if (IsNewBestSegment(r))
                SetSegmentAndShift(r, 0, GetSegmentTime(r, last));
    }
    SaveSplitFile();
}

// --- Taking back a finish -----------------------------------------------------------------------

FileDataClass::ColumnCopy FileDataClass::CopyColumn(size_t c) const {
    ColumnCopy copy;
    copy.times.reserve(rows.size());
    copy.notes.reserve(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        const ColumnDataClass* cell = CellAt(r, c);
        copy.times.push_back(cell != nullptr ? cell->time : 0);
        copy.notes.push_back(cell != nullptr ? cell->notes : std::string());
    }
    return copy;
}

void FileDataClass::KeepStoredColumn(size_t c, ColumnCopy before) {
    ColumnCopy after = CopyColumn(c);
    if (after != before)
        finishStore.columns.push_back({c, std::move(before), std::move(after)});
}

void FileDataClass::WithdrawFinish() {
    newBestRun = false;
    FinishStore store = std::move(finishStore);
    finishStore = {};
    // A column edited since the finish keeps the edit: only what the finish left is put back,
    // the latest change first.
    bool restored = false;
    if (store.columnCount == columns.size()) {
        for (auto it = store.columns.rbegin(); it != store.columns.rend(); ++it) {
            if (CopyColumn(it->column) != it->after)
                continue;
            for (size_t r = 0; r < rows.size(); ++r) {
                if (ColumnDataClass* cell = CellAt(r, it->column)) {
                    cell->time = it->before.times[r];
                    cell->notes = it->before.notes[r];
                }
            }
            restored = true;
        }
    }
    if (restored)
        SaveSplitFile();
    if (!store.logLine.empty())
        UnlogRun(store.logLine);
}

// --- Comparisons --------------------------------------------------------------------------------

bool FileDataClass::IsNewBestSegment(size_t r) const {
    if (r >= currentSplit || columns.empty())
        return false;
    int32_t current = GetSegmentTime(r, columns.size() - 1);
    int32_t best = GetSegmentTime(r, 0);
    return current > bestSplitMinElapsed && (best == 0 || current < best);
}

int32_t FileDataClass::GetSplitDiff(size_t r, size_t c) const {
    return GetDiff(r, c, &FileDataClass::GetCellTime);
}

int32_t FileDataClass::GetSegmentDiff(size_t r, size_t c) const {
    return GetDiff(r, c, &FileDataClass::GetSegmentTime);
}

int32_t FileDataClass::GetDiff(size_t r, size_t c, TimeOf timeOf) const {
    size_t n = columns.size();
    if (c >= n || r >= rows.size() || r >= currentSplit)
        return 0;
    size_t last = n - 1;
    if (c == last)
        return n < 3 ? 0 : GetSegmentDiff(r, n - 2);
    int32_t current = (this->*timeOf)(r, last);
    int32_t other = (this->*timeOf)(r, c);
    if (current == 0 || other == 0)
        return 0;
    return WrapSub(current, other);
}

int32_t FileDataClass::GetLiveSplitDiff() const {
    if (rows.empty() || currentSplit >= rows.size() || columns.size() < 3)
        return 0;
    int32_t comparison = GetCellTime(currentSplit, columns.size() - 2);
    if (comparison == 0)
        return 0;
    return WrapSub(timer->Elapsed(), comparison);
}

int32_t FileDataClass::GetLiveSegmentDiff() const {
    if (rows.empty() || currentSplit >= rows.size() || columns.size() < 3)
        return 0;
    size_t comparisonColumn = columns.size() - 2;
    int32_t comparison = GetCellTime(currentSplit, comparisonColumn);
    if (comparison == 0)
        return 0;
    int32_t previous = currentSplit > 0 ? GetSplitDiff(currentSplit - 1, comparisonColumn) : 0;
    return WrapSub(WrapSub(timer->Elapsed(), comparison), previous);
}

int32_t FileDataClass::GetRowPassTime(size_t r) const {
    RowDataClass* row = RowAt(r);
    return row ? row->passTime : 0;
}

std::string FileDataClass::GetTimerColor() const {
    if (timer->Elapsed() < 0)
        return TimerNegTimeColor;
    int32_t d = GetLiveSplitDiff();
    if (d <= 0)
        return TimerNormalColor;
    return d < smallChange ? TimerPositiveSmallColor : TimerPositiveLargeColor;
}

std::string FileDataClass::GetDiffColor(int32_t d) const {
    // 64 bits, so the magnitude of the most negative difference does not overflow.
    int64_t value = d;
    int64_t magnitude = value < 0 ? -value : value;
    if (magnitude <= zeroChange)
        return DiffZeroColor;
    if (value > 0)
        return value < smallChange ? DiffPositiveSmallColor : DiffPositiveLargeColor;
    if (value < 0)
        return -value < smallChange ? DiffNegativeSmallColor : DiffNegativeLargeColor;
    return DiffZeroColor;
}
