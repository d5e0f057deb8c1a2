// The split table model: defaults, clearing, index-checked accessors, notes and segments.

#include "core/FileDataClass.h"
#include "core/support/SplitTableBuilder.h"

#include <gtest/gtest.h>

#include <vector>

using testsupport::BuildTable;
using testsupport::ColumnTimes;
using testsupport::SetColumnTimes;

namespace {

// Opaque stand-ins for controls: the model stores these pointers and never dereferences them.
int labelDummy1 = 0;
int labelDummy2 = 0;
TLabel* const kLabel1 = reinterpret_cast<TLabel*>(&labelDummy1);
TLabel* const kLabel2 = reinterpret_cast<TLabel*>(&labelDummy2);
TImage* const kImage = reinterpret_cast<TImage*>(&labelDummy2);

TEST(FileDataModelDefaults, a_new_table_is_empty_with_a_stopped_timer_and_the_default_settings) {
    FileDataClass data;
    EXPECT_EQ(data.GetRowCount(), 0u);
    EXPECT_EQ(data.GetColumnCount(), 0u);
    EXPECT_FALSE(data.HasFile());
    EXPECT_FALSE(data.IsTimerRunning());
    EXPECT_TRUE(data.IsTimerZero());
    EXPECT_EQ(data.GetElapsed(), 0);
    EXPECT_EQ(data.pausedTimer, nullptr);
    EXPECT_EQ(data.bestSplitMinElapsed, 100);
    EXPECT_EQ(data.smallChange, 1000);
    EXPECT_EQ(data.zeroChange, 25);
    EXPECT_EQ(data.lineEnd, "\n");
    EXPECT_FALSE(data.autoSaveBestSplits);
    EXPECT_FALSE(data.autoSaveBestRun);
    EXPECT_FALSE(data.autoLogRuns);
    std::vector<std::string> colours = {
        data.TimerNegTimeColor,       data.TimerNormalColor,       data.TimerPositiveSmallColor,
        data.TimerPositiveLargeColor, data.DiffNegativeLargeColor, data.DiffNegativeSmallColor,
        data.DiffPositiveLargeColor,  data.DiffPositiveSmallColor, data.DiffZeroColor};
    std::vector<std::string> expected = {"808080", "FFFFFF", "800000", "FF0000", "00FF00",
                                         "008000", "FF0000", "800000", "FFFFFF"};
    EXPECT_EQ(colours, expected);
}

TEST(FileDataModelClear, clear_resets_the_file_and_run_but_keeps_the_settings) {
    testsupport::TestClock clock;
    FileDataClass data;
    BuildTable(data, 3, {"PB"});
    data.fileName = "/nowhere/that/exists/game.txt";
    data.stateFileName = "/x/state.txt";
    data.defaultStateFileName = "/prog/Timer-SplitState.txt";
    data.totalAttempts = 7;
    data.sessionAttempts = 2;
    data.startOffset = -150;
    data.currentSplit = 2;
    data.newBestRun = true;
    data.title = "Demo";
    data.titleLabel = kLabel1;
    data.titleImageFileName = "t.bmp";
    data.titleImage = kImage;
    data.bestSplitMinElapsed = 5;
    data.smallChange = 6;
    data.zeroChange = 7;
    data.autoSaveBestSplits = data.autoSaveBestRun = data.autoLogRuns = true;
    data.DiffZeroColor = "123456";
    data.lineEnd = "\r\n";
    data.timer->Start(0);
    data.pausedTimer = std::make_unique<TimerClass>();
    auto run = new HistoryDataClass();
    data.history.Add(run);

    data.Clear();

    EXPECT_EQ(data.GetRowCount(), 0u);
    EXPECT_EQ(data.GetColumnCount(), 0u);
    EXPECT_EQ(data.fileName, "");
    EXPECT_EQ(data.stateFileName, "");
    EXPECT_EQ(data.totalAttempts, 0);
    EXPECT_EQ(data.sessionAttempts, 0);
    EXPECT_EQ(data.startOffset, 0);
    EXPECT_EQ(data.currentSplit, 0u);
    EXPECT_FALSE(data.newBestRun);
    EXPECT_EQ(data.title, "");
    EXPECT_EQ(data.titleLabel, nullptr);
    EXPECT_EQ(data.titleImageFileName, "");
    EXPECT_EQ(data.titleImage, nullptr);
    EXPECT_TRUE(data.IsTimerZero());
    EXPECT_EQ(data.pausedTimer, nullptr);
    EXPECT_EQ(data.history.Count(), 0u);
    // Settings belong to the program, not to the file.
    EXPECT_EQ(data.defaultStateFileName, "/prog/Timer-SplitState.txt");
    EXPECT_EQ(data.bestSplitMinElapsed, 5);
    EXPECT_EQ(data.smallChange, 6);
    EXPECT_EQ(data.zeroChange, 7);
    EXPECT_TRUE(data.autoSaveBestSplits && data.autoSaveBestRun && data.autoLogRuns);
    EXPECT_EQ(data.DiffZeroColor, "123456");
    EXPECT_EQ(data.lineEnd, "\r\n");
}

TEST(FileDataModelQueries, the_directory_is_the_file_name_up_to_its_last_slash_of_either_kind) {
    struct Case {
        const char* name;
        const char* fileName;
        const char* directory;
    };
    const Case cases[] = {
        {"backslash_path", "C:\\Runs\\a.txt", "C:\\Runs\\"},
        {"bare_name", "a.txt", ""},
        {"slash_path", "/home/me/runs/a.txt", "/home/me/runs/"},
        {"mixed_takes_the_last", "C:\\x/y\\z.txt", "C:\\x/y\\"},
        {"no_file", "", ""},
    };
    for (const Case& c : cases) {
        FileDataClass data;
        data.fileName = c.fileName;
        EXPECT_EQ(data.GetDirectory(), c.directory) << c.name;
        EXPECT_EQ(data.HasFile(), c.fileName[0] != '\0') << c.name;
    }
}

TEST(FileDataModelQueries, any_image_counts_the_title_image_and_every_row_image) {
    FileDataClass data;
    BuildTable(data, 3);
    EXPECT_FALSE(data.HasAnyImage());
    data.SetRowImage(2, kImage);
    EXPECT_TRUE(data.HasAnyImage());
    data.SetRowImage(2, nullptr);
    data.titleImage = kImage;
    EXPECT_TRUE(data.HasAnyImage());
}

TEST(FileDataModelAccessors, getters_out_of_range_answer_empty_values) {
    FileDataClass data;
    BuildTable(data, 2, {"PB"});
    for (size_t c = 0; c < 3; ++c)
        SetColumnTimes(data, c, {100, 200});
    for (size_t r = 0; r < 2; ++r)
        for (size_t c = 0; c < 3; ++c) {
            data.SetCellNotes(r, c, "n");
            data.SetCellTimeLabel(r, c, kLabel1);
            data.SetCellDiffLabel(r, c, kLabel1);
        }
    for (size_t r = 0; r < 2; ++r) {
        data.SetRowLabel(r, kLabel1);
        data.SetRowImage(r, kImage);
        data.SetRowImageFileName(r, "i.jpg");
        data.SetRowHideable(r, true);
    }
    for (size_t c = 0; c < 3; ++c) {
        data.SetColumnLabel(c, kLabel1);
        data.SetColumnShowElapsed(c, true);
    }

    const size_t badRow = 2, badColumn = 3, huge = static_cast<size_t>(-1);
    for (size_t r : {badRow, huge}) {
        EXPECT_EQ(data.GetRowTitle(r), "");
        EXPECT_EQ(data.GetRowLabel(r), nullptr);
        EXPECT_EQ(data.GetRowImage(r), nullptr);
        EXPECT_EQ(data.GetRowImageFileName(r), "");
        EXPECT_FALSE(data.IsRowHideable(r));
        EXPECT_EQ(data.GetRowPassTime(r), 0);
        EXPECT_EQ(data.GetCellTime(r, 1), 0);
        EXPECT_EQ(data.GetCellNotes(r, 1), "");
        EXPECT_EQ(data.GetCellTimeLabel(r, 1), nullptr);
        EXPECT_EQ(data.GetCellDiffLabel(r, 1), nullptr);
        EXPECT_EQ(data.GetSegmentTime(r, 1), 0);
    }
    for (size_t c : {badColumn, huge}) {
        EXPECT_EQ(data.GetColumnTitle(c), "");
        EXPECT_EQ(data.GetColumnLabel(c), nullptr);
        EXPECT_FALSE(data.GetColumnShowElapsed(c));
        EXPECT_EQ(data.GetCellTime(0, c), 0);
        EXPECT_EQ(data.GetCellNotes(0, c), "");
        EXPECT_EQ(data.GetCellTimeLabel(0, c), nullptr);
        EXPECT_EQ(data.GetCellDiffLabel(0, c), nullptr);
        EXPECT_EQ(data.GetSegmentTime(0, c), 0);
    }
    // In range, the same getters see what was set.
    EXPECT_TRUE(data.IsRowHideable(1));
    EXPECT_TRUE(data.GetColumnShowElapsed(2));
    EXPECT_EQ(data.GetCellTimeLabel(1, 2), kLabel1);
}

TEST(FileDataModelAccessors, setters_out_of_range_change_nothing) {
    FileDataClass data;
    BuildTable(data, 2, {"PB"});
    const size_t badRow = 2, badColumn = 3;
    data.SetColumnTitle(badColumn, "x");
    data.SetColumnLabel(badColumn, kLabel1);
    data.SetColumnShowElapsed(badColumn, true);
    data.SetRowTitle(badRow, "x");
    data.SetRowLabel(badRow, kLabel1);
    data.SetRowImage(badRow, kImage);
    data.SetRowImageFileName(badRow, "x");
    data.SetRowHideable(badRow, true);
    data.SetCellTime(badRow, 1, 5);
    data.SetCellTime(0, badColumn, 5);
    data.SetCellNotes(badRow, 1, "x");
    data.SetCellNotes(0, badColumn, "x");
    data.SetCellTimeLabel(badRow, 1, kLabel1);
    data.SetCellDiffLabel(0, badColumn, kLabel1);
    data.SetRowCounterCounts(badRow, {1, 2});
    data.SetSegmentAndShift(badRow, 0, 500);
    data.SetSegmentAndShift(0, badColumn, 500);
    data.ClearRowCounterCounts(badRow);

    EXPECT_EQ(data.GetColumnCount(), 3u);
    EXPECT_EQ(data.GetRowCount(), 2u);
    for (size_t r = 0; r < 2; ++r) {
        EXPECT_EQ(data.GetRowLabel(r), nullptr);
        EXPECT_FALSE(data.IsRowHideable(r));
        for (size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(data.GetCellTime(r, c), 0);
            EXPECT_EQ(data.GetCellNotes(r, c), "");
            EXPECT_EQ(data.GetCellTimeLabel(r, c), nullptr);
            EXPECT_EQ(data.GetCellDiffLabel(r, c), nullptr);
        }
    }
    for (size_t c = 0; c < 3; ++c)
        EXPECT_FALSE(data.GetColumnShowElapsed(c));
}

TEST(FileDataModelAccessors, row_cell_access_ignores_indexes_past_its_cells) {
    RowDataClass row(2);
    row.SetTime(2, 5);
    row.SetNotes(2, "x");
    row.SetTimeLabel(2, kLabel1);
    row.SetDiffLabel(2, kLabel1);
    EXPECT_EQ(row.GetTime(2), 0);
    EXPECT_EQ(row.GetNotes(2), "");
    EXPECT_EQ(row.GetTimeLabel(2), nullptr);
    EXPECT_EQ(row.GetDiffLabel(2), nullptr);
    // Column 0 is allowed at row level: the file reader and the row edits write best times here.
    row.SetTime(0, 1234);
    row.SetDiffLabel(1, kLabel2);
    EXPECT_EQ(row.GetTime(0), 1234);
    EXPECT_EQ(row.GetDiffLabel(1), kLabel2);
    EXPECT_EQ(row.GetTimeLabel(1), nullptr);
}

TEST(FileDataModelAccessors, the_best_column_is_refused_by_the_cell_time_setter) {
    FileDataClass data;
    BuildTable(data, 2, {"PB"});
    SetColumnTimes(data, 0, {1000, 2000});
    data.SetCellTime(1, 0, 9999);
    data.SetCellTime(1, 1, 9999);
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{1000, 2000}));
    EXPECT_EQ(data.GetCellTime(1, 1), 9999);
}

TEST(FileDataModelAccessors, counter_counts_out_of_range_leave_the_callers_list_alone) {
    FileDataClass data;
    BuildTable(data, 2);
    data.SetRowCounterCounts(1, {3, 0, 4});
    CounterCountList list = {9, 9};
    data.GetRowCounterCounts(2, list);
    EXPECT_EQ(list, (CounterCountList{9, 9}));
    data.GetRowCounterCounts(1, list);
    EXPECT_EQ(list, (CounterCountList{3, 0, 4}));
    data.GetRowCounterCounts(0, list);
    EXPECT_TRUE(list.empty());
    data.ClearRowCounterCounts(1);
    data.GetRowCounterCounts(1, list);
    EXPECT_TRUE(list.empty());
}

TEST(FileDataModelNotes, notes_are_held_escaped_and_read_back_with_tab_and_crlf_breaks) {
    FileDataClass data;
    BuildTable(data, 1, {"PB"});
    data.SetCellNotes(0, 1, "a\tb\nc");
    EXPECT_EQ(data.rows[0]->cells[1]->notes, "a|tb|rc");
    EXPECT_EQ(data.GetCellNotes(0, 1), "a\tb\r\nc");
    EXPECT_EQ(data.rows[0]->GetNotes(1), "a\tb\r\nc");
    data.rows[0]->SetNotes(2, "x\r\ny");
    EXPECT_EQ(data.rows[0]->cells[2]->notes, "x|ry");
}

TEST(FileDataModelSegments, a_segment_is_missing_when_either_cumulative_time_is) {
    FileDataClass data;
    BuildTable(data, 4, {"PB"});
    SetColumnTimes(data, 1, {1000, 0, 3000, 4500});
    EXPECT_EQ(data.GetSegmentTime(0, 1), 1000); // row 0: its own time
    EXPECT_EQ(data.GetSegmentTime(1, 1), 0);    // empty cell
    EXPECT_EQ(data.GetSegmentTime(2, 1), 0);    // previous row empty
    EXPECT_EQ(data.GetSegmentTime(3, 1), 1500);
}

struct ShiftCase {
    const char* name;
    std::vector<int32_t> before;
    size_t row;
    int32_t segment;
    std::vector<int32_t> after;
};

class FileDataModelShift : public testing::TestWithParam<ShiftCase> {};

TEST_P(FileDataModelShift, setting_a_segment_moves_every_later_time_by_the_change) {
    const ShiftCase& c = GetParam();
    for (size_t column : {size_t{0}, size_t{1}}) {
        FileDataClass data;
        BuildTable(data, c.before.size(), {"PB"});
        SetColumnTimes(data, column, c.before);
        data.SetSegmentAndShift(c.row, column, c.segment);
        EXPECT_EQ(ColumnTimes(data, column), c.after) << "column " << column;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FileDataModelShift,
    testing::Values(ShiftCase{"shorter_middle_segment", {1000, 2000, 3000}, 1, 500, {1000, 1500, 2500}},
                    ShiftCase{"only_first_row_known", {1000, 0, 0}, 1, 500, {1000, 1500, 1500}},
                    ShiftCase{"first_row_has_no_previous", {1000, 2000, 3000}, 0, 700, {700, 1700, 2700}},
                    ShiftCase{"longer_last_segment", {1000, 2000, 3000}, 2, 1500, {1000, 2000, 3500}},
                    ShiftCase{
                        "same_segment_changes_nothing", {1000, 2000, 3000}, 1, 1000, {1000, 2000, 3000}},
                    ShiftCase{"empty_cell_gets_a_time", {1000, 0, 2500}, 1, 200, {1000, 1200, 3700}}),
    [](const testing::TestParamInfo<ShiftCase>& info) { return std::string(info.param.name); });

TEST(FileDataModelSegments, after_a_shift_the_later_segments_are_unchanged) {
    FileDataClass data;
    BuildTable(data, 5);
    SetColumnTimes(data, 0, {300, 750, 1200, 2000, 2100});
    std::vector<int32_t> before;
    for (size_t r = 2; r < 5; ++r)
        before.push_back(data.GetSegmentTime(r, 0));
    data.SetSegmentAndShift(1, 0, 100);
    EXPECT_EQ(data.GetSegmentTime(1, 0), 100);
    std::vector<int32_t> after;
    for (size_t r = 2; r < 5; ++r)
        after.push_back(data.GetSegmentTime(r, 0));
    EXPECT_EQ(after, before);
}

TEST(FileDataModelLifetime, destroying_a_table_with_rows_history_and_a_paused_copy_frees_everything) {
    // Runs under the sanitizers: a leak or double free of the owned objects shows there.
    auto data = std::make_unique<FileDataClass>();
    BuildTable(*data, 3, {"A", "B"});
    data->pausedTimer = std::make_unique<TimerClass>();
    data->history.Add(new HistoryDataClass());
    data.reset();
    SUCCEED();
}

} // namespace
