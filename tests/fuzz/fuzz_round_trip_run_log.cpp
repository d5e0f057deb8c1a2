// links: lapwren_core
// A run appended to any run log that loads is read back as one more run, and the runs before it
// count as they did. A log without text gets its header and then holds just the one run.
#include "core/FileDataClass.h"
#include "tests/fuzz/ScratchFolder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char kTwoRows[] = "0\t0\r\nGame\tBest Splits\r\nA\t1.00\r\n\r\nB\t1.00\r\n\r\n";

struct Counts {
    int32_t total;
    int32_t resets;
    int64_t resetTime;
    size_t listed;
};

Counts CountsOf(const HistoryDataListClass& history) {
    return {history.totalRuns, history.resetRuns, history.resetTime, history.Count()};
}

void Expect(bool same, const char* what) {
    if (!same) {
        std::fprintf(stderr, "after an append the log read %s\n", what);
        std::abort();
    }
}

// Appends a complete run (complete: true) or a reset one, and reads the log again.
void AppendOneRun(const std::string& log, std::string_view bytes, bool complete) {
    fuzzsupport::WriteBytes(log, bytes);
    FileDataClass table;
    table.LoadSplitFile(fuzzsupport::ScratchFolder() + "/two.txt");
    if (!table.HasFile())
        std::abort();
    table.LoadRunLog();
    const Counts before = CountsOf(table.history);
    std::vector<std::vector<int32_t>> listed;
    for (unsigned i = 0; i < table.history.Count(); ++i)
        listed.push_back(table.history.Item(i)->times);
    // A log that held runs, or held no text at all, takes the run; any other is not a log.
    const bool log_read = before.total > 0 || before.listed > 0;

    if (complete) {
        table.rows[0]->SetTime(1, 1234);
        table.rows[1]->SetTime(1, 5678);
        table.currentSplit = 2;
    } else {
        table.rows[0]->SetTime(1, 1234);
        table.currentSplit = 1;
    }
    table.timer->Reset(complete ? 5678 : 4321);
    table.AppendRunLog();
    table.LoadRunLog();
    const Counts after = CountsOf(table.history);
    if (!log_read && after.total == 0)
        return; // no log of ours, and the append leaves it so
    const Counts expected = log_read ? before : Counts{0, 0, 0, 0};
    Expect(after.total == expected.total + 1, "another number of runs");
    Expect(after.resets == expected.resets + (complete ? 0 : 1), "another number of resets");
    Expect(after.resetTime == expected.resetTime + (complete ? 0 : 4321), "another reset time");
    Expect(after.listed == expected.listed + (complete ? 1 : 0), "another list of runs");
    for (size_t i = 0; log_read && i < listed.size(); ++i)
        Expect(table.history.Item(static_cast<unsigned>(i))->times == listed[i], "an earlier run changed");
    if (complete)
        Expect(table.history.Item(static_cast<unsigned>(after.listed - 1))->times ==
                   std::vector<int32_t>{1234, 5678},
               "the new run with other times");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::ScratchFolder({{"two.txt", kTwoRows}});
    const std::string log = fuzzsupport::ScratchFolder() + "/two-RunLog.txt";
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    AppendOneRun(log, bytes, true);
    AppendOneRun(log, bytes, false);
    return 0;
}
