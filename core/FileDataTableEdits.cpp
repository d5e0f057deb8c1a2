// Structural edits of the split table: inserting, deleting and moving columns and rows. The best
// column (0) and the current-run column (last) never move and are never deleted. Every edit that
// is carried out saves the split file; a refused edit changes nothing and saves nothing. No insert
// grows the table past what the split file reader takes. What a finished run stored moves with its
// rows and column, so that an undo of the finish still finds it.

#include "core/FileDataClass.h"

#include <algorithm>
#include <utility>

// --- Row level ----------------------------------------------------------------------------------

void RowDataClass::InsertColumn(size_t i) {
    if (i == 0 || i >= cells.size())
        return;
    cells.insert(cells.begin() + static_cast<std::ptrdiff_t>(i), std::make_unique<ColumnDataClass>());
}

void RowDataClass::DeleteColumn(size_t i) {
    if (cells.size() < 3 || i == 0 || i >= cells.size() - 1)
        return;
    cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(i));
}

void RowDataClass::SwapColumns(size_t i, size_t j) {
    if (cells.size() < 3)
        return;
    size_t lastMovable = cells.size() - 2;
    if (i < 1 || i > lastMovable || j < 1 || j > lastMovable)
        return;
    std::swap(cells[i], cells[j]);
}

// --- Table level --------------------------------------------------------------------------------

bool FileDataClass::HasRoomForColumn() const {
    return FitsSplitFile(rows.size(), columns.size() + 1);
}

bool FileDataClass::HasRoomForRow() const {
    return FitsSplitFile(rows.size() + 1, columns.size());
}

void FileDataClass::InsertColumn(size_t c, const std::string& title) {
    if (c == 0 || c >= columns.size() || !HasRoomForColumn())
        return;
    for (auto& row : rows)
        row->InsertColumn(c);
    columns.insert(columns.begin() + static_cast<std::ptrdiff_t>(c),
                   std::make_unique<ColumnHeaderClass>(title));
    MoveFinishColumn(IndexEdit::Insert, c);
    SaveSplitFile();
}

void FileDataClass::InsertRow(size_t r, const std::string& title) {
    if (!HasRoomForRow())
        return;
    size_t d = std::min(r, rows.size());
    // The row in progress stays the same row; a row inserted at or before it counts as passed.
    if (currentSplit >= d)
        ++currentSplit;
    auto row = std::make_unique<RowDataClass>(columns.size());
    row->title = title;
    // Same best time as the row before: no best segment of its own, later ones unchanged.
    row->SetTime(0, d > 0 ? rows[d - 1]->GetTime(0) : 0);
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(d), std::move(row));
    MoveFinishRows(IndexEdit::Insert, d);
    SaveSplitFile();
}

void FileDataClass::DeleteColumn(size_t c) {
    size_t n = columns.size();
    if (n < 3 || c == 0 || c >= n - 1)
        return;
    for (auto& row : rows)
        row->DeleteColumn(c);
    columns.erase(columns.begin() + static_cast<std::ptrdiff_t>(c));
    MoveFinishColumn(IndexEdit::Delete, c);
    SaveSplitFile();
}

void FileDataClass::DeleteRow(size_t r) {
    if (rows.size() < 2)
        return;
    r = std::min(r, rows.size() - 1);
    // Removing a passed row keeps the same row in progress; removing the row in progress makes
    // the next one current.
    if (r < currentSplit)
        --currentSplit;
    // The other rows keep their cumulative times, so the following row covers both segments.
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(r));
    MoveFinishRows(IndexEdit::Delete, r);
    SaveSplitFile();
}

void FileDataClass::SwapColumns(size_t i, size_t j) {
    size_t n = columns.size();
    if (n < 3)
        return;
    size_t lastMovable = n - 2;
    if (i < 1 || i > lastMovable || j < 1 || j > lastMovable)
        return;
    std::swap(columns[i], columns[j]);
    for (auto& row : rows)
        row->SwapColumns(i, j);
    MoveFinishColumn(IndexEdit::Swap, i, j);
    SaveSplitFile();
}

void FileDataClass::SwapRows(size_t i, size_t j) {
    if (i >= rows.size() || j >= rows.size())
        return;
    // Best segments travel with their rows; the other columns keep the cumulative times the rows
    // carry.
    std::vector<int32_t> segments(rows.size());
    for (size_t r = 0; r < rows.size(); ++r)
        segments[r] = GetSegmentTime(r, 0);
    std::swap(rows[i], rows[j]);
    std::swap(segments[i], segments[j]);
    int32_t sum = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        sum = WrapAdd(sum, segments[r]);
        rows[r]->SetTime(0, sum);
    }
    MoveFinishRows(IndexEdit::Swap, i, j);
    SaveSplitFile();
}
