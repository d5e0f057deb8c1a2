#pragma once
// The split table in memory and the run timed through it.
//
// FileDataClass owns the one open split file (rows, column headers, title, attempt counts, start
// offset), the run in progress (run timer, paused copy, current split, current-run column), the
// run history read from the run log, and the settings the comparisons use (thresholds, colour
// texts, auto-save flags). RowDataClass is one split, ColumnDataClass one cell, ColumnHeaderClass
// one column.
//
// Column layout: column 0 holds the best splits as cumulative times, columns 1 .. n-2 the stored
// comparison runs, column n-1 the run in progress (never written to the split file). Column n-2
// is the comparison column every live difference uses. A row without a best segment holds the
// same best time as the row before it.
//
// What it does not do: it never touches a control. The TLabel/TImage pointers belong to the main
// window, which creates and frees those controls; the model only keeps them so the display can
// find the control of a cell, row or column. Nothing here reports errors or throws for file
// trouble.
//
// The class is one header with a source per concern: FileDataClass.cpp (model and accessors),
// FileDataRunControl.cpp (run control and comparisons), FileDataTableEdits.cpp (row and column
// edits), FileDataSplitFile.cpp, FileDataSplitState.cpp and FileDataRunLog.cpp (the data files).

#include "core/HistoryDataClass.h"
#include "core/TimerClass.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TLabel;
class TImage;

namespace rt {
class TextOutFile;
}

using CounterCountList = std::vector<int32_t>;

// One cell: its time (cumulative, 0 = empty) and its notes, held escaped.
class ColumnDataClass {
public:
    ColumnDataClass() = default;

    TLabel* timeLabel = nullptr;
    TLabel* diffLabel = nullptr;
    int32_t time = 0;
    std::string notes;
};

// One split: a cell per column plus the row's own fields.
class RowDataClass {
public:
    explicit RowDataClass(size_t columnCount);
    ~RowDataClass();
    RowDataClass(const RowDataClass&) = delete;
    RowDataClass& operator=(const RowDataClass&) = delete;

    // Cell access by column index; out-of-range setters do nothing, getters answer 0/""/null.
    int32_t GetTime(size_t i) const;
    void SetTime(size_t i, int32_t time);
    std::string GetNotes(size_t i) const;
    void SetNotes(size_t i, const std::string& text);
    TLabel* GetTimeLabel(size_t i) const;
    TLabel* GetDiffLabel(size_t i) const;
    void SetTimeLabel(size_t i, TLabel* label);
    void SetDiffLabel(size_t i, TLabel* label);

    // Structural edits; the best cell (0) and the current-run cell (last) never move.
    void InsertColumn(size_t i);
    void DeleteColumn(size_t i);
    void SwapColumns(size_t i, size_t j);

    std::vector<std::unique_ptr<ColumnDataClass>> cells;
    int32_t passTime = 0;
    bool hideable = false;
    CounterCountList counterCounts;
    TLabel* headerLabel = nullptr;
    TImage* image = nullptr;
    std::string title;
    std::string imageFileName;
};

// One column.
class ColumnHeaderClass {
public:
    explicit ColumnHeaderClass(const std::string& title);

    std::string title;
    TLabel* headerLabel = nullptr;
    bool showElapsed = false;
};

class FileDataClass {
public:
    FileDataClass();
    ~FileDataClass();
    FileDataClass(const FileDataClass&) = delete;
    FileDataClass& operator=(const FileDataClass&) = delete;

    void Clear();

    // --- Queries --------------------------------------------------------------------------
    bool HasFile() const;
    std::string GetDirectory() const;
    size_t GetColumnCount() const;
    size_t GetRowCount() const;
    uint32_t GetCurrentSplit() const;
    int32_t GetTotalAttempts() const;
    int32_t GetSessionAttempts() const;
    bool IsTimerRunning() const;
    int32_t GetElapsed() const;
    bool HasAnyImage() const;

    // --- Getters by index (out of range: 0, "", null, false) --------------------------------
    std::string GetColumnTitle(size_t c) const;
    TLabel* GetColumnLabel(size_t c) const;
    bool GetColumnShowElapsed(size_t c) const;
    std::string GetRowTitle(size_t r) const;
    TLabel* GetRowLabel(size_t r) const;
    TImage* GetRowImage(size_t r) const;
    std::string GetRowImageFileName(size_t r) const;
    bool IsRowHideable(size_t r) const;
    // Out of range leaves the list as it was.
    void GetRowCounterCounts(size_t r, CounterCountList& list) const;
    int32_t GetCellTime(size_t r, size_t c) const;
    std::string GetCellNotes(size_t r, size_t c) const;
    TLabel* GetCellTimeLabel(size_t r, size_t c) const;
    TLabel* GetCellDiffLabel(size_t r, size_t c) const;

    // --- Setters by index (out of range: nothing) -------------------------------------------
    void SetColumnTitle(size_t c, const std::string& text);
    void SetColumnLabel(size_t c, TLabel* label);
    void SetColumnShowElapsed(size_t c, bool flag);
    void SetRowTitle(size_t r, const std::string& text);
    void SetRowLabel(size_t r, TLabel* label);
    void SetRowImage(size_t r, TImage* image);
    void SetRowImageFileName(size_t r, const std::string& text);
    void SetRowHideable(size_t r, bool flag);
    void SetCellTimeLabel(size_t r, size_t c, TLabel* label);
    void SetCellDiffLabel(size_t r, size_t c, TLabel* label);
    void SetCellNotes(size_t r, size_t c, const std::string& text);
    // Column 0 is refused: the best column changes only through SetSegmentAndShift, the file
    // reader and the row edits.
    void SetCellTime(size_t r, size_t c, int32_t time);
    // Makes the segment of row r in column c the given value and keeps every later segment.
    void SetSegmentAndShift(size_t r, size_t c, int32_t segment);
    void ClearRowCounterCounts(size_t r);
    void SetRowCounterCounts(size_t r, const CounterCountList& list);
    // Writes the text unchanged (no line end added).
    static void WriteLine(rt::TextOutFile& file, const std::string& text);

    // Time of row r in column c minus that of the row before; 0 when either is missing.
    int32_t GetSegmentTime(size_t r, size_t c) const;

    // --- Run state --------------------------------------------------------------------------
    bool IsTimerZero() const;
    bool IsRunComplete() const;
    bool IsNewBestRun() const;

    // --- Run control (each does nothing outside its state) -----------------------------------
    void StartRun();
    void PauseRun();
    void ResumeRun();
    void MakeSplit(const std::string& notes, const CounterCountList& counts);
    void SkipSplit();
    void UndoSplit();
    void ResetRun();
    void SaveCurrentSplits();
    void SaveBestSplits();

    // --- Comparisons (negative = ahead) -------------------------------------------------------
    bool IsNewBestSegment(size_t r) const;
    int32_t GetSplitDiff(size_t r, size_t c) const;
    int32_t GetSegmentDiff(size_t r, size_t c) const;
    int32_t GetLiveSplitDiff() const;
    int32_t GetLiveSegmentDiff() const;
    int32_t GetRowPassTime(size_t r) const;
    std::string GetTimerColor() const;
    std::string GetDiffColor(int32_t d) const;

    // --- Table edits (each saves the split file when carried out) ------------------------------
    // Whether one more column, or one more row, still fits in a split file. An insert past that
    // is refused: saved, it would make a file that the next open refuses.
    bool HasRoomForColumn() const;
    bool HasRoomForRow() const;
    void InsertColumn(size_t c, const std::string& title);
    void InsertRow(size_t r, const std::string& title);
    void DeleteColumn(size_t c);
    void DeleteRow(size_t r);
    void SwapColumns(size_t i, size_t j);
    void SwapRows(size_t i, size_t j);

    // --- Data files -------------------------------------------------------------------------
    // The largest table a split file may hold. A file with more is refused like one that is not
    // a split file: the window gives every cell two labels and could not hold it anyway. Real
    // runs have tens to hundreds of splits and a handful of comparison columns.
    // Rows: fifty thousand splits are more than any run has.
    static constexpr size_t kMaxSplitFileRows = 50'000;
    // Columns, the best and the current-run column included: a window is at most 32,767 pixels
    // wide, so a thousand columns would leave each narrower than one time in a legible font.
    static constexpr size_t kMaxSplitFileColumns = 1'000;
    // Cells (rows times columns), which bound what the window's table costs (under 400 MB) where
    // the two limits above alone would not.
    static constexpr size_t kMaxSplitFileCells = 200'000;
    // Whether a table of this shape is within the three limits above.
    static bool FitsSplitFile(size_t rowCount, size_t columnCount);
    void LoadSplitFile(const std::string& name);
    void SaveSplitFile();
    void SaveSplitState();
    void LoadSplitState(const std::string& path);
    void AppendRunLog();
    void LoadRunLog();

    // --- Fields -------------------------------------------------------------------------------
    std::vector<std::unique_ptr<RowDataClass>> rows;
    std::vector<std::unique_ptr<ColumnHeaderClass>> columns;
    std::string fileName;
    std::string stateFileName;
    std::unique_ptr<TimerClass> timer;
    std::unique_ptr<TimerClass> pausedTimer;
    uint32_t currentSplit = 0;
    bool newBestRun = false;
    std::string lineEnd = "\n";
    std::string defaultStateFileName;
    HistoryDataListClass history;
    int32_t sessionAttempts = 0;
    int32_t totalAttempts = 0;
    int32_t startOffset = 0;
    int32_t bestSplitMinElapsed = 100;
    int32_t smallChange = 1000;
    int32_t zeroChange = 25;
    TLabel* titleLabel = nullptr;
    std::string title;
    std::string titleImageFileName;
    TImage* titleImage = nullptr;
    bool autoSaveBestSplits = false;
    bool autoSaveBestRun = false;
    bool autoLogRuns = false;
    std::string TimerNegTimeColor = "808080";
    std::string TimerNormalColor = "FFFFFF";
    std::string TimerPositiveSmallColor = "800000";
    std::string TimerPositiveLargeColor = "FF0000";
    std::string DiffNegativeLargeColor = "00FF00";
    std::string DiffNegativeSmallColor = "008000";
    std::string DiffPositiveLargeColor = "FF0000";
    std::string DiffPositiveSmallColor = "800000";
    std::string DiffZeroColor = "FFFFFF";

private:
    RowDataClass* RowAt(size_t r) const;
    ColumnDataClass* CellAt(size_t r, size_t c) const;
    ColumnHeaderClass* ColumnAt(size_t c) const;
    // Time arithmetic wraps in 32 bits like the stored values do, instead of overflowing.
    static int32_t WrapAdd(int32_t a, int32_t b) {
        return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
    }
    static int32_t WrapSub(int32_t a, int32_t b) {
        return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
    }
    // The split and segment diffs differ only in the time they compare: a cell's or a segment's.
    // The current run's own column shows the segment diff against the last comparison column.
    using TimeOf = int32_t (FileDataClass::*)(size_t r, size_t c) const;
    int32_t GetDiff(size_t r, size_t c, TimeOf timeOf) const;

    // --- File format helpers (FileDataSplitFile.cpp, FileDataSplitState.cpp,
    // FileDataRunLog.cpp) ---
    // The split file's name with a suffix put before its last '.' (anywhere in the path, folder
    // names included), or before ".txt" appended when there is no '.'.
    static std::string DerivedFileName(const std::string& name, const std::string& suffix);
    // The text after the last slash, backslash or colon; the whole name when it has none.
    static std::string NameWithoutFolder(const std::string& name);
    // The text up to and including the last slash, backslash or colon; "" when it has none.
    static std::string FolderOf(const std::string& name);
    // Appends a text field with every TAB, CR, LF, NUL and Ctrl-Z in it written as a space: inside
    // a field they would shift the fields after it, split its line or make the file refused.
    static void AppendField(std::string& text, const std::string& field);
    // Whether a text read from a file holds a NUL or a Ctrl-Z, which no writer here puts in.
    static bool HoldsStrayBytes(const std::string& text);
    std::string RunLogFileName() const;
    std::string SplitStateFileName() const;
    // Whether AppendField writes the text exactly as it is.
    static bool FitsInField(const std::string& text);
    // --- end of file format helpers ---

    // Appends the run's line to the run log; the line when it was appended whole, else "".
    std::string LogRun();
    // Takes the line back out of the run log while it is still the log's last.
    void UnlogRun(const std::string& line);

    // What the split that finished the run stored, so that an undo of that split takes it back
    // value by value: each cell of the best run whose time or notes the copy changed, each best
    // segment the update changed (a segment being the difference of two best times), both as they
    // were before and after, and the line it logged. The table edits keep the stored rows and
    // column with the splits they belong to.
    struct StoredCell {
        size_t row = 0;
        int32_t timeBefore = 0;
        int32_t timeAfter = 0;
        std::string notesBefore;
        std::string notesAfter;
    };
    struct StoredSegment {
        size_t row = 0;
        int32_t before = 0;
        int32_t after = 0;
    };
    struct FinishStore {
        size_t runColumn = 0;
        std::vector<StoredCell> runCells;
        std::vector<StoredSegment> bestSegments;
        std::string logLine;
    };
    struct ColumnCopy {
        std::vector<int32_t> times;
        std::vector<std::string> notes;
    };
    FinishStore finishStore;
    ColumnCopy CopyColumn(size_t c) const;
    // Note what the finish changed, from the column as it was before.
    void StoreRunCells(size_t c, const ColumnCopy& before);
    void StoreBestSegments(const std::vector<int32_t>& before);
    void WithdrawFinish();
    // Puts back the best segments that still hold what the finish set; true when one did.
    bool WithdrawBestSegments(std::vector<StoredSegment> segments);
    // A table edit of rows or of columns: an insert at a, a deletion of a, or a swap of a and b.
    enum class IndexEdit { Insert, Delete, Swap };
    static constexpr size_t kGoneIndex = static_cast<size_t>(-1);
    // The index an old row or column has after the edit; kGoneIndex when the edit removed it.
    static size_t MovedIndex(size_t i, IndexEdit edit, size_t a, size_t b);
    void MoveFinishRows(IndexEdit edit, size_t a, size_t b = 0);
    void MoveFinishColumn(IndexEdit edit, size_t a, size_t b = 0);
};
