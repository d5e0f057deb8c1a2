// Run control on the test clock: the run states and every transition between them, splits,
// skips, undos and resets. Nothing here has a split file name, so nothing is written to disk.

#include "core/FileDataClass.h"
#include "core/support/SplitTableBuilder.h"

#include <gtest/gtest.h>

using testsupport::BuildTable;
using testsupport::ColumnTimes;
using testsupport::SetColumnTimes;

namespace {

enum class State { Ready, Running, Paused, Done };

const char* Name(State s) {
    switch (s) {
    case State::Ready:
        return "ready";
    case State::Running:
        return "running";
    case State::Paused:
        return "paused";
    case State::Done:
        return "done";
    }
    return "?";
}

// The state as the display derives it from the queries.
State StateOf(const FileDataClass& data) {
    if (data.IsTimerZero())
        return State::Ready;
    if (data.IsTimerRunning())
        return State::Running;
    if (data.IsRunComplete())
        return State::Done;
    return State::Paused;
}

class RunControlTest : public testing::Test {
protected:
    void SetUp() override {
        BuildTable(data, 3, {"PB"});
        SetColumnTimes(data, 0, {900, 1900, 2900});
        SetColumnTimes(data, 1, {1000, 2000, 3000});
    }
    size_t Last() const { return data.GetColumnCount() - 1; }
    void Split(int32_t after) {
        clock.Advance(after);
        data.MakeSplit("", {});
    }

    testsupport::TestClock clock;
    FileDataClass data;
};

#define EXPECT_STATE(expected) EXPECT_STREQ(Name(StateOf(data)), Name(expected))

// --- States and transitions ---------------------------------------------------------------------

TEST_F(RunControlTest, a_run_walks_ready_running_paused_running_done_running_done_ready) {
    EXPECT_STATE(State::Ready);

    data.StartRun();
    EXPECT_STATE(State::Running);
    EXPECT_EQ(data.totalAttempts, 1);
    EXPECT_EQ(data.sessionAttempts, 1);

    clock.Advance(500);
    data.PauseRun();
    EXPECT_STATE(State::Paused);
    EXPECT_EQ(data.GetElapsed(), 500);
    clock.Advance(10000); // paused time does not count
    EXPECT_EQ(data.GetElapsed(), 500);

    data.ResumeRun();
    EXPECT_STATE(State::Running);
    Split(500);  // 1000
    Split(1000); // 2000
    Split(800);  // 2800: the last row
    EXPECT_STATE(State::Done);
    EXPECT_EQ(data.GetCurrentSplit(), 3u);
    EXPECT_EQ(ColumnTimes(data, Last()), (std::vector<int32_t>{1000, 2000, 2800}));
    EXPECT_TRUE(data.IsNewBestRun());

    // A finished run does not resume.
    data.ResumeRun();
    EXPECT_STATE(State::Done);

    clock.Advance(300);
    data.UndoSplit();
    EXPECT_STATE(State::Running);
    EXPECT_EQ(data.GetCurrentSplit(), 2u);
    // The time between the last split and the undo counts as run time.
    EXPECT_EQ(data.GetElapsed(), 3100);
    EXPECT_EQ(data.GetCellTime(2, Last()), 0);

    Split(100);
    EXPECT_STATE(State::Done);
    EXPECT_EQ(data.GetCellTime(2, Last()), 3200);
    EXPECT_FALSE(data.IsNewBestRun()); // 32.00 is slower than the stored 30.00

    data.ResetRun();
    EXPECT_STATE(State::Ready);
    EXPECT_EQ(data.GetCurrentSplit(), 0u);
}

TEST_F(RunControlTest, starting_counts_attempts_and_applies_the_start_offset) {
    data.startOffset = -300;
    data.totalAttempts = 41;
    data.StartRun();
    EXPECT_EQ(data.GetElapsed(), -300);
    EXPECT_EQ(data.totalAttempts, 42);
    EXPECT_EQ(data.sessionAttempts, 1);
    clock.Advance(450);
    EXPECT_EQ(data.GetElapsed(), 150);
}

TEST_F(RunControlTest, starting_a_running_timer_changes_nothing) {
    data.StartRun();
    clock.Advance(700);
    data.StartRun();
    EXPECT_EQ(data.GetElapsed(), 700);
    EXPECT_EQ(data.totalAttempts, 1);
}

TEST_F(RunControlTest, starting_from_paused_or_done_restarts_the_timer_but_keeps_the_run_column) {
    for (State from : {State::Paused, State::Done}) {
        data.ResetRun();
        data.StartRun();
        Split(1200);
        if (from == State::Paused) {
            data.PauseRun();
        } else {
            Split(100);
            Split(100);
        }
        ASSERT_STREQ(Name(StateOf(data)), Name(from));
        ASSERT_NE(data.pausedTimer, nullptr);
        data.newBestRun = true;
        int32_t attempts = data.totalAttempts;

        data.StartRun();

        EXPECT_STATE(State::Running) << Name(from);
        EXPECT_EQ(data.GetElapsed(), 0);
        EXPECT_EQ(data.GetCurrentSplit(), 0u);
        EXPECT_EQ(data.totalAttempts, attempts + 1);
        EXPECT_EQ(data.pausedTimer, nullptr);
        EXPECT_FALSE(data.newBestRun);
        EXPECT_EQ(data.GetCellTime(0, Last()), 1200);
    }
}

TEST_F(RunControlTest, pausing_keeps_a_running_copy_of_the_timer) {
    data.StartRun();
    clock.Advance(400);
    data.PauseRun();
    ASSERT_NE(data.pausedTimer, nullptr);
    EXPECT_TRUE(data.pausedTimer->IsRunning());
    clock.Advance(100);
    EXPECT_EQ(data.pausedTimer->Elapsed(), 500);
    EXPECT_EQ(data.GetElapsed(), 400);
}

TEST_F(RunControlTest, pause_and_resume_in_the_wrong_state_do_nothing) {
    data.PauseRun();
    EXPECT_STATE(State::Ready);
    EXPECT_EQ(data.pausedTimer, nullptr);

    data.StartRun();
    clock.Advance(200);
    data.ResumeRun(); // already running: the start stamp is not moved
    clock.Advance(100);
    EXPECT_EQ(data.GetElapsed(), 300);
}

TEST(RunControlPlainTimer, a_split_without_rows_pauses_and_a_resume_continues) {
    testsupport::TestClock clock;
    FileDataClass data;
    data.StartRun();
    clock.Advance(1000);
    data.MakeSplit("note", {1});
    EXPECT_FALSE(data.IsTimerRunning());
    EXPECT_FALSE(data.IsRunComplete()); // the done state never occurs without rows
    clock.Advance(5000);
    data.ResumeRun();
    clock.Advance(250);
    EXPECT_TRUE(data.IsTimerRunning());
    EXPECT_EQ(data.GetElapsed(), 1250);
    data.SkipSplit();
    data.UndoSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 0u);
    EXPECT_TRUE(data.IsTimerRunning());
}

// --- Splits -------------------------------------------------------------------------------------

TEST_F(RunControlTest, a_split_stores_time_pass_time_and_counts_in_the_row_in_progress) {
    data.StartRun();
    clock.Advance(1234);
    data.MakeSplit("", {2, 0, 1});
    EXPECT_EQ(data.GetCurrentSplit(), 1u);
    EXPECT_EQ(data.GetCellTime(0, Last()), 1234);
    EXPECT_EQ(data.GetRowPassTime(0), 1234);
    CounterCountList counts;
    data.GetRowCounterCounts(0, counts);
    EXPECT_EQ(counts, (CounterCountList{2, 0, 1}));
    // Comparison and best columns are untouched.
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{900, 1900, 2900}));
    EXPECT_EQ(ColumnTimes(data, 1), (std::vector<int32_t>{1000, 2000, 3000}));
}

TEST_F(RunControlTest, split_notes_go_on_a_line_after_notes_the_cell_already_had) {
    data.StartRun();
    data.SetCellNotes(0, Last(), "a");
    clock.Advance(100);
    data.MakeSplit("b", {});
    EXPECT_EQ(data.GetCellNotes(0, Last()), "a\r\nb");

    clock.Advance(100);
    data.MakeSplit("c", {});
    EXPECT_EQ(data.GetCellNotes(1, Last()), "c"); // no leading break on an empty cell

    // An undo clears the notes, so the next split starts from empty notes.
    data.UndoSplit();
    EXPECT_EQ(data.GetCellNotes(1, Last()), "");
    data.MakeSplit("d", {});
    EXPECT_EQ(data.GetCellNotes(1, Last()), "d");
}

TEST_F(RunControlTest, during_a_start_offset_split_skip_and_undo_do_nothing) {
    data.startOffset = -500;
    data.StartRun();
    clock.Advance(200);
    data.MakeSplit("x", {1});
    data.SkipSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 0u);
    EXPECT_EQ(data.GetCellTime(0, Last()), 0);
    EXPECT_EQ(data.GetRowPassTime(0), 0);
    EXPECT_EQ(data.GetCellNotes(0, Last()), "");

    // At exactly 0 the run may be split.
    clock.Advance(300);
    EXPECT_EQ(data.GetElapsed(), 0);
    data.SkipSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 1u);

    // An undo is refused as well while the elapsed time is below zero.
    data.currentSplit = 1;
    data.timer->Reset(-1);
    data.timer->Resume();
    data.UndoSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 1u);
}

TEST_F(RunControlTest, splits_are_refused_while_paused) {
    data.StartRun();
    clock.Advance(100);
    data.PauseRun();
    data.MakeSplit("x", {});
    data.SkipSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 0u);
    EXPECT_EQ(data.GetCellTime(0, Last()), 0);
}

TEST_F(RunControlTest, a_skipped_row_gets_a_pass_time_but_no_time_and_the_last_row_cannot_be_skipped) {
    data.StartRun();
    clock.Advance(600);
    data.SkipSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 1u);
    EXPECT_EQ(data.GetRowPassTime(0), 600);
    EXPECT_EQ(data.GetCellTime(0, Last()), 0);
    clock.Advance(600);
    data.SkipSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 2u);
    clock.Advance(600);
    data.SkipSplit(); // the last row
    EXPECT_EQ(data.GetCurrentSplit(), 2u);
    EXPECT_EQ(data.GetRowPassTime(2), 0);
    EXPECT_TRUE(data.IsTimerRunning());
}

TEST_F(RunControlTest, the_last_split_pauses_the_timer_with_a_running_copy_for_undo) {
    data.StartRun();
    Split(1000);
    Split(1000);
    Split(1000);
    EXPECT_FALSE(data.IsTimerRunning());
    EXPECT_EQ(data.GetElapsed(), 3000);
    ASSERT_NE(data.pausedTimer, nullptr);
    EXPECT_TRUE(data.pausedTimer->IsRunning());
    // Further splits are refused: the run is done.
    Split(100);
    EXPECT_EQ(data.GetCurrentSplit(), 3u);
}

// --- Undo ---------------------------------------------------------------------------------------

TEST_F(RunControlTest, undo_clears_the_last_passed_row) {
    data.StartRun();
    clock.Advance(500);
    data.MakeSplit("n", {4});
    clock.Advance(500);
    data.UndoSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 0u);
    EXPECT_EQ(data.GetCellTime(0, Last()), 0);
    EXPECT_EQ(data.GetRowPassTime(0), 0);
    EXPECT_EQ(data.GetCellNotes(0, Last()), "");
    CounterCountList counts = {7};
    data.GetRowCounterCounts(0, counts);
    EXPECT_TRUE(counts.empty());
    EXPECT_TRUE(data.IsTimerRunning());
    EXPECT_EQ(data.GetElapsed(), 1000);
}

TEST_F(RunControlTest, undo_of_a_skip_takes_the_pass_time_back) {
    data.StartRun();
    clock.Advance(500);
    data.SkipSplit();
    data.UndoSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 0u);
    EXPECT_EQ(data.GetRowPassTime(0), 0);
}

TEST_F(RunControlTest, undo_while_paused_in_the_middle_of_a_run_does_nothing) {
    data.StartRun();
    Split(500);
    data.PauseRun();
    data.UndoSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 1u);
    EXPECT_EQ(data.GetCellTime(0, Last()), 500);
    EXPECT_FALSE(data.IsTimerRunning());
}

TEST_F(RunControlTest, undo_with_no_row_passed_does_nothing) {
    data.StartRun();
    clock.Advance(500);
    data.UndoSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 0u);
    EXPECT_TRUE(data.IsTimerRunning());
}

TEST_F(RunControlTest, undo_right_after_the_last_split_continues_the_run) {
    data.StartRun();
    Split(1000);
    Split(1000);
    data.MakeSplit("last", {3});
    clock.Advance(1000);
    data.MakeSplit("done", {5});
    clock.Advance(700);
    data.UndoSplit();
    EXPECT_TRUE(data.IsTimerRunning());
    EXPECT_EQ(data.pausedTimer, nullptr);
    EXPECT_EQ(data.GetCurrentSplit(), 2u);
    EXPECT_EQ(data.GetElapsed(), 3700);
    EXPECT_EQ(data.GetCellTime(2, Last()), 0);
    EXPECT_EQ(data.GetCellNotes(2, Last()), "");
    CounterCountList counts = {1};
    data.GetRowCounterCounts(2, counts);
    EXPECT_TRUE(counts.empty());
    // A second undo goes on backwards through the running run.
    data.UndoSplit();
    EXPECT_EQ(data.GetCurrentSplit(), 1u);
}

TEST_F(RunControlTest, a_second_finish_replaces_the_copy_that_undo_continues_from) {
    data.StartRun();
    Split(1000);
    Split(1000);
    Split(1000);
    data.UndoSplit();
    Split(500);
    ASSERT_EQ(StateOf(data), State::Done);
    // The copy was replaced by the second finish; undo continues from that finish.
    clock.Advance(100);
    data.UndoSplit();
    EXPECT_EQ(data.GetElapsed(), 3600);
}

// --- Reset --------------------------------------------------------------------------------------

TEST_F(RunControlTest, reset_clears_the_run_from_any_state) {
    for (State from : {State::Ready, State::Running, State::Paused, State::Done}) {
        data.ResetRun();
        if (from != State::Ready) {
            data.StartRun();
            clock.Advance(100);
            data.MakeSplit("n", {1});
        }
        if (from == State::Paused)
            data.PauseRun();
        if (from == State::Done) {
            Split(100);
            Split(100);
        }
        ASSERT_STREQ(Name(StateOf(data)), Name(from));
        data.newBestRun = true;

        data.ResetRun();

        EXPECT_STATE(State::Ready) << Name(from);
        EXPECT_EQ(data.GetElapsed(), 0);
        EXPECT_EQ(data.GetCurrentSplit(), 0u);
        EXPECT_FALSE(data.newBestRun);
        EXPECT_EQ(data.pausedTimer, nullptr);
        for (size_t r = 0; r < data.GetRowCount(); ++r) {
            EXPECT_EQ(data.GetCellTime(r, Last()), 0);
            EXPECT_EQ(data.GetCellNotes(r, Last()), "");
            EXPECT_EQ(data.GetRowPassTime(r), 0);
            CounterCountList counts = {9};
            data.GetRowCounterCounts(r, counts);
            EXPECT_TRUE(counts.empty());
        }
        // The stored columns are untouched.
        EXPECT_EQ(ColumnTimes(data, 1), (std::vector<int32_t>{1000, 2000, 3000}));
    }
}

TEST_F(RunControlTest, reset_keeps_the_attempt_counts) {
    data.StartRun();
    data.ResetRun();
    data.StartRun();
    data.ResetRun();
    EXPECT_EQ(data.totalAttempts, 2);
    EXPECT_EQ(data.sessionAttempts, 2);
}

} // namespace
