// Editing a split cell's time and notes in place: a double-click on the cell (or "Change
// Time/Notes" on either of its labels) opens the cell dialog over the time label; what the user
// leaves in it is stored, the split file is rewritten and the table shows the new times.

#include "core/FileDataClass.h"
#include "core/TimeText.h"
#include "platform/runtime/Clock.h"
#include "tests/ui/EditingFixture.h"

using editing::TypeOver;

using EditingCells = EditingTest;

TEST_F(EditingCells, ABestCellIsEditedAsItsSegmentAndMovesEveryLaterBestTime) {
    StartGame();
    const Shown shown = TypeTime(1, 0, "45.00");
    EXPECT_EQ(shown.count, 1);
    EXPECT_EQ(shown.caption, "Elapsed");
    EXPECT_EQ(shown.text, "40.00");
    // Placed over the cell's time label.
    TLabel* label = Form->SplitData->GetCellTimeLabel(1, 0);
    EXPECT_EQ(shown.left, LeftOver(label));
    EXPECT_EQ(shown.top, TopOver(label));

    EXPECT_EQ(ColumnTimes(0), (std::vector<int32_t>{3000, 7500, 12500, 14500}));
    // The other columns keep their times.
    EXPECT_EQ(ColumnTimes(1), (std::vector<int32_t>{3100, 7200, 12300, 14500}));
    std::string expected = GameBytes();
    expected.replace(expected.find("Cave\t40.00"), 10, "Cave\t45.00");
    EXPECT_EQ(ReadFile("game.txt"), expected);
    // The best column shows cumulative times.
    EXPECT_EQ(Form->SplitData->GetCellTimeLabel(1, 0)->Caption(), "1:15.00");
    EXPECT_EQ(Form->SplitData->GetCellTimeLabel(3, 0)->Caption(), "2:25.00");
}

TEST_F(EditingCells, AComparisonCellIsEditedAsItsSplitTimeAndChangesOnlyThatCell) {
    StartGame();
    const Shown shown = TypeTime(1, 1, "1:10.50");
    EXPECT_EQ(shown.caption, "Split Time");
    EXPECT_EQ(shown.text, "1:12.00");
    EXPECT_EQ(ColumnTimes(1), (std::vector<int32_t>{3100, 7050, 12300, 14500}));
    EXPECT_EQ(ColumnTimes(0), (std::vector<int32_t>{3000, 7000, 12000, 14000}));
    std::string expected = GameBytes();
    expected.replace(expected.find("1:12.00"), 7, "1:10.50");
    EXPECT_EQ(ReadFile("game.txt"), expected);
    EXPECT_EQ(Form->SplitData->GetCellTimeLabel(1, 1)->Caption(), "1:10.50");
}

TEST_F(EditingCells, AColumnShownElapsedIsEditedBySegmentAndShiftsTheRowsBelow) {
    StartGame();
    ClickItem(ColumnHeader(1), "Show Elapsed");
    const Shown shown = TypeTime(1, 1, "40.00");
    EXPECT_EQ(shown.caption, "Elapsed");
    EXPECT_EQ(shown.text, "41.00");
    EXPECT_EQ(ColumnTimes(1), (std::vector<int32_t>{3100, 7100, 12200, 14400}));
    EXPECT_EQ(GameLines()[6], "Castle\t50.00\t2:02.00\t2:10.00");
    // The column still shows segments.
    EXPECT_EQ(Form->SplitData->GetCellTimeLabel(2, 1)->Caption(), "51.00");
}

TEST_F(EditingCells, ClosingTheDialogUntouchedKeepsEveryTimeAndRewritesTheFile) {
    struct Case {
        const char* shows;
        size_t row;
        size_t column;
        bool elapsed;
    };
    const std::vector<Case> cases{
        {"a best cell", 1, 0, false},
        {"a comparison cell", 3, 1, false},
        {"an empty cell shown by segment", 1, 2, true},
        {"a cell shown by segment after an empty one", 2, 2, true},
        {"an empty best cell after a filled one", 2, 0, false},
        {"the current run before it starts", 0, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shows);
        Start();
        // Written by hand with LF ends and loose spellings: a rewrite is seen in the bytes.
        WriteFile("game.txt", "3\t0\t\nGame\tBest Splits\tPB\tLast\nForest\t30\t31\t32\n\t\t\t\n"
                              "Cave\t40\t1:12\t\n\t\t\t\nCastle\t-70\t2:03\t2:10\n\t\t\t\n"
                              "Tower\t90\t2:25\t2:31\n\t\t\t\n");
        LoadTable(Dir + "game.txt");
        if (c.elapsed)
            ClickItem(ColumnHeader(c.column), "Show Elapsed");
        std::vector<std::vector<int32_t>> before;
        for (size_t column = 0; column < 4; ++column)
            before.push_back(ColumnTimes(column));

        EXPECT_EQ(EditCell(c.row, c.column).count, 1);

        for (size_t column = 0; column < 4; ++column)
            EXPECT_EQ(ColumnTimes(column), before[column]) << "column " << column;
        EXPECT_EQ(ReadFile("game.txt"), "3\t0.00\t\r\nGame\tBest Splits\tPB\tLast\r\n"
                                        "Forest\t30.00\t31.00\t32.00\r\n\t\t\t\r\n"
                                        "Cave\t40.00\t1:12.00\t0.00\r\n\t\t\t\r\n"
                                        "Castle\t-1:10.00\t2:03.00\t2:10.00\r\n\t\t\t\r\n"
                                        "Tower\t1:30.00\t2:25.00\t2:31.00\r\n\t\t\t\r\n");
        CloseWindow();
        MainWindowTest::TearDown();
        MainWindowTest::SetUp();
    }
}

TEST_F(EditingCells, NotesKeepTabsAndLineBreaksAndComeBackPlain) {
    StartGame();
    const Shown first =
        EditCell(2, 1, [](TForm&) { TypeOver(SetDataForm->NotesMemo, "gate\tskip\nlate jump"); });
    EXPECT_EQ(first.notes, "");
    EXPECT_EQ(GameLines()[7], "\t\tgate|tskip|rlate jump\t");
    // The time is untouched by a notes edit.
    EXPECT_EQ(Form->SplitData->GetCellTime(2, 1), 12300);
    // A note underlines the time.
    EXPECT_TRUE(Form->SplitData->GetCellTimeLabel(2, 1)->Font().Style() & fsUnderline);

    const Shown second = EditCell(2, 1);
    EXPECT_EQ(second.notes, "gate\tskip\r\nlate jump");
    EXPECT_EQ(GameLines()[7], "\t\tgate|tskip|rlate jump\t");
}

TEST_F(EditingCells, InCountModeTheTimeIsShownAndReadAsAPlainCount) {
    WriteSettings({"[Layout]", "TimerTimeFormatMode=C"});
    StartGame();
    ASSERT_EQ(Form->TimerTimeFormatMode, 'C');
    const Shown best = TypeTime(1, 0, "4500");
    EXPECT_EQ(best.text, "4000");
    const Shown split = TypeTime(1, 1, "7050");
    EXPECT_EQ(split.text, "7200");
    EXPECT_EQ(ColumnTimes(0), (std::vector<int32_t>{3000, 7500, 12500, 14500}));
    EXPECT_EQ(Form->SplitData->GetCellTime(1, 1), 7050);
    // The file keeps its own time format.
    EXPECT_EQ(GameLines()[4], "Cave\t45.00\t1:10.50\t0.00");
}

TEST_F(EditingCells, ChangeTimeNotesOnEitherLabelEditsThatCellOverItsTimeLabel) {
    StartGame();
    for (bool fromDifference : {false, true}) {
        SCOPED_TRACE(fromDifference ? "difference label" : "time label");
        TLabel* element = fromDifference ? Form->SplitData->GetCellDiffLabel(3, 2)
                                         : Form->SplitData->GetCellTimeLabel(3, 2);
        const std::string time = fromDifference ? "2:29.00" : "2:30.00";
        Shown shown = Answer([&] { ClickItem(element, "Change Time/Notes"); },
                             [&](TForm&) { TypeOver(SetDataForm->TimeEdit, time); });
        TLabel* timeLabel = Form->SplitData->GetCellTimeLabel(3, 2);
        EXPECT_EQ(shown.text, fromDifference ? "2:30.00" : "2:31.00");
        EXPECT_EQ(shown.left, LeftOver(timeLabel));
        EXPECT_EQ(shown.top, TopOver(timeLabel));
        EXPECT_EQ(Form->SplitData->GetCellTime(3, 2), ParseTime(time, 'H'));
    }
}

TEST_F(EditingCells, InATableOfOverAHundredColumnsTheClickedCellIsEdited) {
    Start();
    LoadTable(WriteTableFile("wide.txt", 2, 120));
    ASSERT_EQ(Form->SplitData->GetColumnCount(), 120u);
    // Row 0, column 105 and row 1, column 5 would share the tag 105 in steps of 100.
    const int32_t before = Form->SplitData->GetCellTime(1, 5);
    const Shown shown = TypeTime(0, 105, "9.99");
    EXPECT_EQ(shown.text, "40.50");
    EXPECT_EQ(Form->SplitData->GetCellTime(0, 105), 999);
    EXPECT_EQ(Form->SplitData->GetCellTime(1, 5), before);
}

TEST_F(EditingCells, TheCurrentRunCanBeEditedDuringARun) {
    StartGame();
    Form->SplitData->StartRun();
    rt::AdvanceTestClocks(32'000'000);
    Form->SplitData->MakeSplit("", {});
    ASSERT_EQ(Form->SplitData->GetCurrentSplit(), 1u);
    const std::string fileBefore = ReadFile("game.txt");

    const Shown shown = TypeTime(0, 3, "29.50");
    EXPECT_EQ(shown.caption, "Split Time");
    EXPECT_EQ(shown.text, "32.00");
    EXPECT_EQ(Form->SplitData->GetCellTime(0, 3), 2950);
    EXPECT_TRUE(Form->SplitData->IsTimerRunning());
    EXPECT_EQ(Form->SplitData->GetCurrentSplit(), 1u);
    // The current run is not part of the split file, which is written again unchanged.
    EXPECT_EQ(ReadFile("game.txt"), fileBefore);
    EXPECT_EQ(Form->SplitData->GetCellTimeLabel(0, 3)->Caption(), "29.50");
}
