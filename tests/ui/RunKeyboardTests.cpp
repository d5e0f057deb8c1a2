// A whole run from the keyboard, checked on screen and on disk.

#include "support/RunWindowFixture.h"

#include <algorithm>

namespace {

const std::vector<SplitRowSpec> kRace = {SplitRowSpec("One", {"10.00", "11.00"}),
                                         SplitRowSpec("Two", {"20.00", "32.00"}),
                                         SplitRowSpec("Three", {"30.00", "1:05.00"})};

} // namespace

class RunFromKeyboard : public RunWindowTest {};

TEST_F(RunFromKeyboard, a_new_best_run_is_shown_as_it_goes_and_written_to_the_split_file_state_and_log) {
    StartExample({{"Misc/AutoSaveSplitState", "Y"}});
    WriteTextFile("race.txt", {"5\t0.00\t", "Race\tBest Splits\tPB", "One\t10.00\t11.00", "\t\t",
                               "Two\t20.00\t32.00", "\t\t", "Three\t30.00\t1:05.00", "\t\t"});
    OpenWithKeys(Dir + "race.txt");
    ASSERT_TRUE(Form->SplitData->HasFile());
    EXPECT_EQ(StatusText(), "Ready");
    EXPECT_EQ(TimeText(0, 2), "0.00");
    EXPECT_EQ(DiffText(0, 2), "");
    EXPECT_EQ(DiffText(0, 1), "") << "rows not yet reached show no difference";
    EXPECT_EQ(TimeText(2, 1), "1:05.00");

    Press("Space"); // starts the run and counts an attempt
    EXPECT_EQ(Form->SessionAttemptsLabel->Caption(), "S: 1");
    EXPECT_EQ(Form->TotalAttemptsLabel->Caption(), "T: 6");
    Advance(10.5);
    Tick();
    EXPECT_EQ(TimerText(), "10.50");
    EXPECT_EQ(TimerColor(), White);
    EXPECT_EQ(StatusText(), "-0.50");
    EXPECT_EQ(StatusColor(), AheadSmall);
    EXPECT_EQ(TimeText(0, 2), "10.50");
    EXPECT_EQ(DiffText(0, 2), "-0.50");

    Press("Space");
    EXPECT_EQ(TimeText(0, 2), "10.50");
    EXPECT_EQ(TimeColor(0, 2), AheadSmall);
    EXPECT_EQ(DiffText(0, 0), "+0.50");
    EXPECT_EQ(DiffColor(0, 0), BehindSmall);
    EXPECT_EQ(RowHeaderColor(1), CurrentRow);
    EXPECT_EQ(TimeColor(1, 1), CurrentRow);

    Advance(19.5); // a segment of 19.50 against a best of 20.00
    Press("Space");
    EXPECT_EQ(TimeColor(1, 1), NewBestSplit);
    Press("D");
    Press("D");
    Press("C");
    EXPECT_EQ(CounterCaption(0), "(2 / 2) Deaths");
    Advance(33.99);
    Tick();
    EXPECT_EQ(TimerText(), "1:03.99");
    EXPECT_EQ(StatusText(), "+0.99") << "a segment of 33.99 against the PB's 33.00";
    EXPECT_EQ(StatusColor(), BehindSmall);
    Advance(0.01);
    Press("Space");
    EXPECT_EQ(StatusText(), "New Best!");
    EXPECT_EQ(CounterCaption(0), "(0 / 2) Deaths");
    Advance(5);
    Tick();
    EXPECT_EQ(TimerText(), "1:04.00") << "the finished run stops";

    // The run became the PB, its best segment went into the best column with the later best
    // times shifted, and the counters' note went with the run into the PB cell.
    EXPECT_EQ(ReadFile("race.txt"), "6\t0.00\t\r\n"
                                    "Race\tBest Splits\tPB\r\n"
                                    "One\t10.00\t10.50\r\n"
                                    "\t\t\r\n"
                                    "Two\t19.50\t30.00\r\n"
                                    "\t\t\r\n"
                                    "Three\t30.00\t1:04.00\r\n"
                                    "\t\t(2) Deaths|r(1) Coins|r-----TOTALS:|r(2) Deaths|r(1) Coins|r\r\n");
    // The state as of the last tick while running.
    EXPECT_EQ(ReadFile("race-SplitState.txt"), "LPWSplitState\trace.txt\r\n1:03.99\t2\r\n10.50\r\n30.00\r\n");
    EXPECT_EQ(ReadFile("race-RunLog.txt"),
              "LPWSplitLog\trace.txt\r\n2023/11/14 22:14\tC\t10.50\t30.00\t1:04.00\r\n");
}

// The final split pressed too early, then undone: the run goes on, and what that split stored
// (the best run, a best segment, the log line) goes with it. The real finish, slower, stores
// nothing of the sort.
TEST_F(RunFromKeyboard, undo_after_the_last_split_continues_the_run_and_takes_back_what_it_stored) {
    StartExample();
    OpenWithKeys(WriteSplitFile("race.txt", "Race", {"PB"}, kRace));
    Press("Space");
    const std::string started = ReadFile("race.txt");
    Advance(30);
    Press("Space");
    Advance(30);
    Press("Space");
    Advance(2);
    Press("Space"); // 1:02.00, faster than the PB's 1:05.00
    ASSERT_TRUE(Form->SplitData->IsRunComplete());
    EXPECT_EQ(StatusText(), "New Best!");
    ASSERT_NE(ReadFile("race.txt"), started);
    Advance(5);
    Press("BkSp");
    EXPECT_TRUE(Form->SplitData->IsTimerRunning());
    EXPECT_EQ(Form->SplitData->GetCurrentSplit(), 2u);
    EXPECT_EQ(Form->SplitData->GetElapsed(), 6700) << "the pause after the split counts";
    EXPECT_EQ(TimeText(1, 2), "1:00.00");
    EXPECT_EQ(ReadFile("race.txt"), started);
    // The log line is taken back where it stands: its bytes become NULs, a line the log's reader
    // skips, and the log is not cut.
    const std::string header = "LPWSplitLog\trace.txt\r\n";
    const std::string undone = ReadFile("race-RunLog.txt");
    ASSERT_TRUE(undone.starts_with(header) && undone.ends_with("\r\n")) << undone;
    EXPECT_EQ(undone.substr(header.size()), std::string(undone.size() - header.size() - 2, '\0') + "\r\n");
    Tick();
    EXPECT_EQ(TimeText(2, 2), "7.00") << "the split in progress runs from its start";
    EXPECT_EQ(StatusText(), "-26.00") << "against the PB's 1:05.00, 28.00 behind after Two";
    Advance(30);
    Press("Space");
    EXPECT_EQ(StatusText(), "Done!");
    EXPECT_EQ(ReadFile("race.txt"), started);
    const std::string log = ReadFile("race-RunLog.txt");
    EXPECT_EQ(log, undone + "2023/11/14 22:14\tC\t30.00\t1:00.00\t1:37.00\r\n");
    Form->SplitData->LoadRunLog();
    EXPECT_EQ(Form->SplitData->history.totalRuns, 1);
}
