// Several copies of the program log runs to one log at once, as two windows on one split file
// do. Some copies are stopped inside an append or a take-back for longer than an appender waits
// for its turn, so that the others append without it; some are killed at any moment; the logs
// start plain, padded by an old editor or a power cut, or as nothing but NULs. Each round checks
// what the log's reader then reads. scripts/stress-run-log repeats this for as long as asked.
#include "SplitFileTestSupport.h"
#include "core/FileDataClass.h"
#include "core/TextHelpers.h"
#include "core/TimeText.h"
#include "platform/runtime/TextFile.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace datafiles;

namespace {

const char kTwoRows[] = "0\t0\r\nGame\tBest Splits\r\nA\t1.00\r\n\r\nB\t1.00\r\n\r\n";
const char kHeader[] = "LPWSplitLog\tgame.txt\n";
constexpr int kRounds = 5;
constexpr int kRunsEach = 6;

struct Start {
    const char* what;
    std::string bytes;
    int32_t totalRuns;
    int32_t resetTime;
    std::vector<std::vector<int32_t>> listed;
};

const std::vector<Start>& Starts() {
    static const std::vector<Start> starts = {
        {"plain",
         "LPWSplitLog\tgame.txt\r\n2024/01/01 10:00\tC\t1.00\t2.00\r\n2024/01/01 10:01\tR\t5.00\r\n",
         2,
         500,
         {{100, 200}}},
        {"a last run ended by a Ctrl-Z and NULs",
         "LPWSplitLog\tgame.txt\r\n2024/01/01 10:01\tR\t5.00\t\x1A" + std::string(100, '\0'),
         1,
         500,
         {}},
        {"a Ctrl-Z after the last line end",
         "LPWSplitLog\tgame.txt\r\n2024/01/01 10:00\tC\t1.00\t2.00\r\n\x1A",
         1,
         0,
         {{100, 200}}},
        {"a zero-filled tail",
         "LPWSplitLog\tgame.txt\r\n2024/01/01 10:01\tR\t5.00\r\n" + std::string(3000, '\0'),
         1,
         500,
         {}},
        {"nothing but a power cut's NULs", std::string(4096, '\0'), 0, 0, {}},
    };
    return starts;
}

int32_t FirstTime(int copy, int run) {
    return 10000 + copy * 100 + run;
}

std::string RunLine(int copy, int run) {
    const int32_t first = FirstTime(copy, run);
    return "2024/03/09 18:05\tC\t" + FormatTime(first, true, false, 'H') + "\t" +
           FormatTime(first + 50000, true, false, 'H') + "\n";
}

// What a copy tells the test: a run it logged ('A'), or one it took back ('U').
struct Report {
    int32_t copy;
    int32_t run;
    char what;
};

// One copy of the program: logs its runs, takes some back as an undo of the finish would, and
// is now and then stopped at a step of the file layer for longer than an appender waits.
[[noreturn]] void Copy(const std::string& log, int copy, unsigned seed, int reports) {
    alarm(60); // never outlives the test
    std::mt19937 random(seed);
    struct {
        bool armed = false;
        rt::FileStep step = rt::FileStep::TurnTaken;
        std::chrono::milliseconds pause{0};
    } stall;
    rt::SetTestFileStepHook([&stall](rt::FileStep at) {
        if (stall.armed && at == stall.step) {
            stall.armed = false;
            std::this_thread::sleep_for(stall.pause);
        }
    });
    for (int run = 0; run < kRunsEach; ++run) {
        const std::string line = RunLine(copy, run);
        for (const bool takeBack : {false, true}) {
            if (takeBack && random() % 3 != 0)
                break;
            stall.armed = random() % 3 == 0;
            stall.step = static_cast<rt::FileStep>(random() % 3);
            stall.pause = std::chrono::milliseconds(260 + random() % 140);
            const bool done =
                takeBack ? rt::CutAppendedText(log, line) : rt::AppendTextFile(log, line, kHeader);
            stall.armed = false;
            if (done) {
                const Report report{copy, run, takeBack ? 'U' : 'A'};
                if (write(reports, &report, sizeof report) != sizeof report)
                    _exit(2);
            } else if (!takeBack) {
                break;
            }
        }
    }
    _exit(0);
}

// The lines of the log as its reader cuts them, without the padding that may end one.
std::vector<std::string> LinesRead(const std::string& log) {
    std::string text;
    StringList lines;
    if (rt::ReadTextFile(log, text))
        SplitLines(text, lines);
    for (std::string& line : lines) {
        while (!line.empty() && (line.back() == '\0' || line.back() == '\x1A'))
            line.pop_back();
    }
    return lines;
}

std::string Shown(const std::string& bytes) {
    std::string shown;
    for (unsigned char c : bytes) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, c < 0x20 ? "\\x%02X" : "%c", c);
        shown += escaped;
    }
    return shown;
}

} // namespace

TEST(RunLogStress, copies_logging_at_once_lose_join_and_repeat_no_run) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    for (int round = 0; round < kRounds; ++round) {
        const Start& start = Starts()[round % Starts().size()];
        SCOPED_TRACE(std::string("round ") + std::to_string(round) + ", a log of " + start.what);
        TempDir dir;
        WriteBytes(dir.File("game.txt"), kTwoRows);
        const std::string log = dir.File("game-RunLog.txt");
        WriteBytes(log, start.bytes);
        const std::vector<std::string> linesBefore = LinesRead(log);
        const std::set<std::string> before(linesBefore.begin(), linesBefore.end());

        const int copies = 2 + static_cast<int>(random() % 5);
        int reports[2];
        ASSERT_EQ(pipe(reports), 0);
        std::fflush(nullptr);
        std::vector<pid_t> pids;
        for (int copy = 0; copy < copies; ++copy) {
            const unsigned copySeed = static_cast<unsigned>(random());
            const pid_t pid = fork();
            if (pid == 0) {
                close(reports[0]);
                Copy(log, copy, copySeed, reports[1]);
            }
            pids.push_back(pid);
        }
        close(reports[1]);
        // Kill -9 at random: a copy may die anywhere, inside a write or a step of the layer.
        std::set<int> killed;
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 700));
        for (int kills = static_cast<int>(random() % 3); kills > 0; --kills) {
            const int copy = static_cast<int>(random() % copies);
            kill(pids[copy], SIGKILL);
            killed.insert(copy);
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 100));
        }
        for (const pid_t pid : pids) {
            int status = 0;
            waitpid(pid, &status, 0);
        }
        std::map<int32_t, char> reported; // by first time: 'A' logged, 'U' taken back since
        Report report{};
        while (read(reports[0], &report, sizeof report) == sizeof report)
            reported[FirstTime(report.copy, report.run)] = report.what;
        close(reports[0]);

        FileDataClass data;
        data.LoadSplitFile(dir.File("game.txt"));
        ASSERT_TRUE(data.HasFile());
        data.LoadRunLog();
        const HistoryDataListClass& history = data.history;
        // The runs the log held read as they did, first and in their order.
        ASSERT_GE(history.Count(), start.listed.size());
        for (size_t i = 0; i < start.listed.size(); ++i)
            EXPECT_EQ(history.Item(static_cast<unsigned>(i))->times, start.listed[i]);
        EXPECT_EQ(history.resetTime, start.resetTime);
        // Every run a copy logged is there once, unless it took it back; none is there twice.
        std::set<int32_t> present;
        for (size_t i = start.listed.size(); i < history.Count(); ++i) {
            const std::vector<int32_t>& times = history.Item(static_cast<unsigned>(i))->times;
            EXPECT_TRUE(present.insert(times[0]).second) << "a run is there twice: " << times[0];
            EXPECT_EQ(times[1], times[0] + 50000) << "a run was misread";
        }
        for (const auto& [first, what] : reported) {
            EXPECT_EQ(present.count(first), what == 'A' ? 1u : 0u)
                << (what == 'A' ? "a logged run is lost: " : "a run taken back is there: ") << first;
        }
        EXPECT_EQ(history.totalRuns, start.totalRuns + static_cast<int32_t>(present.size()));

        // No line of the log is two lines joined, or a run's line spoilt: each is one the program
        // wrote whole, what a killed copy wrote of one, or one the reader skips.
        std::set<std::string> whole;
        std::set<std::string> begun; // by the copies killed, which may have written part of one
        for (int copy = 0; copy < copies; ++copy) {
            for (int run = 0; run < kRunsEach; ++run) {
                std::string line = RunLine(copy, run);
                line.pop_back();
                (killed.count(copy) ? begun : whole).insert(line);
            }
        }
        for (const std::string& line : LinesRead(log)) {
            if (line.empty() || line[0] == '\0' || line == "LPWSplitLog\tgame.txt" || before.count(line) ||
                whole.count(line))
                continue;
            bool part = false;
            for (const std::string& started : begun)
                part = part || started.starts_with(line);
            EXPECT_TRUE(part) << "a line no copy wrote: " << Shown(line);
        }
    }
}
