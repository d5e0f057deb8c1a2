// Run control: timing a run through the table (start, pause, resume, split, skip, undo, reset),
// the run states the display asks for, the differences against the comparison column and the
// best segments, the best-run and best-segment write-backs, and the colour choice.
//
// The run state is never stored: it follows from the run timer, currentSplit and the current-run
// column. Commands given in the wrong state do nothing. An undo of the split that finished the run
// takes back what that split stored, value by value: the times and notes of the best run, the best
// segments and the logged line, each only while it still holds what the split stored.

#include "core/FileDataClass.h"

#include <algorithm>
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
    if (autoSaveBestRun) {
        size_t lastRow = rows.size() - 1;
        size_t comparison = columns.size() >= 2 ? columns.size() - 2 : 0;
        int32_t current = GetCellTime(lastRow, last);
        int32_t stored = GetCellTime(lastRow, comparison);
        if (stored == 0 || current < stored) {
            ColumnCopy before = CopyColumn(comparison);
            SaveCurrentSplits();
            newBestRun = true;
            StoreRunCells(comparison, before);
        }
    }
    if (autoSaveBestSplits) {
        std::vector<int32_t> before = CopyColumn(0).times;
        SaveBestSplits();
        StoreBestSegments(before);
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

void FileDataClass::StoreRunCells(size_t c, const ColumnCopy& before) {
    finishStore.runColumn = c;
    for (size_t r = 0; r < rows.size() && r < before.times.size(); ++r) {
        const ColumnDataClass* cell = CellAt(r, c);
        if (cell != nullptr && (cell->time != before.times[r] || cell->notes != before.notes[r]))
            finishStore.runCells.push_back({r, before.times[r], cell->time, before.notes[r], cell->notes});
    }
}

void FileDataClass::StoreBestSegments(const std::vector<int32_t>& before) {
    // An update sets the segment of its own row and moves the later best times with it, so every
    // other difference of neighbouring best times stays as it was.
    for (size_t r = 0; r < rows.size() && r < before.size(); ++r) {
        const int32_t segmentBefore = WrapSub(before[r], r > 0 ? before[r - 1] : 0);
        const int32_t segmentAfter = WrapSub(rows[r]->GetTime(0), r > 0 ? rows[r - 1]->GetTime(0) : 0);
        if (segmentAfter != segmentBefore)
            finishStore.bestSegments.push_back({r, segmentBefore, segmentAfter});
    }
}

void FileDataClass::WithdrawFinish() {
    newBestRun = false;
    FinishStore store = std::move(finishStore);
    finishStore = {};
    // Only a value that still holds what the finish stored is put back: a time, a note or a best
    // segment the runner changed since keeps the change.
    bool restored = false;
    for (const StoredCell& stored : store.runCells) {
        ColumnDataClass* cell = CellAt(stored.row, store.runColumn);
        if (cell == nullptr)
            continue;
        if (cell->time == stored.timeAfter && cell->time != stored.timeBefore) {
            cell->time = stored.timeBefore;
            restored = true;
        }
        if (cell->notes == stored.notesAfter && cell->notes != stored.notesBefore) {
            cell->notes = stored.notesBefore;
            restored = true;
        }
    }
    if (WithdrawBestSegments(std::move(store.bestSegments)))
        restored = true;
    if (restored)
        SaveSplitFile();
    if (!store.logLine.empty())
        UnlogRun(store.logLine);
}

bool FileDataClass::WithdrawBestSegments(std::vector<StoredSegment> segments) {
    if (segments.empty())
        return false;
    std::sort(segments.begin(), segments.end(),
              [](const StoredSegment& a, const StoredSegment& b) { return a.row < b.row; });
    // One walk in row order: a segment put back moves the later best times with it, keeping
    // their segments, as an edit of that one segment does.
    bool restored = false;
    int32_t shift = 0;
    int32_t previous = 0;
    auto next = segments.begin();
    for (size_t r = 0; r < rows.size(); ++r) {
        if (next == segments.end() && shift == 0)
            break;
        int32_t time = WrapAdd(rows[r]->GetTime(0), shift);
        for (; next != segments.end() && next->row == r; ++next) {
            if (WrapSub(time, previous) != next->after)
                continue;
            const int32_t putBack = WrapAdd(previous, next->before);
            shift = WrapAdd(shift, WrapSub(putBack, time));
            time = putBack;
            restored = true;
        }
        rows[r]->SetTime(0, time);
        previous = time;
    }
    return restored;
}

size_t FileDataClass::MovedIndex(size_t i, IndexEdit edit, size_t a, size_t b) {
    switch (edit) {
    case IndexEdit::Insert:
        return i >= a ? i + 1 : i;
    case IndexEdit::Delete:
        return i == a ? kGoneIndex : i > a ? i - 1 : i;
    case IndexEdit::Swap:
        return i == a ? b : i == b ? a : i;
    }
    return i;
}

void FileDataClass::MoveFinishRows(IndexEdit edit, size_t a, size_t b) {
    for (StoredCell& cell : finishStore.runCells)
        cell.row = MovedIndex(cell.row, edit, a, b);
    for (StoredSegment& segment : finishStore.bestSegments)
        segment.row = MovedIndex(segment.row, edit, a, b);
    // What the finish stored in a deleted row goes with the row.
    std::erase_if(finishStore.runCells, [](const StoredCell& cell) { return cell.row == kGoneIndex; });
    std::erase_if(finishStore.bestSegments,
                  [](const StoredSegment& segment) { return segment.row == kGoneIndex; });
}

void FileDataClass::MoveFinishColumn(IndexEdit edit, size_t a, size_t b) {
    finishStore.runColumn = MovedIndex(finishStore.runColumn, edit, a, b);
    if (finishStore.runColumn == kGoneIndex)
        finishStore.runCells.clear();
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
