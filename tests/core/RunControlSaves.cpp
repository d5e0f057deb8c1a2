// What run control writes to disk: the split file after a start and after the best-run and
// best-splits saves, and the run log after a finished run or a reset before the end.

#include "core/FileDataClass.h"
#include "core/TextHelpers.h"
#include "core/support/SplitTableBuilder.h"

#include "platform/runtime/TextFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>

using testsupport::BuildTable;
using testsupport::ColumnTimes;
using testsupport::SetColumnTimes;

namespace {

class RunSaveTest : public testing::Test {
protected:
    void SetUp() override {
        BuildTable(data, 2, {"PB"});
        SetColumnTimes(data, 0, {1000, 2000});
        SetColumnTimes(data, 1, {1000, 2000});
        data.fileName = folder.File("game.txt");
    }
    std::string LogName() const { return folder.File("game-RunLog.txt"); }
    // The log's lines but those the log's reader skips as none: a taken-back run stays a line
    // of NULs.
    StringList LogLines() const {
        std::string text;
        rt::ReadTextFile(LogName(), text);
        StringList lines;
        SplitLines(text, lines);
        std::erase_if(lines, [](const std::string& line) { return line.starts_with('\0'); });
        return lines;
    }
    // The split file as a fresh table reads it back.
    std::unique_ptr<FileDataClass> Reload() const {
        auto loaded = std::make_unique<FileDataClass>();
        loaded->LoadSplitFile(data.fileName);
        return loaded;
    }
    void Finish(int32_t first, int32_t second) {
        data.StartRun();
        clock.Advance(first);
        data.MakeSplit("", {});
        clock.Advance(second - first);
        data.MakeSplit("", {});
    }

    testsupport::TempFolder folder;
    testsupport::TestClock clock;
    FileDataClass data;
};

// --- Split file ---------------------------------------------------------------------------------

TEST_F(RunSaveTest, a_start_saves_the_split_file_with_the_new_attempt_count) {
    const struct {
        int32_t before;
        int32_t after;
    } cases[] = {{9, 10}, {INT32_MAX, INT32_MAX}}; // the counts stop at their largest value
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        data.ResetRun();
        data.totalAttempts = data.sessionAttempts = c.before;
        data.StartRun();
        EXPECT_EQ(data.sessionAttempts, c.after);
        auto loaded = Reload();
        ASSERT_TRUE(loaded->HasFile());
        EXPECT_EQ(loaded->totalAttempts, c.after);
    }
}

TEST_F(RunSaveTest, splits_skips_undos_and_resets_write_nothing_without_the_auto_saves) {
    data.StartRun();
    data.totalAttempts = 77; // changed in memory only; a save would store it
    clock.Advance(500);
    data.MakeSplit("", {});
    data.UndoSplit();
    data.MakeSplit("", {});
    clock.Advance(500);
    data.MakeSplit("", {});
    data.ResetRun();
    EXPECT_EQ(Reload()->totalAttempts, 1);
    EXPECT_FALSE(rt::FileExists(LogName()));
}

TEST_F(RunSaveTest, a_new_best_run_is_written_into_the_split_file) {
    data.autoSaveBestRun = true;
    Finish(900, 1900);
    auto loaded = Reload();
    EXPECT_EQ(ColumnTimes(*loaded, 1), (std::vector<int32_t>{900, 1900}));
    EXPECT_TRUE(data.IsNewBestRun());
}

TEST_F(RunSaveTest, new_best_splits_are_written_into_the_split_file) {
    data.autoSaveBestSplits = true;
    Finish(900, 2100); // segments 900 (new) and 1200 (not)
    auto loaded = Reload();
    EXPECT_EQ(ColumnTimes(*loaded, 0), (std::vector<int32_t>{900, 1900}));
    EXPECT_EQ(ColumnTimes(*loaded, 1), (std::vector<int32_t>{1000, 2000}));
}

TEST_F(RunSaveTest, saving_best_splits_writes_the_file_also_when_nothing_changed) {
    data.SaveBestSplits();
    EXPECT_TRUE(rt::FileExists(data.fileName));
}

TEST_F(RunSaveTest, saving_current_splits_writes_the_run_into_the_file) {
    Finish(1500, 2500);
    data.SaveCurrentSplits();
    EXPECT_EQ(ColumnTimes(*Reload(), 1), (std::vector<int32_t>{1500, 2500}));
}

// --- Run log ------------------------------------------------------------------------------------

TEST_F(RunSaveTest, a_finished_run_is_logged_once_as_complete) {
    data.autoLogRuns = true;
    Finish(1000, 2540);
    StringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "LPWSplitLog\tgame.txt");
    EXPECT_EQ(lines[1], "2024/03/09 18:05\tC\t10.00\t25.40");

    // The reset after it does not log the run a second time.
    data.ResetRun();
    EXPECT_EQ(LogLines().size(), 2u);
}

TEST_F(RunSaveTest, a_run_reset_before_its_end_is_logged_with_its_passed_rows_and_elapsed_time) {
    data.autoLogRuns = true;
    data.StartRun();
    clock.Advance(1000);
    data.SkipSplit();
    clock.Advance(234);
    data.ResetRun();
    StringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "2024/03/09 18:05\tR\t0.00\t12.34");
}

TEST_F(RunSaveTest, a_reset_before_the_first_split_logs_only_the_elapsed_time) {
    data.autoLogRuns = true;
    data.StartRun();
    clock.Advance(5820);
    data.PauseRun();
    data.ResetRun();
    StringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "2024/03/09 18:05\tR\t58.20");
}

TEST_F(RunSaveTest, a_run_that_never_got_past_zero_is_not_logged) {
    data.autoLogRuns = true;
    data.ResetRun(); // never started
    data.startOffset = -500;
    data.StartRun();
    clock.Advance(200);
    data.ResetRun(); // still counting down
    data.startOffset = 0;
    data.StartRun();
    data.ResetRun(); // at exactly zero
    EXPECT_FALSE(rt::FileExists(LogName()));
}

TEST_F(RunSaveTest, a_finished_run_with_every_auto_save_on_updates_the_file_and_the_log) {
    data.autoLogRuns = data.autoSaveBestRun = data.autoSaveBestSplits = true;
    Finish(800, 1700);
    StringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "2024/03/09 18:05\tC\t8.00\t17.00");
    auto loaded = Reload();
    EXPECT_EQ(ColumnTimes(*loaded, 0), (std::vector<int32_t>{800, 1700}));
    EXPECT_EQ(ColumnTimes(*loaded, 1), (std::vector<int32_t>{800, 1700}));
}

// A final split pressed too early, then undone: the run goes on, and the finish it did not make
// leaves nothing behind. The real finish then stores what it earns.
TEST_F(RunSaveTest, undoing_the_finish_takes_back_the_best_run_the_best_segments_and_the_log_line) {
    data.autoLogRuns = data.autoSaveBestRun = data.autoSaveBestSplits = true;
    const auto fileText = [&] {
        std::string text;
        rt::ReadTextFile(data.fileName, text);
        return text;
    };
    data.StartRun();
    const std::string started = fileText();
    clock.Advance(900);
    data.MakeSplit("", {});
    clock.Advance(300);
    data.MakeSplit("", {}); // 12.00: faster than the stored 20.00, a best segment of 3.00
    ASSERT_TRUE(data.IsNewBestRun());
    ASSERT_EQ(LogLines().size(), 2u);

    clock.Advance(100);
    data.UndoSplit();
    EXPECT_TRUE(data.IsTimerRunning());
    EXPECT_FALSE(data.newBestRun);
    EXPECT_EQ(fileText(), started);
    EXPECT_EQ(LogLines(), StringList{"LPWSplitLog\tgame.txt"}) << "the header stays";

    clock.Advance(1200);
    data.MakeSplit("", {}); // 25.00: slower; only the first segment of 9.00 is a best
    EXPECT_FALSE(data.IsNewBestRun());
    auto loaded = Reload();
    EXPECT_EQ(ColumnTimes(*loaded, 0), (std::vector<int32_t>{900, 1900}));
    EXPECT_EQ(ColumnTimes(*loaded, 1), (std::vector<int32_t>{1000, 2000}));
    EXPECT_EQ(LogLines(), (StringList{"LPWSplitLog\tgame.txt", "2024/03/09 18:05\tC\t9.00\t25.00"}));

    // A line another program appended since the finish stays, and so does the one before it; a
    // best segment edited since keeps the edit, while the one the finish set goes back.
    rt::AppendTextFile(LogName(), "elsewhere\n");
    data.SetSegmentAndShift(1, 0, 500);
    data.UndoSplit();
    EXPECT_EQ(LogLines().size(), 3u);
    EXPECT_EQ(ColumnTimes(data, 0), (std::vector<int32_t>{1000, 1500}));
}

// The finish is undone after the runner changed the table: each time, note and best segment that
// still holds what the finish stored goes back, wherever the edits moved it; every change the
// runner made stays. The run of 10/20/30 (best segments 10 each) finishes too early at 9/18/21.
struct UndoneFinishCase {
    const char* name;
    std::function<void(FileDataClass&)> editSince;
    std::vector<int32_t> run; // the column titled "PB"
    std::vector<std::string> runNotes;
    std::vector<int32_t> best;
    std::vector<int32_t> current; // the run going on after the undo
};

class UndoneFinish : public RunSaveTest, public testing::WithParamInterface<UndoneFinishCase> {
protected:
    void SetUp() override {
        BuildTable(data, 3, {"PB"});
        SetColumnTimes(data, 0, {1000, 2000, 3000});
        SetColumnTimes(data, 1, {1000, 2000, 3000});
        data.fileName = folder.File("game.txt");
        data.autoLogRuns = data.autoSaveBestRun = data.autoSaveBestSplits = true;
    }
    static size_t RunColumn(const FileDataClass& table) {
        for (size_t c = 0; c < table.GetColumnCount(); ++c)
            if (table.GetColumnTitle(c) == "PB")
                return c;
        return table.GetColumnCount();
    }
};

TEST_P(UndoneFinish, the_undo_puts_back_what_still_holds_the_finish_and_keeps_what_changed_since) {
    const UndoneFinishCase& c = GetParam();
    data.StartRun();
    for (int32_t segment : {900, 900, 300}) {
        clock.Advance(segment);
        data.MakeSplit("", {});
    }
    ASSERT_TRUE(data.IsNewBestRun());
    c.editSince(data);
    clock.Advance(100);
    data.UndoSplit();

    auto loaded = Reload();
    for (const FileDataClass* table : {&data, loaded.get()}) {
        EXPECT_EQ(ColumnTimes(*table, RunColumn(*table)), c.run);
        std::vector<std::string> notes;
        for (size_t r = 0; r < table->GetRowCount(); ++r)
            notes.push_back(table->GetCellNotes(r, RunColumn(*table)));
        EXPECT_EQ(notes, c.runNotes);
        EXPECT_EQ(ColumnTimes(*table, 0), c.best);
    }
    EXPECT_EQ(ColumnTimes(data, data.GetColumnCount() - 1), c.current);
    EXPECT_EQ(LogLines().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    EditsSince, UndoneFinish,
    testing::Values(UndoneFinishCase{"a_note_on_one_stored_cell",
                                     [](FileDataClass& d) { d.SetCellNotes(1, 1, "too early"); },
                                     {1000, 2000, 3000},
                                     {"", "too early", ""},
                                     {1000, 2000, 3000},
                                     {900, 1800, 0}},
                    UndoneFinishCase{"a_stored_time",
                                     [](FileDataClass& d) { d.SetCellTime(2, 1, 2500); },
                                     {1000, 2000, 2500},
                                     {"", "", ""},
                                     {1000, 2000, 3000},
                                     {900, 1800, 0}},
                    // The edited segment stays 8.00; the two the finish set go back to 10.00.
                    UndoneFinishCase{"a_best_segment",
                                     [](FileDataClass& d) { d.SetSegmentAndShift(1, 0, 800); },
                                     {1000, 2000, 3000},
                                     {"", "", ""},
                                     {1000, 1800, 2800},
                                     {900, 1800, 0}},
                    UndoneFinishCase{"a_row_inserted_at_the_top",
                                     [](FileDataClass& d) { d.InsertRow(0, "New"); },
                                     {0, 1000, 2000, 3000},
                                     {"", "", "", ""},
                                     {0, 1000, 2000, 3000},
                                     {0, 900, 1800, 0}},
                    UndoneFinishCase{"two_rows_swapped",
                                     [](FileDataClass& d) { d.SwapRows(0, 1); },
                                     {2000, 1000, 3000},
                                     {"", "", ""},
                                     {1000, 2000, 3000},
                                     {1800, 900, 0}},
                    UndoneFinishCase{"a_column_inserted_before_the_run",
                                     [](FileDataClass& d) { d.InsertColumn(1, "New"); },
                                     {1000, 2000, 3000},
                                     {"", "", ""},
                                     {1000, 2000, 3000},
                                     {900, 1800, 0}},
                    // What the finish stored in the deleted row goes with it; the row after it then
                    // covers both best segments, 18.00, which the finish did not store, so it stays.
                    UndoneFinishCase{"a_passed_row_deleted",
                                     [](FileDataClass& d) { d.DeleteRow(0); },
                                     {2000, 3000},
                                     {"", ""},
                                     {1800, 2800},
                                     {1800, 0}},
                    // With the run's column gone nothing of it comes back, into no other column either.
                    UndoneFinishCase{"the_run_column_deleted",
                                     [](FileDataClass& d) { d.DeleteColumn(1); },
                                     {0, 0, 0},
                                     {"", "", ""},
                                     {1000, 2000, 3000},
                                     {900, 1800, 0}}),
    [](const testing::TestParamInfo<UndoneFinishCase>& info) { return std::string(info.param.name); });

} // namespace
