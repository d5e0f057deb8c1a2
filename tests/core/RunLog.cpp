#include "SplitFileTestSupport.h"
#include "core/FileDataClass.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/TextFile.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

using namespace datafiles;

namespace {

constexpr int64_t kSecond = 1'000'000;
// 2024-03-09 18:05:00 UTC.
constexpr int64_t kMarch9At1805 = 1'710'007'500 * kSecond;

const char kTwoRows[] = "0\t0\r\nGame\tBest Splits\tPB\r\nA\t1:00.00\t1:00.00\r\n\t\t\r\n"
                        "B\t1:30.00\t2:31.40\r\n\t\t\r\n";

class RunLog : public ::testing::Test {
protected:
    void SetUp() override {
        rt::SetTestWallClock(kMarch9At1805);
        rt::SetTestMonotonicClock(1'000 * kSecond);
        WriteBytes(dir.File("game.txt"), kTwoRows);
        data.LoadSplitFile(dir.File("game.txt"));
    }
    void TearDown() override { rt::UseSystemClocks(); }

    std::string Log() const { return ReadBytes(dir.File("game-RunLog.txt")); }

    void LogCompleteRun(int32_t first, int32_t second) {
        data.rows[0]->SetTime(2, first);
        data.rows[1]->SetTime(2, second);
        data.currentSplit = 2;
        data.timer->Reset(second);
        data.AppendRunLog();
    }

    TempDir dir;
    FileDataClass data;
};

} // namespace

TEST_F(RunLog, the_first_run_creates_the_log_with_its_header_and_later_runs_append_only_a_line) {
    LogCompleteRun(6000, 15140);
    EXPECT_EQ(Log(), "LPWSplitLog\tgame.txt\r\n2024/03/09 18:05\tC\t1:00.00\t2:31.40\r\n");

    rt::AdvanceTestWallClock(7 * 60 * kSecond + 59 * kSecond);
    data.ResetRun();
    data.rows[0]->SetTime(2, 5820);
    data.currentSplit = 1;
    data.timer->Reset(7475);
    data.AppendRunLog();
    EXPECT_EQ(Log(), Golden("run-log-example.txt"));
}

TEST_F(RunLog, run_control_logs_a_finished_run_once_and_a_reset_only_after_time_has_run) {
    data.autoLogRuns = true;
    data.StartRun();
    rt::AdvanceTestClocks(60 * kSecond);
    data.MakeSplit("", {});
    rt::AdvanceTestClocks(91 * kSecond + 400'000);
    data.MakeSplit("", {});
    data.ResetRun(); // the finished run was logged by its last split
    data.StartRun();
    data.ResetRun(); // nothing has run yet
    data.StartRun();
    rt::AdvanceTestClocks(5 * kSecond);
    data.ResetRun(); // before the first split: stamp, kind and elapsed time only
    EXPECT_EQ(Log(), "LPWSplitLog\tgame.txt\r\n2024/03/09 18:07\tC\t1:00.00\t2:31.40\r\n"
                     "2024/03/09 18:07\tR\t5.00\r\n");

    data.LoadRunLog();
    EXPECT_EQ(data.history.totalRuns, 2);
    EXPECT_EQ(data.history.resetRuns, 1);
    EXPECT_EQ(data.history.resetTime, 500);
    ASSERT_EQ(data.history.Count(), 1u);
    EXPECT_EQ(data.history.Item(0)->times, (std::vector<int32_t>{6000, 15140}));
}

TEST_F(RunLog, an_empty_log_gets_the_header_a_foreign_file_gets_none_and_a_run_starts_its_own_line) {
    WriteBytes(dir.File("game-RunLog.txt"), "");
    LogCompleteRun(6000, 15140);
    EXPECT_EQ(Log(), "LPWSplitLog\tgame.txt\r\n2024/03/09 18:05\tC\t1:00.00\t2:31.40\r\n");

    WriteBytes(dir.File("game-RunLog.txt"), "notes\r\n");
    LogCompleteRun(6000, 15140);
    EXPECT_EQ(Log(), "notes\r\n2024/03/09 18:05\tC\t1:00.00\t2:31.40\r\n");
    data.LoadRunLog();
    EXPECT_EQ(data.history.totalRuns, 0);

    // A last line that lost its line end: joined to it, the new run would be misread.
    WriteBytes(dir.File("game-RunLog.txt"), "LPWSplitLog\tgame.txt\r\n2024/03/09 18:00\tR\t2.00");
    LogCompleteRun(6000, 15140);
    data.LoadRunLog();
    EXPECT_EQ(data.history.totalRuns, 2);
    EXPECT_EQ(data.history.resetTime, 200);
    EXPECT_EQ(data.history.Count(), 1u);

    // A last line ended by a Ctrl-Z, as old editors leave it: the Ctrl-Z must not stick to it.
    for (const char* kind : {"R\t5.00\t", "C\t1:00.00\t2:31.40"}) {
        SCOPED_TRACE(kind);
        WriteBytes(dir.File("game-RunLog.txt"),
                   std::string("LPWSplitLog\tgame.txt\r\n2024/01/01 10:00\t") + kind + "\x1A");
        LogCompleteRun(6000, 15140);
        data.LoadRunLog();
        EXPECT_EQ(data.history.totalRuns, 2);
        EXPECT_EQ(data.history.Count(), kind[0] == 'C' ? 2u : 1u);
        EXPECT_EQ(data.history.resetTime, kind[0] == 'R' ? 500 : 0);
    }

    // A byte order mark in front, and a log that a power cut left as nothing but NULs.
    WriteBytes(dir.File("game-RunLog.txt"), "\xEF\xBB\xBF" + Golden("run-log-example.txt"));
    LogCompleteRun(6000, 15140);
    data.LoadRunLog();
    EXPECT_EQ(data.history.totalRuns, 3);
    // The NULs stay, as another appender's line may follow them: the header starts the line
    // after them.
    WriteBytes(dir.File("game-RunLog.txt"), std::string(4096, '\0'));
    LogCompleteRun(6000, 15140);
    EXPECT_EQ(Log(), std::string(4096, '\0') +
                         "\r\nLPWSplitLog\tgame.txt\r\n2024/03/09 18:05\tC\t1:00.00\t2:31.40\r\n");
    data.LoadRunLog();
    EXPECT_EQ(data.history.totalRuns, 1);
    EXPECT_EQ(data.history.Count(), 1u);
}

TEST_F(RunLog, the_log_is_named_from_the_last_dot_of_the_split_file_path) {
    std::filesystem::create_directory(dir.File("my.runs"));
    std::filesystem::create_directory(dir.File("my-RunLog.runs"));
    const struct {
        const char* splitFile;
        const char* logFile;
        const char* nameInHeader;
    } cases[] = {
        {"game", "game-RunLog.txt", "game"},
        {"my.runs/game", "my-RunLog.runs/game", "game"},
        // Backslashes and colons end folder names too: on Linux this is one file in the folder.
        {"C:\\Runs\\run.log", "C:\\Runs\\run-RunLog.log", "run.log"},
        // No byte of the name may split the header line or end the text.
        {"a\tb\r\nc\x1a.txt", "a\tb\r\nc\x1a-RunLog.txt", "a b  c .txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.splitFile);
        WriteBytes(dir.File(c.splitFile), kTwoRows);
        data.LoadSplitFile(dir.File(c.splitFile));
        data.timer->Reset(100);
        data.AppendRunLog();
        EXPECT_EQ(ReadBytes(dir.File(c.logFile)),
                  std::string("LPWSplitLog\t") + c.nameInHeader + "\r\n2024/03/09 18:05\tR\t1.00\r\n");
    }
}

TEST_F(RunLog, stamps_are_utc_minutes_of_the_wall_clock) {
    const char* zone = std::getenv("TZ");
    const std::string savedZone = zone ? zone : "";
    // Nine hours east of UTC: 00:30 local time on March 10 is still March 9 in UTC.
    setenv("TZ", "JST-9", 1);
    tzset();
    const struct {
        const char* what;
        int64_t seconds;
        const char* stamp;
    } cases[] = {
        {"seconds are dropped", 1'710'007'559, "2024/03/09 18:05"},
        {"just after midnight east of UTC", 1'709'998'200, "2024/03/09 15:30"},
        {"past the 32-bit seconds of 2038", 2'208'988'800, "2040/01/01 00:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir.File("game-RunLog.txt"));
        rt::SetTestWallClock(c.seconds * kSecond);
        data.timer->Reset(100);
        data.AppendRunLog();
        EXPECT_EQ(Log(), std::string("LPWSplitLog\tgame.txt\r\n") + c.stamp + "\tR\t1.00\r\n");
    }
    if (zone)
        setenv("TZ", savedZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(RunLog, loading_the_example_lists_its_complete_run_and_counts_its_reset) {
    WriteBytes(dir.File("game-RunLog.txt"), Golden("run-log-example.txt"));
    data.LoadRunLog();
    EXPECT_EQ(data.history.totalRuns, 2);
    EXPECT_EQ(data.history.resetRuns, 1);
    EXPECT_EQ(data.history.resetTime, 7475);
    ASSERT_EQ(data.history.Count(), 1u);
    EXPECT_EQ(data.history.Item(0)->dateText, "2024/03/09 18:05");
    EXPECT_EQ(data.history.Item(0)->times, (std::vector<int32_t>{6000, 15140}));
    EXPECT_EQ(data.history.FindDay("20240309"), 0);
}

TEST_F(RunLog, malformed_lines_are_counted_or_skipped_by_their_kind_and_length) {
    WriteBytes(dir.File("game-RunLog.txt"), "LPWSplitLog\tother.txt\r\n"
                                            "2024/03/09 18:05\tC\t1.00\r\n" // too few: counted only
                                            "2024/03/09 18:06\tC\t1.00\t2.00\t3.00\r\n" // too many: first two
                                            "2024/03/09 18:07\tR\r\n"                   // no time: ignored
                                            "2024/03/09 18:08\tX\t1.00\t2.00\r\n"       // unknown kind
                                            "garbage\r\n"
                                            "\r\n"
                                            "2024/03/10 00:01\tR\t1.00\t5.00\r\n"
                                            "2024/03/10 00:02\tC\t\t\r\n" // empty times: too few
                                            "2024/03/10 00:03\tC\tx\t\t\r\n" +
                                                std::string(9, '\0') + // a take-back cut short
                                                "00:04\tC\t7.00\t8.00\r\n"
                                                "\x1a\r\n" + // a stray Ctrl-Z, then a block of NULs
                                                std::string(512, '\0') +
                                                "\r\n"
                                                "2024/03/11 00:04\tC\t3.00\t4.00\r\n"); // still counts
    data.LoadRunLog();
    EXPECT_EQ(data.history.totalRuns, 6);
    EXPECT_EQ(data.history.resetRuns, 1);
    EXPECT_EQ(data.history.resetTime, 500);
    ASSERT_EQ(data.history.Count(), 3u);
    EXPECT_EQ(data.history.Item(0)->times, (std::vector<int32_t>{100, 200}));
    EXPECT_EQ(data.history.Item(1)->times, (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(data.history.Item(1)->index, 1);
    EXPECT_EQ(data.history.Item(2)->times, (std::vector<int32_t>{300, 400}));
}

TEST_F(RunLog, a_failed_load_leaves_the_history_empty) {
    const struct {
        const char* what;
        const char* bytes; // nullptr: no log file
    } cases[] = {
        {"no log", nullptr},
        {"no magic", "LPWSplitLo\tgame.txt\r\n2024/03/09 18:05\tR\t1.00\r\n"},
        {"only the header", "LPWSplitLog\tgame.txt\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(dir.File("game-RunLog.txt"), Golden("run-log-example.txt"));
        data.LoadRunLog();
        ASSERT_EQ(data.history.Count(), 1u);
        std::filesystem::remove(dir.File("game-RunLog.txt"));
        if (c.bytes)
            WriteBytes(dir.File("game-RunLog.txt"), c.bytes);
        data.LoadRunLog();
        EXPECT_EQ(data.history.Count(), 0u);
        EXPECT_EQ(data.history.totalRuns, 0);
        EXPECT_EQ(data.history.resetRuns, 0);
        EXPECT_EQ(data.history.resetTime, 0);
    }
}

namespace {

const char kHeader[] = "LPWSplitLog\tgame.txt\r\n";
// The run a second copy of the program logs while this one is stopped.
const char kOtherRun[] = "2024/03/09 18:06\tC\t1:05.00\t2:40.00\n";

struct StoppedStepCase {
    const char* name;
    std::string tail; // the log after its header
    bool undo;        // this copy takes back the run its finish logged, instead of logging one
    rt::FileStep step;
    int32_t totalRuns;
    std::vector<std::vector<int32_t>> listed;
};

void PrintTo(const StoppedStepCase& c, std::ostream* os) {
    *os << c.name;
}

// Stops the file layer at one step, once, while the test acts as another process would.
class ScopedStop {
public:
    ScopedStop(rt::FileStep step, std::function<void()> meanwhile) {
        rt::SetTestFileStepHook([this, step, meanwhile = std::move(meanwhile)](rt::FileStep at) {
            if (!stopped && at == step) {
                stopped = true;
                meanwhile();
            }
        });
    }
    ~ScopedStop() { rt::SetTestFileStepHook({}); }
    ScopedStop(const ScopedStop&) = delete;
    ScopedStop& operator=(const ScopedStop&) = delete;
    bool stopped = false;
};

class StoppedStep : public RunLog, public testing::WithParamInterface<StoppedStepCase> {};

} // namespace

// Another copy of the program logs a run while this one is stopped at a step of its append or of
// its undo's take-back, where it holds the appenders' turn: the other copy waits as long as an
// appender waits, then appends without the turn. Whatever the step, its run is kept, every run
// before reads as it did (the reset's 5.00 included), and this copy's run is there once, or gone
// where the take-back still found it last.
TEST_P(StoppedStep, a_run_another_copy_logged_meanwhile_is_kept_and_the_runs_before_read_as_they_did) {
    const StoppedStepCase& c = GetParam();
    const std::string log = dir.File("game-RunLog.txt");
    WriteBytes(log, kHeader + c.tail);
    if (c.undo) {
        data.autoLogRuns = true;
        data.StartRun();
        rt::AdvanceTestClocks(60 * kSecond);
        data.MakeSplit("", {});
        rt::AdvanceTestClocks(91 * kSecond + 400'000);
        data.MakeSplit("", {});
        ASSERT_TRUE(data.IsRunComplete());
    }
    std::optional<bool> otherLogged;
    auto waited = std::chrono::steady_clock::duration::zero();
    {
        ScopedStop stop(c.step, [&] {
            const auto start = std::chrono::steady_clock::now();
            otherLogged = rt::AppendTextFile(log, kOtherRun, "LPWSplitLog\tgame.txt\n");
            waited = std::chrono::steady_clock::now() - start;
        });
        if (c.undo)
            data.UndoSplit();
        else
            LogCompleteRun(6000, 15140);
        ASSERT_TRUE(stop.stopped) << "the step was not reached";
    }
    EXPECT_EQ(otherLogged, true);
    EXPECT_GE(waited, std::chrono::milliseconds(200)) << "the other copy did not wait for the turn";

    data.LoadRunLog();
    EXPECT_EQ(data.history.totalRuns, c.totalRuns);
    EXPECT_EQ(data.history.resetRuns, 1);
    EXPECT_EQ(data.history.resetTime, 500);
    std::vector<std::vector<int32_t>> listed;
    for (unsigned i = 0; i < data.history.Count(); ++i)
        listed.push_back(data.history.Item(i)->times);
    EXPECT_EQ(listed, c.listed);
}

namespace {

// A TAB ends the reset's last field: with the Ctrl-Z or NULs after it, the field is theirs.
const std::string kPaddedTail = "2024/01/01 10:00\tR\t5.00\t\x1A" + std::string(100, '\0');
const std::string kPlainTail = "2024/01/01 10:00\tR\t5.00\r\n";
const std::vector<int32_t> kMine{6000, 15140};
const std::vector<int32_t> kOthers{6500, 16000};

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Steps, StoppedStep,
    testing::Values(
        StoppedStepCase{
            "PaddedTailAfterTheTurn", kPaddedTail, false, rt::FileStep::TurnTaken, 3, {kOthers, kMine}},
        StoppedStepCase{
            "PaddedTailAfterTheLook", kPaddedTail, false, rt::FileStep::TailSeen, 3, {kOthers, kMine}},
        StoppedStepCase{"PaddedTailBeforeItsEndIsWritten",
                        kPaddedTail,
                        false,
                        rt::FileStep::BeforeOverwrite,
                        3,
                        {kOthers, kMine}},
        StoppedStepCase{
            "PlainTailAfterTheTurn", kPlainTail, false, rt::FileStep::TurnTaken, 3, {kOthers, kMine}},
        StoppedStepCase{
            "PlainTailAfterTheLook", kPlainTail, false, rt::FileStep::TailSeen, 3, {kOthers, kMine}},
        // Found last no more: the finish's run stays, as an undo keeps what came since.
        StoppedStepCase{"UndoAfterTheTurn", kPlainTail, true, rt::FileStep::TurnTaken, 3, {kMine, kOthers}},
        StoppedStepCase{"UndoAfterTheLook", kPlainTail, true, rt::FileStep::TailSeen, 2, {kOthers}},
        StoppedStepCase{
            "UndoBeforeItsLineIsWritten", kPlainTail, true, rt::FileStep::BeforeOverwrite, 2, {kOthers}}),
    [](const auto& info) { return std::string(info.param.name); });
