#include "SplitFileTestSupport.h"
#include "core/FileDataClass.h"
#include "platform/runtime/Clock.h"

#include <gtest/gtest.h>

using namespace datafiles;

namespace {

const char kThreeRows[] = "0\t0\r\nGame\tBest Splits\tPB\r\nA\t10.00\t10.00\r\n\t\t\r\n"
                          "B\t10.00\t20.00\r\n\t\t\r\nC\t10.00\t30.00\r\n\t\t\r\n";

class SplitState : public ::testing::Test {
protected:
    void SetUp() override { rt::SetTestMonotonicClock(5'000'000'000); }
    void TearDown() override { rt::UseSystemClocks(); }

    // A state file beside the three-row split file "game.txt"; loads it.
    void LoadState(const std::string& bytes) {
        WriteBytes(dir.File("game.txt"), kThreeRows);
        WriteBytes(dir.File("state.txt"), bytes);
        data.LoadSplitState(dir.File("state.txt"));
    }

    TempDir dir;
    FileDataClass data;
};

} // namespace

TEST_F(SplitState, saving_the_example_run_writes_the_example_bytes_beside_the_split_file) {
    WriteBytes(dir.File("game.txt"), kThreeRows);
    data.LoadSplitFile(dir.File("game.txt"));
    data.timer->Reset(6520);
    data.currentSplit = 2;
    data.rows[0]->SetTime(2, 1230);
    data.rows[1]->SetTime(2, 5800);
    data.rows[2]->SetTime(2, 7000); // not yet split: not written
    data.SaveSplitState();
    EXPECT_EQ(ReadBytes(dir.File("game-SplitState.txt")), Golden("split-state-example.txt"));
}

TEST_F(SplitState, a_running_timer_is_saved_at_its_live_time) {
    WriteBytes(dir.File("game.txt"), kThreeRows);
    data.LoadSplitFile(dir.File("game.txt"));
    data.StartRun();
    rt::AdvanceTestMonotonicClock(65'200'000);
    data.SaveSplitState();
    EXPECT_EQ(ReadBytes(dir.File("game-SplitState.txt")), "LPWSplitState\tgame.txt\r\n1:05.20\t0\r\n");
}

TEST_F(SplitState, loading_the_example_restores_a_paused_run_that_saves_back_to_its_file) {
    LoadState(Golden("split-state-example.txt"));
    ASSERT_TRUE(data.HasFile());
    EXPECT_EQ(data.fileName, dir.File("game.txt"));
    EXPECT_EQ(data.stateFileName, dir.File("state.txt"));
    EXPECT_FALSE(data.IsTimerRunning());
    EXPECT_EQ(data.GetElapsed(), 6520);
    EXPECT_EQ(data.GetCurrentSplit(), 2u);
    EXPECT_EQ(data.GetCellTime(0, 2), 1230);
    EXPECT_EQ(data.GetCellTime(1, 2), 5800);
    EXPECT_EQ(data.GetCellTime(2, 2), 0);

    data.ResumeRun();
    rt::AdvanceTestMonotonicClock(1'000'000);
    EXPECT_EQ(data.GetElapsed(), 6620);
    data.SaveSplitState();
    EXPECT_EQ(ReadBytes(dir.File("state.txt")),
              "LPWSplitState\tgame.txt\r\n1:06.20\t2\r\n12.30\r\n58.00\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("game-SplitState.txt")));

    // Opening the split file again forgets the loaded state file.
    data.LoadSplitFile(dir.File("game.txt"));
    data.SaveSplitState();
    EXPECT_TRUE(std::filesystem::exists(dir.File("game-SplitState.txt")));
}

// Editors elsewhere put a byte order mark in front; a power cut leaves NULs after the text.
TEST_F(SplitState, a_byte_order_mark_and_a_zero_filled_tail_do_not_keep_a_state_from_loading) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string nuls(64, '\0');
    const std::string state = Golden("split-state-example.txt");
    const struct {
        const char* what;
        std::string splitFile;
        std::string stateFile;
    } cases[] = {
        {"a mark in front of the state", kThreeRows, bom + state},
        {"NULs after the state", kThreeRows, state + nuls},
        {"a mark and NULs around the split file", bom + kThreeRows + nuls, state},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(dir.File("game.txt"), c.splitFile);
        WriteBytes(dir.File("state.txt"), c.stateFile);
        data.LoadSplitState(dir.File("state.txt"));
        ASSERT_TRUE(data.HasFile());
        EXPECT_EQ(data.GetRowCount(), 3u);
        EXPECT_EQ(data.GetElapsed(), 6520);
        EXPECT_EQ(data.GetCurrentSplit(), 2u);
        EXPECT_EQ(data.GetCellTime(1, 2), 5800);
        // Written again as the program writes it.
        data.SaveSplitState();
        EXPECT_EQ(ReadBytes(dir.File("state.txt")), state);
    }
}

TEST_F(SplitState, the_state_file_name_comes_from_the_last_dot_of_the_split_file_path) {
    std::filesystem::create_directory(dir.File("my.runs"));
    std::filesystem::create_directory(dir.File("my-SplitState.runs"));
    const struct {
        const char* splitFile;
        const char* stateFile;
        const char* nameInState;
    } cases[] = {
        {"game.txt", "game-SplitState.txt", "game.txt"},
        {"game", "game-SplitState.txt", "game"},
        {"my.runs/game", "my-SplitState.runs/game", "game"},
        // Backslashes and colons end folder names too: on Linux this is one file in the folder.
        {"C:\\Runs\\game.txt", "C:\\Runs\\game-SplitState.txt", "game.txt"},
        // A name that would split the header line or end the text cannot be stored as it is, and
        // stored any other way it would name another file: no state is written for it.
        {"a\tb.txt", "a\tb-SplitState.txt", nullptr},
        {"a\rb.txt", "a\rb-SplitState.txt", nullptr},
        {"a\nb.txt", "a\nb-SplitState.txt", nullptr},
        {"a\x1a.txt", "a\x1a-SplitState.txt", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.splitFile);
        WriteBytes(dir.File(c.splitFile), kThreeRows);
        data.LoadSplitFile(dir.File(c.splitFile));
        data.SaveSplitState();
        if (c.nameInState == nullptr) {
            EXPECT_FALSE(std::filesystem::exists(dir.File(c.stateFile)));
            continue;
        }
        EXPECT_EQ(ReadBytes(dir.File(c.stateFile)),
                  std::string("LPWSplitState\t") + c.nameInState + "\r\n0.00\t0\r\n");
    }
}

TEST_F(SplitState, without_a_split_file_only_the_timer_goes_to_the_default_file_and_back) {
    data.defaultStateFileName = dir.File("Timer-SplitState.txt");
    data.timer->Reset(-250);
    data.currentSplit = 3; // no rows: nothing more to write
    data.SaveSplitState();
    EXPECT_EQ(ReadBytes(data.defaultStateFileName), "LPWSplitState\t\r\n-2.50\t3\r\n");

    FileDataClass restored;
    restored.LoadSplitState(data.defaultStateFileName);
    EXPECT_FALSE(restored.HasFile());
    EXPECT_EQ(restored.stateFileName, "");
    EXPECT_FALSE(restored.IsTimerRunning());
    EXPECT_EQ(restored.GetElapsed(), -250);
    EXPECT_EQ(restored.GetCurrentSplit(), 0u);
}

TEST_F(SplitState, the_split_count_is_limited_to_the_last_row) {
    const struct {
        const char* what;
        const char* secondLine;
        uint32_t currentSplit;
        int32_t lastRestoredTime;
    } cases[] = {
        {"within the table", "1.00\t1\r\n", 1, 1230},
        {"beyond the table", "1.00\t5\r\n", 2, 5800},
        {"negative, read unsigned", "1.00\t-1\r\n", 2, 5800},
        {"empty", "\r\n", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoadState(std::string("LPWSplitState\tgame.txt\r\n") + c.secondLine +
                  "12.30\r\n58.00\r\n1:10.00\r\n");
        ASSERT_TRUE(data.HasFile());
        EXPECT_EQ(data.GetCurrentSplit(), c.currentSplit);
        EXPECT_EQ(data.GetElapsed(), c.currentSplit == 0 ? 0 : 100);
        if (c.currentSplit > 0) {
            EXPECT_EQ(data.GetCellTime(c.currentSplit - 1, 2), c.lastRestoredTime);
        }
        // The final split time of a finished run is never restored: it is made again.
        EXPECT_EQ(data.GetCellTime(2, 2), 0);
    }
}

TEST_F(SplitState, a_split_count_on_a_table_without_rows_restores_no_split) {
    WriteBytes(dir.File("game.txt"), "0\t0\r\nGame\r\n\r\nlost\r\n");
    WriteBytes(dir.File("state.txt"), "LPWSplitState\tgame.txt\r\n1.00\t5\r\n12.30\r\n58.00\r\n");
    data.LoadSplitState(dir.File("state.txt"));
    ASSERT_TRUE(data.HasFile());
    EXPECT_EQ(data.GetRowCount(), 0u);
    EXPECT_EQ(data.GetCurrentSplit(), 0u);
    EXPECT_EQ(data.GetElapsed(), 100);
}

TEST_F(SplitState, a_refused_state_leaves_no_split_file_and_the_timer_at_zero) {
    std::filesystem::create_directory(dir.File("elsewhere"));
    WriteBytes(dir.File("game.txt"), kThreeRows);
    const struct {
        const char* what;
        std::string file;
        std::string bytes;
    } cases[] = {
        {"the state file is missing", "missing.txt", ""},
        {"the magic is missing", "state.txt", "LPWSplitStat\tgame.txt\r\n1.00\t1\r\n"},
        {"only one line", "state.txt", "LPWSplitState\tgame.txt\r\n"},
        {"the split file is not beside the state", "elsewhere/state.txt",
         "LPWSplitState\tgame.txt\r\n1.00\t1\r\n12.30\r\n"},
        {"a folder in the name does not lead out of the state's folder", "elsewhere/state.txt",
         "LPWSplitState\t../game.txt\r\n1.00\t1\r\n12.30\r\n"},
        {"the named file is no split file", "state.txt", "LPWSplitState\tstate.txt\r\n1.00\t1\r\n12.30\r\n"},
        {"NULs inside it, as a disk that lost power leaves", "state.txt",
         std::string("LPWSplitState\tgame.txt\r\n1.00\t1\r\n\0\0\0\0\r\n12.30\r\n", 45)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.bytes.empty())
            WriteBytes(dir.File(c.file), c.bytes);
        data.timer->Reset(777);
        data.LoadSplitState(dir.File(c.file));
        EXPECT_FALSE(data.HasFile());
        EXPECT_EQ(data.stateFileName, "");
        EXPECT_EQ(data.GetColumnCount(), 0u);
        EXPECT_EQ(data.GetElapsed(), 0);
    }
}

TEST_F(SplitState, a_crash_in_the_middle_of_a_save_leaves_the_old_state) {
    LoadState(Golden("split-state-example.txt"));
    data.timer->Reset(9000);
    EXPECT_TRUE(CrashWhileWriting([&] { data.SaveSplitState(); }));
    EXPECT_EQ(ReadBytes(dir.File("state.txt")), Golden("split-state-example.txt"));
}
