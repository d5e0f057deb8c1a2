// The user counters of examples/Lapwren.ini (D counts Deaths, C counts Coins, F2 pops the panel
// up, F3 clears the split counts) through a run.

#include "support/RunWindowFixture.h"

#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"

class Counters : public RunWindowTest {
protected:
    void StartRace(const std::string& offset = "0.00") {
        StartExample();
        OpenRace(offset);
    }
    void OpenRace(const std::string& offset = "0.00") {
        WriteTextFile("race.txt", {"0\t" + offset + "\t", "Race\tBest Splits\tPB", "A\t10.00\t10.00", "\t\t",
                                   "B\t10.00\t20.00", "\t\t", "C\t10.00\t30.00", "\t\t"});
        OpenWithKeys(Dir + "race.txt");
        ASSERT_TRUE(Form->SplitData->HasFile());
    }
    // Splits after the guard has opened again.
    void Split() {
        Advance(1);
        Press("Space");
    }
    // The notes of the current-run cell as stored (a line break held as "|r").
    std::string Notes(size_t row) const { return Form->SplitData->rows[row]->cells[2]->notes; }
};

TEST_F(Counters, count_only_in_a_started_run_and_show_split_and_run_counts_in_their_captions) {
    StartRace();
    Press("D");
    EXPECT_EQ(CounterCaption(0), "Deaths") << "nothing counts before the run starts";
    Press("Space");
    Press("D");
    EXPECT_EQ(CounterCaption(0), "(1 / 1) Deaths");
    EXPECT_EQ(CounterCaption(1), "Coins");
    Split();
    EXPECT_EQ(CounterCaption(0), "(0 / 1) Deaths");
    Press("D");
    Press("F3");
    EXPECT_EQ(CounterCaption(0), "(0 / 2) Deaths") << "clearing keeps the run total";
    Advance(1);
    Press("P");
    Press("C");
    EXPECT_EQ(CounterCaption(1), "(1 / 1) Coins") << "a paused run still counts";
}

TEST_F(Counters, a_split_notes_its_counts_and_the_last_split_adds_the_totals) {
    StartRace();
    Press("Space");
    Press("D");
    Press("D");
    Split();
    EXPECT_EQ(Notes(0), "(2) Deaths|r");
    EXPECT_TRUE(Form->SplitData->GetCellTimeLabel(0, 2)->Font().Style() & fsUnderline);
    Split();
    EXPECT_EQ(Notes(1), "");
    EXPECT_FALSE(Form->SplitData->GetCellTimeLabel(1, 2)->Font().Style() & fsUnderline);
    Press("C");
    Split();
    EXPECT_EQ(Notes(2), "(1) Coins|r-----TOTALS:|r(2) Deaths|r(1) Coins|r");
}

TEST_F(Counters, a_last_split_without_counts_gets_no_totals) {
    StartRace();
    Press("Space");
    Press("D");
    Split();
    Split();
    Split();
    EXPECT_EQ(Notes(2), "");
}

TEST_F(Counters, skip_and_undo_rebuild_the_totals_from_the_splits_still_passed) {
    StartRace();
    Press("Space");
    Press("D");
    Split();
    Press("D");
    Press("C");
    Advance(1);
    Press("S");
    EXPECT_EQ(CounterCaption(0), "(0 / 1) Deaths") << "counts of the skipped split are dropped";
    EXPECT_EQ(CounterCaption(1), "Coins");
    Press("C");
    Split();
    Press("D");
    Advance(1);
    Press("BkSp");
    EXPECT_EQ(CounterCaption(0), "(0 / 1) Deaths") << "the undone split and the count since are dropped";
    EXPECT_EQ(CounterCaption(1), "Coins");
    EXPECT_EQ(Form->SplitData->GetCurrentSplit(), 2u);
}

TEST_F(Counters, a_split_during_the_start_offset_records_nothing_but_clears_the_split_counts) {
    StartRace("-5.00");
    Press("Space");
    Press("D");
    Split();
    EXPECT_EQ(Form->SplitData->GetCurrentSplit(), 0u);
    EXPECT_EQ(CounterCaption(0), "(0 / 1) Deaths");
}

TEST_F(Counters, the_panel_toggles_and_needs_a_split_file) {
    StartExample();
    Press("F2");
    EXPECT_FALSE(Form->CounterPanel->Visible()) << "no split file";
    OpenRace();
    Press("F2");
    EXPECT_TRUE(Form->CounterPanel->Visible());
    Press("F2");
    EXPECT_FALSE(Form->CounterPanel->Visible());
    Press("F2");
    Press("Space");
    EXPECT_FALSE(Form->CounterPanel->Visible()) << "any command hides it";
}

class CounterPanelArrangement : public Counters, public ::testing::WithParamInterface<bool> {};

TEST_P(CounterPanelArrangement, lists_the_counters_one_per_line_or_side_by_side) {
    const bool horizontal = GetParam();
    StartExample({{"Window/HorizontalMode", horizontal ? "Y" : "N"}});
    WriteTextFile("race.txt", {"0\t0.00\t", "Race\tBest Splits", "A\t10.00", "\t"});
    OpenWithKeys(Dir + "race.txt");
    Press("Space");
    Press("C");
    Press("F2");
    const TPanel* panel = Form->CounterPanel;
    ASSERT_TRUE(panel->Visible());
    const CounterMenuItemClass* deaths = TMainForm::CounterOf(Form->CountersMenu->Items(0));
    const CounterMenuItemClass* coins = TMainForm::CounterOf(Form->CountersMenu->Items(1));
    EXPECT_EQ(coins->dataLabel->Caption(), "1 / 1");
    EXPECT_EQ(panel->Left() + panel->Width(), Form->ClientWidth() - 10);
    EXPECT_EQ(panel->Top() + panel->Height(), Form->ClientHeight() - 10);
    if (horizontal) {
        EXPECT_EQ(panel->Left(), Form->TimerLabel->Width() + 20);
        EXPECT_EQ(deaths->headerLabel->Left(), 10);
        EXPECT_EQ(coins->headerLabel->Top(), deaths->headerLabel->Top());
        EXPECT_GT(coins->headerLabel->Left(), deaths->headerLabel->Left() + deaths->headerLabel->Width());
        EXPECT_GT(deaths->dataLabel->Top(), deaths->headerLabel->Top());
    } else {
        EXPECT_EQ(panel->Top(), Form->TimerAreaHeight + 10);
        EXPECT_EQ(deaths->dataLabel->Left(), 10);
        EXPECT_EQ(deaths->headerLabel->Top(), 10);
        EXPECT_EQ(coins->headerLabel->Left(), deaths->headerLabel->Left());
        EXPECT_GT(coins->headerLabel->Top(), deaths->headerLabel->Top() + deaths->headerLabel->Height());
        EXPECT_GT(deaths->headerLabel->Left(), deaths->dataLabel->Left() + deaths->dataLabel->Width());
    }
}

INSTANTIATE_TEST_SUITE_P(Counters, CounterPanelArrangement, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "horizontal" : "vertical");
                         });
