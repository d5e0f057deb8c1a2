// Table edits: inserting, deleting and moving columns and rows, their effect on the best column
// and on the row in progress, and the save that every carried-out edit makes (a refused edit
// writes nothing).

#include "core/FileDataClass.h"
#include "core/support/SplitTableBuilder.h"
#include "tests/support/TableTitles.h"

#include "platform/runtime/TextFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

using testsupport::BuildTable;
using testsupport::ColumnTimes;
using testsupport::ColumnTitles;
using testsupport::RowTitles;
using testsupport::SetColumnTimes;

namespace {

// A table of 3 rows: best 1000/1500/2500, comparison columns A and B, and a current run. The
// split file name points into a temporary folder, so a save shows as the file appearing.
class TableEditTest : public testing::Test {
protected:
    void SetUp() override {
        BuildTable(data, 3, {"A", "B"});
        SetColumnTimes(data, 0, {1000, 1500, 2500});
        SetColumnTimes(data, 1, {1100, 1700, 2800});
        SetColumnTimes(data, 2, {1200, 1900, 3100});
        data.SetCellNotes(0, 1, "a0");
        data.SetCellNotes(0, 2, "b0");
        data.fileName = folder.File("game.txt");
    }
    bool Saved() const { return rt::FileExists(data.fileName); }

    testsupport::TempFolder folder;
    FileDataClass data;
};

// --- Refusals -----------------------------------------------------------------------------------

struct RefusalCase {
    const char* name;
    std::function<void(FileDataClass&)> edit;
};

class TableEditRefusal : public TableEditTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(TableEditRefusal, a_refused_edit_changes_nothing_and_saves_nothing) {
    GetParam().edit(data);
    EXPECT_FALSE(Saved());
    EXPECT_EQ(ColumnTitles(data), (std::vector<std::string>{"Best Splits", "A", "B", "Current"}));
    EXPECT_EQ(RowTitles(data), (std::vector<std::string>{"Split 1", "Split 2", "Split 3"}));
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{1000, 1500, 2500}));
    EXPECT_EQ(ColumnTimes(data, 1), (std::vector<int32_t>{1100, 1700, 2800}));
    EXPECT_EQ(ColumnTimes(data, 2), (std::vector<int32_t>{1200, 1900, 3100}));
    for (const auto& row : data.rows)
        EXPECT_EQ(row->cells.size(), 4u);
}

const size_t kPastEnd = static_cast<size_t>(-1);

INSTANTIATE_TEST_SUITE_P(
    Bounds, TableEditRefusal,
    testing::Values(
        RefusalCase{"insert_column_before_best", [](FileDataClass& d) { d.InsertColumn(0, "x"); }},
        RefusalCase{"insert_column_after_current", [](FileDataClass& d) { d.InsertColumn(4, "x"); }},
        RefusalCase{"delete_best_column", [](FileDataClass& d) { d.DeleteColumn(0); }},
        RefusalCase{"delete_current_column", [](FileDataClass& d) { d.DeleteColumn(3); }},
        RefusalCase{"delete_column_past_end", [](FileDataClass& d) { d.DeleteColumn(kPastEnd); }},
        RefusalCase{"swap_with_best_column", [](FileDataClass& d) { d.SwapColumns(0, 1); }},
        RefusalCase{"swap_with_current_column", [](FileDataClass& d) { d.SwapColumns(1, 3); }},
        RefusalCase{"swap_columns_past_end", [](FileDataClass& d) { d.SwapColumns(2, kPastEnd); }},
        RefusalCase{"swap_rows_past_end", [](FileDataClass& d) { d.SwapRows(2, 3); }},
        RefusalCase{"swap_rows_before_start", [](FileDataClass& d) { d.SwapRows(kPastEnd, 0); }}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(TableEditRefusals, a_table_of_two_columns_has_no_column_to_delete_or_move) {
    testsupport::TempFolder folder;
    FileDataClass data;
    BuildTable(data, 2);
    data.fileName = folder.File("game.txt");
    data.DeleteColumn(1);
    data.SwapColumns(1, 1);
    EXPECT_EQ(data.GetColumnCount(), 2u);
    EXPECT_FALSE(rt::FileExists(data.fileName));
}

TEST(TableEditRefusals, the_only_row_cannot_be_deleted) {
    testsupport::TempFolder folder;
    FileDataClass data;
    BuildTable(data, 1);
    data.fileName = folder.File("game.txt");
    data.DeleteRow(0);
    EXPECT_EQ(data.GetRowCount(), 1u);
    EXPECT_FALSE(rt::FileExists(data.fileName));
}

// No insert saves a table that the split file reader refuses: one past a limit is refused, and the
// last one within the limits saves a file that opens again with the new shape.
struct LimitCase {
    const char* name;
    size_t rows;
    size_t columns;  // the best and the current-run column counted
    bool insertsRow; // else a column
    bool carriedOut;
};

class InsertAtTheLimits : public testing::TestWithParam<LimitCase> {};

TEST_P(InsertAtTheLimits, no_insert_saves_a_table_that_the_next_open_refuses) {
    const LimitCase& c = GetParam();
    testsupport::TempFolder folder;
    FileDataClass data;
    BuildTable(data, c.rows, std::vector<std::string>(c.columns - 2, "Run"));
    data.fileName = folder.File("game.txt");
    if (c.insertsRow)
        data.InsertRow(0, "New");
    else
        data.InsertColumn(1, "New");

    const size_t rows = c.rows + (c.carriedOut && c.insertsRow ? 1 : 0);
    const size_t columns = c.columns + (c.carriedOut && !c.insertsRow ? 1 : 0);
    EXPECT_EQ(data.GetRowCount(), rows);
    EXPECT_EQ(data.GetColumnCount(), columns);
    EXPECT_EQ(rt::FileExists(data.fileName), c.carriedOut);
    if (c.carriedOut) {
        FileDataClass reopened;
        reopened.LoadSplitFile(data.fileName);
        EXPECT_EQ(reopened.GetRowCount(), rows);
        EXPECT_EQ(reopened.GetColumnCount(), columns);
    }
}

constexpr size_t kMaxRows = FileDataClass::kMaxSplitFileRows;
constexpr size_t kMaxColumns = FileDataClass::kMaxSplitFileColumns;
constexpr size_t kMaxCells = FileDataClass::kMaxSplitFileCells;

INSTANTIATE_TEST_SUITE_P(
    Limits, InsertAtTheLimits,
    testing::Values(LimitCase{"a_row_past_the_most_rows", kMaxRows, 2, true, false},
                    LimitCase{"the_last_row_that_fits", kMaxRows - 1, 2, true, true},
                    LimitCase{"a_column_past_the_most_columns", 1, kMaxColumns, false, false},
                    LimitCase{"the_last_column_that_fits", 1, kMaxColumns - 1, false, true},
                    // 5,000 rows of 6 columns take 34 more columns, and no 35th.
                    LimitCase{"a_column_past_the_most_cells", 5'000, kMaxCells / 5'000, false, false},
                    LimitCase{"the_last_column_within_the_cells", 5'000, kMaxCells / 5'000 - 1, false, true},
                    LimitCase{"a_row_past_the_most_cells", kMaxCells / 5, 5, true, false}),
    [](const testing::TestParamInfo<LimitCase>& info) { return std::string(info.param.name); });

// --- Columns ------------------------------------------------------------------------------------

TEST_F(TableEditTest, an_inserted_column_is_empty_in_every_row_and_is_saved) {
    data.InsertColumn(2, "New");
    EXPECT_TRUE(Saved());
    EXPECT_EQ(ColumnTitles(data), (std::vector<std::string>{"Best Splits", "A", "New", "B", "Current"}));
    EXPECT_EQ(ColumnTimes(data, 2), (std::vector<int32_t>{0, 0, 0}));
    EXPECT_EQ(ColumnTimes(data, 3), (std::vector<int32_t>{1200, 1900, 3100}));
    EXPECT_EQ(data.GetCellNotes(0, 3), "b0");
    for (const auto& row : data.rows)
        EXPECT_EQ(row->cells.size(), 5u);
}

TEST_F(TableEditTest, a_column_inserted_before_the_current_run_becomes_the_comparison_column) {
    testsupport::TestClock clock;
    data.fileName.clear(); // the run is not what is tested here
    data.StartRun();
    clock.Advance(1300);
    EXPECT_EQ(data.GetLiveSplitDiff(), 100); // against B
    data.InsertColumn(3, "Fresh");
    EXPECT_EQ(ColumnTitles(data)[3], "Fresh");
    EXPECT_EQ(data.GetLiveSplitDiff(), 0); // the new comparison column has no times yet
    EXPECT_EQ(data.GetLiveSegmentDiff(), 0);
    EXPECT_TRUE(data.IsTimerRunning());
    EXPECT_EQ(data.GetElapsed(), 1300);
}

TEST_F(TableEditTest, a_deleted_column_takes_its_cells_and_leaves_the_others_alone) {
    data.currentSplit = 2;
    data.DeleteColumn(1);
    EXPECT_TRUE(Saved());
    EXPECT_EQ(ColumnTitles(data), (std::vector<std::string>{"Best Splits", "B", "Current"}));
    EXPECT_EQ(ColumnTimes(data, 1), (std::vector<int32_t>{1200, 1900, 3100}));
    EXPECT_EQ(data.GetCellNotes(0, 1), "b0");
    EXPECT_EQ(data.GetCurrentSplit(), 2u);
    for (const auto& row : data.rows)
        EXPECT_EQ(row->cells.size(), 3u);
}

TEST_F(TableEditTest, swapping_columns_moves_headers_and_cells_together) {
    data.SetColumnShowElapsed(1, true);
    data.SwapColumns(1, 2);
    EXPECT_TRUE(Saved());
    EXPECT_EQ(ColumnTitles(data), (std::vector<std::string>{"Best Splits", "B", "A", "Current"}));
    EXPECT_TRUE(data.GetColumnShowElapsed(2));
    EXPECT_EQ(ColumnTimes(data, 1), (std::vector<int32_t>{1200, 1900, 3100}));
    EXPECT_EQ(ColumnTimes(data, 2), (std::vector<int32_t>{1100, 1700, 2800}));
    EXPECT_EQ(data.GetCellNotes(0, 2), "a0");
}

TEST_F(TableEditTest, swapping_a_column_with_itself_saves_and_changes_nothing_else) {
    data.SwapColumns(2, 2);
    EXPECT_TRUE(Saved());
    EXPECT_EQ(ColumnTitles(data), (std::vector<std::string>{"Best Splits", "A", "B", "Current"}));
}

TEST(TableEditRows, row_level_column_edits_keep_the_best_and_current_cells_in_place) {
    RowDataClass row(3);
    for (size_t i = 0; i < 3; ++i)
        row.SetTime(i, static_cast<int32_t>(100 * (i + 1)));
    row.InsertColumn(0); // nothing before the best cell
    row.InsertColumn(3); // nor after the current cell
    EXPECT_EQ(row.cells.size(), 3u);
    row.SwapColumns(1, 2);
    row.SwapColumns(0, 1);
    EXPECT_EQ(row.GetTime(0), 100);
    EXPECT_EQ(row.GetTime(1), 200);
    row.DeleteColumn(0);
    row.DeleteColumn(2);
    EXPECT_EQ(row.cells.size(), 3u);
    row.DeleteColumn(1);
    EXPECT_EQ(row.cells.size(), 2u);
    row.DeleteColumn(1); // two cells left: nothing more can go
    EXPECT_EQ(row.cells.size(), 2u);
    EXPECT_EQ(row.GetTime(0), 100);
    EXPECT_EQ(row.GetTime(1), 300);
}

// --- Inserting rows -----------------------------------------------------------------------------

struct InsertRowCase {
    const char* name;
    size_t at;
    uint32_t currentSplitBefore;
    std::vector<std::string> titles;
    std::vector<int32_t> best;
    uint32_t currentSplitAfter;
};

class InsertRow : public TableEditTest, public testing::WithParamInterface<InsertRowCase> {};

TEST_P(InsertRow, a_new_row_copies_the_best_time_before_it_and_keeps_the_row_in_progress) {
    const InsertRowCase& c = GetParam();
    data.currentSplit = c.currentSplitBefore;
    data.InsertRow(c.at, "New");
    EXPECT_TRUE(Saved());
    EXPECT_EQ(RowTitles(data), c.titles);
    EXPECT_EQ(ColumnTimes(data, 0), c.best);
    EXPECT_EQ(data.GetCurrentSplit(), c.currentSplitAfter);
    size_t at = std::min(c.at, size_t{3});
    for (size_t col = 1; col < 4; ++col) {
        EXPECT_EQ(data.GetCellTime(at, col), 0);
        EXPECT_EQ(data.GetCellNotes(at, col), "");
    }
    EXPECT_EQ(data.GetSegmentTime(at, 0), 0); // no best segment of its own
    EXPECT_EQ(data.rows[at]->cells.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, InsertRow,
    testing::Values(InsertRowCase{"at_the_start_before_a_run_moves_cs_to_one",
                                  0,
                                  0,
                                  {"New", "Split 1", "Split 2", "Split 3"},
                                  {0, 1000, 1500, 2500},
                                  1},
                    InsertRowCase{"in_the_middle_before_the_row_in_progress_counts_as_passed",
                                  1,
                                  2,
                                  {"Split 1", "New", "Split 2", "Split 3"},
                                  {1000, 1000, 1500, 2500},
                                  3},
                    InsertRowCase{"at_the_row_in_progress_counts_as_passed",
                                  2,
                                  2,
                                  {"Split 1", "Split 2", "New", "Split 3"},
                                  {1000, 1500, 1500, 2500},
                                  3},
                    InsertRowCase{"after_the_row_in_progress_leaves_cs",
                                  3,
                                  2,
                                  {"Split 1", "Split 2", "Split 3", "New"},
                                  {1000, 1500, 2500, 2500},
                                  2},
                    InsertRowCase{"past_the_end_appends_with_the_last_best_time",
                                  99,
                                  0,
                                  {"Split 1", "Split 2", "Split 3", "New"},
                                  {1000, 1500, 2500, 2500},
                                  0}),
    [](const testing::TestParamInfo<InsertRowCase>& info) { return std::string(info.param.name); });

TEST_F(TableEditTest, inserting_a_row_keeps_the_later_best_segments) {
    data.InsertRow(1, "");
    EXPECT_EQ(data.GetSegmentTime(2, 0), 500);
    EXPECT_EQ(data.GetSegmentTime(3, 0), 1000);
}

TEST_F(TableEditTest, a_start_after_inserting_at_the_top_begins_at_row_zero) {
    testsupport::TestClock clock;
    data.InsertRow(0, "");
    ASSERT_EQ(data.GetCurrentSplit(), 1u);
    data.StartRun();
    EXPECT_EQ(data.GetCurrentSplit(), 0u);
}

// --- Deleting rows ------------------------------------------------------------------------------

struct DeleteRowCase {
    const char* name;
    size_t at;
    uint32_t currentSplitBefore;
    std::vector<std::string> titles;
    uint32_t currentSplitAfter;
};

class DeleteRow : public TableEditTest, public testing::WithParamInterface<DeleteRowCase> {};

TEST_P(DeleteRow, a_deleted_row_takes_its_cells_and_keeps_the_same_row_in_progress) {
    const DeleteRowCase& c = GetParam();
    data.currentSplit = c.currentSplitBefore;
    data.DeleteRow(c.at);
    EXPECT_TRUE(Saved());
    EXPECT_EQ(RowTitles(data), c.titles);
    EXPECT_EQ(data.GetCurrentSplit(), c.currentSplitAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, DeleteRow,
    testing::Values(
        DeleteRowCase{"a_passed_row_moves_cs_back", 0, 2, {"Split 2", "Split 3"}, 1},
        DeleteRowCase{"the_row_in_progress_makes_the_next_current", 1, 1, {"Split 1", "Split 3"}, 1},
        DeleteRowCase{"a_row_not_reached_leaves_cs", 2, 1, {"Split 1", "Split 2"}, 1},
        DeleteRowCase{"past_the_end_deletes_the_last_row", 99, 0, {"Split 1", "Split 2"}, 0},
        DeleteRowCase{"after_a_finished_run_cs_stays_the_row_count", 1, 3, {"Split 1", "Split 3"}, 2}),
    [](const testing::TestParamInfo<DeleteRowCase>& info) { return std::string(info.param.name); });

TEST_F(TableEditTest, after_deleting_a_row_the_next_row_covers_both_segments) {
    data.DeleteRow(1);
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{1000, 2500}));
    EXPECT_EQ(ColumnTimes(data, 1), (std::vector<int32_t>{1100, 2800}));
    EXPECT_EQ(data.GetSegmentTime(1, 0), 1500);
}

TEST_F(TableEditTest, deleting_a_passed_row_during_a_run_keeps_splitting_the_same_row) {
    testsupport::TestClock clock;
    data.StartRun();
    clock.Advance(1000);
    data.MakeSplit("", {});
    clock.Advance(1000);
    data.MakeSplit("", {});
    data.DeleteRow(0);
    EXPECT_EQ(data.GetCurrentSplit(), 1u);
    clock.Advance(1000);
    data.MakeSplit("", {});
    EXPECT_EQ(data.GetCellTime(1, 3), 3000); // "Split 3", the row that was in progress
    EXPECT_TRUE(data.IsRunComplete());
}

// --- Moving rows --------------------------------------------------------------------------------

TEST_F(TableEditTest, swapping_rows_moves_best_segments_with_their_rows) {
    data.SwapRows(0, 1);
    EXPECT_TRUE(Saved());
    EXPECT_EQ(RowTitles(data), (std::vector<std::string>{"Split 2", "Split 1", "Split 3"}));
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{500, 1500, 2500}));
    // The other columns keep the cumulative times their rows carry.
    EXPECT_EQ(ColumnTimes(data, 1), (std::vector<int32_t>{1700, 1100, 2800}));
    EXPECT_EQ(data.GetCellNotes(1, 1), "a0");
}

TEST_F(TableEditTest, swapping_a_row_with_itself_rebuilds_the_best_column_in_place_and_saves) {
    data.SwapRows(1, 1);
    EXPECT_TRUE(Saved());
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{1000, 1500, 2500}));
}

TEST_F(TableEditTest, swapping_rows_moves_everything_a_row_owns) {
    int dummy = 0;
    TImage* image = reinterpret_cast<TImage*>(&dummy);
    data.SetRowImage(2, image);
    data.SetRowImageFileName(2, "r3.jpg");
    data.SetRowHideable(2, true);
    data.rows[2]->passTime = 777;
    data.SetRowCounterCounts(2, {1, 2});
    data.currentSplit = 1;
    data.SwapRows(2, 0);
    EXPECT_EQ(data.GetRowTitle(0), "Split 3");
    EXPECT_EQ(data.GetRowImage(0), image);
    EXPECT_EQ(data.GetRowImageFileName(0), "r3.jpg");
    EXPECT_TRUE(data.IsRowHideable(0));
    EXPECT_FALSE(data.IsRowHideable(2));
    EXPECT_EQ(data.GetRowPassTime(0), 777);
    CounterCountList counts;
    data.GetRowCounterCounts(0, counts);
    EXPECT_EQ(counts, (CounterCountList{1, 2}));
    EXPECT_EQ(data.GetCurrentSplit(), 1u); // not changed by a move
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{1000, 1500, 2500}));
}

TEST_F(TableEditTest, a_best_time_after_an_empty_one_loses_its_segment_in_a_move) {
    SetColumnTimes(data, 0, {0, 1500, 2500}); // row 0 without a best time
    data.SwapRows(1, 2);
    // Segments noted: 0, 0 (its previous is empty), 1000; after the swap 0, 1000, 0.
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{0, 1000, 1000}));
}

} // namespace
