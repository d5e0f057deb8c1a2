// Comparisons of the run: split and segment differences, live differences, the colour choice at
// its thresholds, the best-segment and best-run rules and their write-backs into the table.
// Nothing here has a split file name, so nothing is written to disk.

#include "core/FileDataClass.h"
#include "core/support/SplitTableBuilder.h"

#include <gtest/gtest.h>

#include <climits>

using testsupport::BuildTable;
using testsupport::ColumnTimes;
using testsupport::SetColumnTimes;

namespace {

class ComparisonTest : public testing::Test {
protected:
    // Columns: 0 best, 1 PB (the comparison column), 2 current run.
    void SetUp() override {
        BuildTable(data, 4, {"PB"});
        SetColumnTimes(data, 0, {900, 1800, 2700, 3600});
        SetColumnTimes(data, 1, {1000, 2000, 0, 4000});
    }
    // Puts a finished or partial run into the current-run column without the clock.
    void SetRun(const std::vector<int32_t>& times) {
        SetColumnTimes(data, 2, times);
        data.currentSplit = static_cast<uint32_t>(times.size());
    }

    testsupport::TestClock clock;
    FileDataClass data;
};

// --- Differences --------------------------------------------------------------------------------

TEST_F(ComparisonTest, split_differences_compare_cumulative_times_of_passed_rows_only) {
    SetRun({1100, 1900});
    EXPECT_EQ(data.GetSplitDiff(0, 1), 100);
    EXPECT_EQ(data.GetSplitDiff(1, 1), -100); // ahead is negative
    EXPECT_EQ(data.GetSplitDiff(1, 0), 100);  // against the best column
    EXPECT_EQ(data.GetSplitDiff(2, 1), 0);    // not yet passed
    EXPECT_EQ(data.GetSplitDiff(9, 1), 0);
    EXPECT_EQ(data.GetSplitDiff(0, 3), 0);
}

TEST_F(ComparisonTest, a_missing_time_on_either_side_gives_no_difference) {
    SetRun({1100, 0, 2900}); // row 1 skipped; row 2 has no comparison time
    EXPECT_EQ(data.GetSplitDiff(1, 1), 0);
    EXPECT_EQ(data.GetSplitDiff(2, 1), 0);
    EXPECT_EQ(data.GetSegmentDiff(1, 1), 0);
    EXPECT_EQ(data.GetSegmentDiff(2, 0), 0); // the row after a skip has no segment
}

TEST_F(ComparisonTest, segment_differences_compare_segments) {
    SetRun({1100, 1900});
    EXPECT_EQ(data.GetSegmentDiff(0, 1), 100);  // 1100 against 1000
    EXPECT_EQ(data.GetSegmentDiff(1, 1), -200); // 800 against 1000
    EXPECT_EQ(data.GetSegmentDiff(1, 0), -100); // 800 against the best 900
    EXPECT_EQ(data.GetSegmentDiff(2, 1), 0);
}

TEST_F(ComparisonTest, the_current_run_column_shows_its_segment_difference_to_the_comparison_column) {
    SetRun({1100, 1900});
    EXPECT_EQ(data.GetSplitDiff(1, 2), -200);
    EXPECT_EQ(data.GetSegmentDiff(1, 2), -200);
    EXPECT_EQ(data.GetSplitDiff(2, 2), 0);
}

TEST(ComparisonTwoColumns, with_only_best_and_current_the_current_and_live_differences_are_zero) {
    testsupport::TestClock clock;
    FileDataClass data;
    BuildTable(data, 2);
    SetColumnTimes(data, 0, {1000, 2000});
    data.StartRun();
    clock.Advance(1500);
    data.MakeSplit("", {});
    clock.Advance(1000);
    EXPECT_EQ(data.GetSplitDiff(0, 1), 0);
    EXPECT_EQ(data.GetSegmentDiff(0, 1), 0);
    EXPECT_EQ(data.GetLiveSplitDiff(), 0);
    EXPECT_EQ(data.GetLiveSegmentDiff(), 0);
    // The best column itself still compares with the run.
    EXPECT_EQ(data.GetSplitDiff(0, 0), 500);
    data.MakeSplit("", {});
    EXPECT_TRUE(data.IsRunComplete());
    EXPECT_FALSE(data.IsNewBestRun());
}

TEST_F(ComparisonTest, live_differences_follow_the_clock_against_the_comparison_column) {
    data.StartRun();
    clock.Advance(1100);
    EXPECT_EQ(data.GetLiveSplitDiff(), 100);
    EXPECT_EQ(data.GetLiveSegmentDiff(), 100); // row 0 has no previous difference
    data.MakeSplit("", {});
    clock.Advance(850); // 1950 against 2000
    EXPECT_EQ(data.GetLiveSplitDiff(), -50);
    // Less the +1.00 of the previous split: this segment is 1.50 faster.
    EXPECT_EQ(data.GetLiveSegmentDiff(), -150);
    data.MakeSplit("", {});
    // Row 2 has no comparison time.
    clock.Advance(100);
    EXPECT_EQ(data.GetLiveSplitDiff(), 0);
    EXPECT_EQ(data.GetLiveSegmentDiff(), 0);
}

TEST_F(ComparisonTest, live_differences_are_zero_once_every_row_is_passed) {
    data.StartRun();
    for (int i = 0; i < 4; ++i) {
        clock.Advance(1000);
        data.MakeSplit("", {});
    }
    clock.Advance(1000);
    EXPECT_EQ(data.GetLiveSplitDiff(), 0);
    EXPECT_EQ(data.GetLiveSegmentDiff(), 0);
}

// --- Colours ------------------------------------------------------------------------------------

// Distinct texts, so that every choice can be told apart.
void UseNamedColours(FileDataClass& data) {
    data.TimerNegTimeColor = "timer-neg";
    data.TimerNormalColor = "timer-normal";
    data.TimerPositiveSmallColor = "timer-small";
    data.TimerPositiveLargeColor = "timer-large";
    data.DiffNegativeLargeColor = "neg-large";
    data.DiffNegativeSmallColor = "neg-small";
    data.DiffPositiveLargeColor = "pos-large";
    data.DiffPositiveSmallColor = "pos-small";
    data.DiffZeroColor = "zero";
}

struct DiffColourCase {
    const char* name;
    int32_t zeroChange;
    int32_t d;
    const char* colour;
};

class DiffColour : public testing::TestWithParam<DiffColourCase> {};

TEST_P(DiffColour, the_difference_colour_follows_the_two_thresholds) {
    FileDataClass data;
    UseNamedColours(data);
    data.zeroChange = GetParam().zeroChange;
    EXPECT_EQ(data.GetDiffColor(GetParam().d), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, DiffColour,
    testing::Values(DiffColourCase{"zero_threshold_itself_is_zero", 25, 25, "zero"},
                    DiffColourCase{"minus_zero_threshold_is_zero", 25, -25, "zero"},
                    DiffColourCase{"just_above_zero_threshold", 25, 26, "pos-small"},
                    DiffColourCase{"just_below_minus_zero_threshold", 25, -26, "neg-small"},
                    DiffColourCase{"just_below_small_threshold", 25, 999, "pos-small"},
                    DiffColourCase{"small_threshold_is_large", 25, 1000, "pos-large"},
                    DiffColourCase{"minus_just_below_small_threshold", 25, -999, "neg-small"},
                    DiffColourCase{"minus_small_threshold_is_large", 25, -1000, "neg-large"},
                    DiffColourCase{"exact_zero", 25, 0, "zero"},
                    DiffColourCase{"most_negative_value", 25, INT32_MIN, "neg-large"},
                    DiffColourCase{"largest_value", 25, INT32_MAX, "pos-large"},
                    DiffColourCase{"negative_threshold_still_gives_zero_for_zero", -1, 0, "zero"},
                    DiffColourCase{"negative_threshold_colours_one_hundredth", -1, 1, "pos-small"}),
    [](const testing::TestParamInfo<DiffColourCase>& info) { return std::string(info.param.name); });

TEST_F(ComparisonTest, the_timer_colour_shows_the_countdown_and_how_far_behind_the_run_is) {
    UseNamedColours(data);
    data.startOffset = -100;
    data.StartRun();
    EXPECT_EQ(data.GetTimerColor(), "timer-neg");
    clock.Advance(100); // 0.00: ten seconds ahead
    EXPECT_EQ(data.GetTimerColor(), "timer-normal");
    clock.Advance(1000); // 10.00 against 10.00: even
    EXPECT_EQ(data.GetTimerColor(), "timer-normal");
    clock.Advance(10); // behind by 0.10, inside the zero threshold, which plays no part here
    EXPECT_EQ(data.GetTimerColor(), "timer-small");
    clock.Advance(989); // behind by 9.99
    EXPECT_EQ(data.GetTimerColor(), "timer-small");
    clock.Advance(1); // behind by 10.00
    EXPECT_EQ(data.GetTimerColor(), "timer-large");
}

TEST_F(ComparisonTest, the_timer_colour_is_normal_without_a_comparison_time_for_the_row) {
    UseNamedColours(data);
    data.StartRun();
    data.currentSplit = 2; // row 2 has no PB time
    clock.Advance(100000);
    EXPECT_EQ(data.GetTimerColor(), "timer-normal");
}

// --- Best segments ------------------------------------------------------------------------------

struct BestSegmentCase {
    const char* name;
    int32_t best;    // best segment of row 1; 0 = none
    int32_t current; // current segment of row 1
    bool isNewBest;
};

class BestSegment : public testing::TestWithParam<BestSegmentCase> {};

TEST_P(BestSegment, a_new_best_segment_beats_the_minimum_and_the_stored_best) {
    const BestSegmentCase& c = GetParam();
    FileDataClass data;
    BuildTable(data, 2, {"PB"});
    SetColumnTimes(data, 0, {1000, 1000 + c.best});
    SetColumnTimes(data, 2, {1000, 1000 + c.current});
    data.currentSplit = 2;
    EXPECT_EQ(data.IsNewBestSegment(1), c.isNewBest);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, BestSegment,
    testing::Values(BestSegmentCase{"equal_to_the_minimum_is_not_counted", 0, 100, false},
                    BestSegmentCase{"just_above_the_minimum_without_a_best", 0, 101, true},
                    BestSegmentCase{"any_long_segment_without_a_best", 0, 90000, true},
                    BestSegmentCase{"equal_to_the_best", 500, 500, false},
                    BestSegmentCase{"one_hundredth_faster", 500, 499, true},
                    BestSegmentCase{"slower", 500, 501, false},
                    BestSegmentCase{"faster_but_not_above_the_minimum", 500, 100, false}),
    [](const testing::TestParamInfo<BestSegmentCase>& info) { return std::string(info.param.name); });

TEST_F(ComparisonTest, rows_not_passed_skipped_rows_and_the_row_after_a_skip_set_no_best) {
    SetRun({0, 1500, 2000}); // row 0 skipped
    data.currentSplit = 2;
    EXPECT_FALSE(data.IsNewBestSegment(0));
    EXPECT_FALSE(data.IsNewBestSegment(1));
    EXPECT_FALSE(data.IsNewBestSegment(2)); // not passed, although 500 would beat 900
}

TEST_F(ComparisonTest, saving_best_splits_walks_the_rows_and_keeps_later_best_segments) {
    SetColumnTimes(data, 0, {1000, 2000, 3000, 4000});
    // Segments 900 (new), 1100 (slower), 500 (new); row 3 not reached.
    SetRun({900, 2000, 2500});
    data.SaveBestSplits();
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{900, 1900, 2400, 3400}));
    // Saving again finds nothing new.
    data.SaveBestSplits();
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{900, 1900, 2400, 3400}));
}

TEST_F(ComparisonTest, a_row_without_a_best_segment_takes_the_runs_segment) {
    SetColumnTimes(data, 0, {1000, 1000, 2000, 3000}); // row 1 has no best segment
    SetRun({1000, 1500});
    data.SaveBestSplits();
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{1000, 1500, 2500, 3500}));
}

TEST_F(ComparisonTest, the_last_split_saves_best_segments_when_asked) {
    data.autoSaveBestSplits = true;
    SetColumnTimes(data, 0, {1000, 2000, 3000, 4000});
    data.StartRun();
    for (int32_t segment : {900, 1000, 1200, 700}) {
        clock.Advance(segment);
        data.MakeSplit("", {});
    }
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{900, 1900, 2900, 3600}));
}

TEST_F(ComparisonTest, a_reset_saves_the_best_segments_of_the_rows_passed_so_far) {
    data.autoSaveBestSplits = true;
    SetColumnTimes(data, 0, {1000, 2000, 3000, 4000});
    data.StartRun();
    clock.Advance(800);
    data.MakeSplit("", {});
    clock.Advance(100); // the row in progress is not judged
    data.ResetRun();
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{800, 1800, 2800, 3800}));
}

// --- Best run -----------------------------------------------------------------------------------

struct BestRunCase {
    const char* name;
    int32_t stored; // final comparison time; 0 = none
    int32_t final;  // final time of the run
    bool isNewBest;
};

class BestRun : public testing::TestWithParam<BestRunCase> {};

TEST_P(BestRun, a_finished_run_is_a_new_best_when_faster_than_the_comparison_or_it_has_none) {
    const BestRunCase& c = GetParam();
    testsupport::TestClock clock;
    FileDataClass data;
    BuildTable(data, 2, {"PB"});
    SetColumnTimes(data, 1, {500, c.stored});
    data.StartRun();
    clock.Advance(400);
    data.MakeSplit("", {});
    EXPECT_FALSE(data.IsNewBestRun()); // only in the done state
    clock.Advance(c.final - 400);
    data.MakeSplit("", {});
    ASSERT_TRUE(data.IsRunComplete());
    EXPECT_EQ(data.IsNewBestRun(), c.isNewBest);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, BestRun,
                         testing::Values(BestRunCase{"equal_time_is_not_a_new_best", 3000, 3000, false},
                                         BestRunCase{"one_hundredth_faster", 3000, 2999, true},
                                         BestRunCase{"slower", 3000, 3001, false},
                                         BestRunCase{"no_comparison_time", 0, 9000, true}),
                         [](const testing::TestParamInfo<BestRunCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(ComparisonTest, an_auto_saved_best_run_is_copied_with_its_notes_and_stays_a_new_best) {
    data.autoSaveBestRun = true;
    data.SetCellNotes(1, 1, "old note");
    data.StartRun();
    clock.Advance(900);
    data.MakeSplit("first", {});
    clock.Advance(900);
    data.SkipSplit();
    clock.Advance(900);
    data.MakeSplit("", {});
    clock.Advance(900);
    data.MakeSplit("", {}); // 36.00 against 40.00
    EXPECT_EQ(ColumnTimes(data, 1), (std::vector<int32_t>{900, 0, 2700, 3600}));
    EXPECT_EQ(data.GetCellNotes(0, 1), "first");
    EXPECT_EQ(data.GetCellNotes(1, 1), ""); // an empty cell is copied as empty
    EXPECT_TRUE(data.newBestRun);
    EXPECT_TRUE(data.IsNewBestRun());
    // The best column is left alone by the best-run copy.
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{900, 1800, 2700, 3600}));
}

TEST_F(ComparisonTest, a_slower_run_is_not_copied_by_the_best_run_save) {
    data.autoSaveBestRun = true;
    data.StartRun();
    for (int i = 0; i < 4; ++i) {
        clock.Advance(1001);
        data.MakeSplit("", {});
    }
    EXPECT_EQ(ColumnTimes(data, 1), (std::vector<int32_t>{1000, 2000, 0, 4000}));
    EXPECT_FALSE(data.newBestRun);
    EXPECT_FALSE(data.IsNewBestRun());
}

TEST_F(ComparisonTest, saving_current_splits_is_refused_while_running_and_with_two_columns) {
    data.StartRun();
    clock.Advance(500);
    data.MakeSplit("", {});
    data.SaveCurrentSplits();
    EXPECT_EQ(data.GetCellTime(0, 1), 1000);
    data.PauseRun();
    data.SaveCurrentSplits();
    EXPECT_EQ(ColumnTimes(data, 1), (std::vector<int32_t>{500, 0, 0, 0}));

    FileDataClass two;
    BuildTable(two, 1);
    SetColumnTimes(two, 0, {700});
    SetColumnTimes(two, 1, {600});
    two.SaveCurrentSplits();
    EXPECT_EQ(two.GetCellTime(0, 0), 700);
}

} // namespace
