// What the timer, the status line and the table show in the states and corners of a run.

#include "support/RunWindowFixture.h"

class RunDisplay : public RunWindowTest {
protected:
    // Best segments 10, 10, (none), 10; a PB without a time for B.
    void StartTable(const Overrides& overrides = {}, const std::string& offset = "0.00") {
        StartExample(overrides);
        WriteTextFile("race.txt",
                      {"0\t" + offset + "\t", "Race\tBest Splits\tPB", "A\t10.00\t10.00", "\t\t",
                       "B\t10.00\t0.00", "\t\t", "C\t0.00\t30.00", "\t\t", "D\t10.00\t40.00", "\t\t"});
        OpenWithKeys(Dir + "race.txt");
        ASSERT_TRUE(Form->SplitData->HasFile());
    }
    // A split at 9.00, B skipped at 10.00, C split at 22.00.
    void RunToD() {
        Press("Space");
        Advance(9);
        Press("Space");
        Advance(1);
        Press("S");
        Advance(12);
        Press("Space");
    }
};

TEST_F(RunDisplay, dashes_mark_what_cannot_be_compared_and_rows_ahead_show_no_differences) {
    StartTable();
    EXPECT_EQ(TimeText(2, 0), "---") << "no best segment";
    RunToD();
    EXPECT_EQ(TimeText(0, 2), "9.00");
    EXPECT_EQ(DiffText(0, 2), "-1.00");
    EXPECT_EQ(TimeText(1, 2), "---") << "skipped";
    EXPECT_EQ(DiffText(1, 2), "");
    EXPECT_EQ(DiffText(1, 1), "---");
    EXPECT_EQ(TimeText(2, 2), "22.00");
    EXPECT_EQ(DiffText(2, 2), "---") << "the split before it has no time";
    EXPECT_EQ(TimeText(3, 1), "40.00");
    EXPECT_EQ(DiffText(3, 1), "");
    EXPECT_EQ(DiffText(3, 0), "");
    Advance(10);
    Tick();
    EXPECT_EQ(StatusText(), "0.00") << "10.00 into D, 8.00 ahead after C: even with the PB's 40.00";
}

TEST_F(RunDisplay, hidden_difference_rows_show_the_differences_of_passed_rows_in_place_of_their_times) {
    StartTable({{"Window/HideDiffRows", "Y"}});
    RunToD();
    EXPECT_EQ(TimeText(0, 2), "-1.00");
    EXPECT_EQ(TimeColor(0, 2), AheadSmall);
    EXPECT_EQ(TimeText(3, 1), "40.00");
}

TEST_F(RunDisplay, hidden_current_splits_move_the_run_into_the_comparison_column) {
    StartTable({{"Window/HideCurrentSplits", "Y"}});
    RunToD();
    EXPECT_EQ(TimeText(0, 1), "9.00");
    EXPECT_EQ(TimeColor(0, 1), NewBestSplit) << "a new best segment keeps its own colour";
    EXPECT_EQ(TimeText(1, 1), "---");
    EXPECT_EQ(DiffText(1, 1), "");
    Advance(3);
    Tick();
    EXPECT_EQ(TimeText(3, 1), "3.00") << "the tick runs the split in the visible column";
}

TEST_F(RunDisplay, the_timer_colour_follows_the_start_offset_and_the_live_difference) {
    StartTable({}, "-2.00");
    Press("Space");
    Tick();
    EXPECT_EQ(TimerText(), "-2.00");
    EXPECT_EQ(TimerColor(), TColor{0x808080});
    Advance(2 + 10.5);
    Tick();
    EXPECT_EQ(TimerColor(), BehindSmall);
    Advance(9.5);
    Tick();
    EXPECT_EQ(TimerText(), "20.00");
    EXPECT_EQ(TimerColor(), BehindLarge) << "10.00 behind the PB";
}

TEST_F(RunDisplay, with_two_columns_every_live_difference_is_a_dash) {
    StartExample();
    WriteTextFile("solo.txt", {"0\t0.00\t", "Solo\tBest Splits", "A\t10.00", "\t", "B\t10.00", "\t"});
    OpenWithKeys(Dir + "solo.txt");
    Press("Space");
    Advance(4);
    Tick();
    EXPECT_EQ(StatusText(), "---");
    EXPECT_EQ(TimeText(0, 1), "4.00");
    EXPECT_EQ(DiffText(0, 1), "---");
    Press("P");
    Tick();
    EXPECT_EQ(StatusText(), "Paused  ---");
    EXPECT_EQ(StatusColor(), White);
}

TEST_F(RunDisplay, a_cell_is_underlined_exactly_while_it_has_notes) {
    StartTable();
    Form->SplitData->SetCellNotes(3, 1, "fast line");
    Form->FillTable();
    EXPECT_TRUE(Form->SplitData->GetCellTimeLabel(3, 1)->Font().Style() & fsUnderline);
    Form->SplitData->SetCellNotes(3, 1, "");
    Form->FillTable();
    EXPECT_FALSE(Form->SplitData->GetCellTimeLabel(3, 1)->Font().Style() & fsUnderline);
}
