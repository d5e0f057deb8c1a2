// The split table model: construction and clearing, the cell, row and column accessors, and the
// segment arithmetic the run control and the row edits share.

#include "core/FileDataClass.h"

#include "core/TextHelpers.h"
#include "platform/runtime/TextFile.h"

// --- RowDataClass -------------------------------------------------------------------------------

RowDataClass::RowDataClass(size_t columnCount) {
    cells.reserve(columnCount);
    for (size_t i = 0; i < columnCount; ++i)
        cells.push_back(std::make_unique<ColumnDataClass>());
}

RowDataClass::~RowDataClass() = default;

int32_t RowDataClass::GetTime(size_t i) const {
    return i < cells.size() ? cells[i]->time : 0;
}

void RowDataClass::SetTime(size_t i, int32_t time) {
    if (i < cells.size())
        cells[i]->time = time;
}

std::string RowDataClass::GetNotes(size_t i) const {
    return i < cells.size() ? UnescapeText(cells[i]->notes) : std::string();
}

void RowDataClass::SetNotes(size_t i, const std::string& text) {
    if (i < cells.size())
        cells[i]->notes = EscapeText(text);
}

TLabel* RowDataClass::GetTimeLabel(size_t i) const {
    return i < cells.size() ? cells[i]->timeLabel : nullptr;
}

TLabel* RowDataClass::GetDiffLabel(size_t i) const {
    return i < cells.size() ? cells[i]->diffLabel : nullptr;
}

void RowDataClass::SetTimeLabel(size_t i, TLabel* label) {
    if (i < cells.size())
        cells[i]->timeLabel = label;
}

void RowDataClass::SetDiffLabel(size_t i, TLabel* label) {
    if (i < cells.size())
        cells[i]->diffLabel = label;
}

// --- ColumnHeaderClass --------------------------------------------------------------------------

ColumnHeaderClass::ColumnHeaderClass(const std::string& title) : title(title) {}

// --- FileDataClass: lifetime --------------------------------------------------------------------

FileDataClass::FileDataClass() : timer(std::make_unique<TimerClass>()) {
    Clear();
}

FileDataClass::~FileDataClass() {
    Clear();
}

void FileDataClass::Clear() {
    history.Clear();
    rows.clear();
    columns.clear();
    timer = std::make_unique<TimerClass>();
    pausedTimer.reset();
    fileName.clear();
    stateFileName.clear();
    sessionAttempts = 0;
    totalAttempts = 0;
    currentSplit = 0;
    startOffset = 0;
    newBestRun = false;
    finishStore = {};
    title.clear();
    titleLabel = nullptr;
    titleImageFileName.clear();
    titleImage = nullptr;
}

// --- Private lookups ----------------------------------------------------------------------------

RowDataClass* FileDataClass::RowAt(size_t r) const {
    return r < rows.size() ? rows[r].get() : nullptr;
}

ColumnHeaderClass* FileDataClass::ColumnAt(size_t c) const {
    return c < columns.size() ? columns[c].get() : nullptr;
}

// A cell exists only where both its row and its column do; a row whose cell list disagrees with
// the column count (which no operation makes) is still answered safely.
ColumnDataClass* FileDataClass::CellAt(size_t r, size_t c) const {
    RowDataClass* row = RowAt(r);
    if (row == nullptr || c >= columns.size() || c >= row->cells.size())
        return nullptr;
    return row->cells[c].get();
}

// --- Queries ------------------------------------------------------------------------------------

bool FileDataClass::HasFile() const {
    return !fileName.empty();
}

std::string FileDataClass::GetDirectory() const {
    size_t pos = fileName.find_last_of("/\\");
    return pos == std::string::npos ? std::string() : fileName.substr(0, pos + 1);
}

size_t FileDataClass::GetColumnCount() const {
    return columns.size();
}
size_t FileDataClass::GetRowCount() const {
    return rows.size();
}
uint32_t FileDataClass::GetCurrentSplit() const {
    return currentSplit;
}
int32_t FileDataClass::GetTotalAttempts() const {
    return totalAttempts;
}
int32_t FileDataClass::GetSessionAttempts() const {
    return sessionAttempts;
}
bool FileDataClass::IsTimerRunning() const {
    return timer->IsRunning();
}
int32_t FileDataClass::GetElapsed() const {
    return timer->Elapsed();
}

bool FileDataClass::HasAnyImage() const {
    if (titleImage != nullptr)
        return true;
    for (const auto& row : rows)
        if (row->image != nullptr)
            return true;
    return false;
}

// --- Getters by index ---------------------------------------------------------------------------

std::string FileDataClass::GetColumnTitle(size_t c) const {
    ColumnHeaderClass* column = ColumnAt(c);
    return column ? column->title : std::string();
}

TLabel* FileDataClass::GetColumnLabel(size_t c) const {
    ColumnHeaderClass* column = ColumnAt(c);
    return column ? column->headerLabel : nullptr;
}

bool FileDataClass::GetColumnShowElapsed(size_t c) const {
    ColumnHeaderClass* column = ColumnAt(c);
    return column ? column->showElapsed : false;
}

std::string FileDataClass::GetRowTitle(size_t r) const {
    RowDataClass* row = RowAt(r);
    return row ? row->title : std::string();
}

TLabel* FileDataClass::GetRowLabel(size_t r) const {
    RowDataClass* row = RowAt(r);
    return row ? row->headerLabel : nullptr;
}

TImage* FileDataClass::GetRowImage(size_t r) const {
    RowDataClass* row = RowAt(r);
    return row ? row->image : nullptr;
}

std::string FileDataClass::GetRowImageFileName(size_t r) const {
    RowDataClass* row = RowAt(r);
    return row ? row->imageFileName : std::string();
}

bool FileDataClass::IsRowHideable(size_t r) const {
    RowDataClass* row = RowAt(r);
    return row ? row->hideable : false;
}

void FileDataClass::GetRowCounterCounts(size_t r, CounterCountList& list) const {
    RowDataClass* row = RowAt(r);
    if (row != nullptr)
        list = row->counterCounts;
}

int32_t FileDataClass::GetCellTime(size_t r, size_t c) const {
    ColumnDataClass* cell = CellAt(r, c);
    return cell ? cell->time : 0;
}

std::string FileDataClass::GetCellNotes(size_t r, size_t c) const {
    ColumnDataClass* cell = CellAt(r, c);
    return cell ? UnescapeText(cell->notes) : std::string();
}

TLabel* FileDataClass::GetCellTimeLabel(size_t r, size_t c) const {
    ColumnDataClass* cell = CellAt(r, c);
    return cell ? cell->timeLabel : nullptr;
}

TLabel* FileDataClass::GetCellDiffLabel(size_t r, size_t c) const {
    ColumnDataClass* cell = CellAt(r, c);
    return cell ? cell->diffLabel : nullptr;
}

// --- Setters by index ---------------------------------------------------------------------------

void FileDataClass::SetColumnTitle(size_t c, const std::string& text) {
    if (ColumnHeaderClass* column = ColumnAt(c))
        column->title = text;
}

void FileDataClass::SetColumnLabel(size_t c, TLabel* label) {
    if (ColumnHeaderClass* column = ColumnAt(c))
        column->headerLabel = label;
}

void FileDataClass::SetColumnShowElapsed(size_t c, bool flag) {
    if (ColumnHeaderClass* column = ColumnAt(c))
        column->showElapsed = flag;
}

void FileDataClass::SetRowTitle(size_t r, const std::string& text) {
    if (RowDataClass* row = RowAt(r))
        row->title = text;
}

void FileDataClass::SetRowLabel(size_t r, TLabel* label) {
    if (RowDataClass* row = RowAt(r))
        row->headerLabel = label;
}

void FileDataClass::SetRowImage(size_t r, TImage* image) {
    if (RowDataClass* row = RowAt(r))
        row->image = image;
}

void FileDataClass::SetRowImageFileName(size_t r, const std::string& text) {
    if (RowDataClass* row = RowAt(r))
        row->imageFileName = text;
}

void FileDataClass::SetRowHideable(size_t r, bool flag) {
    if (RowDataClass* row = RowAt(r))
        row->hideable = flag;
}

void FileDataClass::SetCellTimeLabel(size_t r, size_t c, TLabel* label) {
    if (ColumnDataClass* cell = CellAt(r, c))
        cell->timeLabel = label;
}

void FileDataClass::SetCellDiffLabel(size_t r, size_t c, TLabel* label) {
    if (ColumnDataClass* cell = CellAt(r, c))
        cell->diffLabel = label;
}

void FileDataClass::SetCellNotes(size_t r, size_t c, const std::string& text) {
    if (ColumnDataClass* cell = CellAt(r, c))
        cell->notes = EscapeText(text);
}

void FileDataClass::SetCellTime(size_t r, size_t c, int32_t time) {
    // The best column is kept in its cumulative form by its own operations only.
    if (c == 0)
        return;
    if (ColumnDataClass* cell = CellAt(r, c))
        cell->time = time;
}

void FileDataClass::ClearRowCounterCounts(size_t r) {
    if (RowDataClass* row = RowAt(r))
        row->counterCounts.clear();
}

void FileDataClass::SetRowCounterCounts(size_t r, const CounterCountList& list) {
    if (RowDataClass* row = RowAt(r))
        row->counterCounts = list;
}

void FileDataClass::WriteLine(rt::TextOutFile& file, const std::string& text) {
    file.Puts(text);
}

// --- Segments -----------------------------------------------------------------------------------

int32_t FileDataClass::GetSegmentTime(size_t r, size_t c) const {
    if (r >= rows.size() || c >= columns.size())
        return 0;
    int32_t time = GetCellTime(r, c);
    if (r == 0)
        return time;
    int32_t previous = GetCellTime(r - 1, c);
    if (time == 0 || previous == 0)
        return 0;
    return WrapSub(time, previous);
}

void FileDataClass::SetSegmentAndShift(size_t r, size_t c, int32_t segment) {
    if (r >= rows.size() || c >= columns.size())
        return;
    int32_t previous = r > 0 ? rows[r - 1]->GetTime(c) : 0;
    int32_t delta = WrapSub(WrapAdd(previous, segment), rows[r]->GetTime(c));
    // Later rows move by the same amount, empty cells included, so their segments stay as they
    // were (an empty best time keeps following the row before it).
    for (size_t k = r; k < rows.size(); ++k)
        rows[k]->SetTime(c, WrapAdd(rows[k]->GetTime(c), delta));
}
