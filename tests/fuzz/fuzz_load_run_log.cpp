// links: lapwren_core
// Loads any bytes as the run log of a split file of two rows and of one without rows, checks the
// history's counts and day index against each other, and appends a run to the same bytes.
#include "core/FileDataClass.h"
#include "tests/fuzz/ScratchFolder.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const char kTwoRows[] = "0\t0\r\nGame\tBest Splits\r\nA\t1.00\r\n\r\nB\t1.00\r\n\r\n";
const char kNoRows[] = "0\t0\r\nGame\r\n\r\n\r\n";

const std::string& ScratchFolder() {
    return fuzzsupport::ScratchFolder({{"two.txt", kTwoRows}, {"none.txt", kNoRows}});
}

void CheckHistory(const FileDataClass& table) {
    const HistoryDataListClass& history = table.history;
    if (history.resetRuns < 0 || history.totalRuns < history.resetRuns ||
        static_cast<int64_t>(history.totalRuns) < static_cast<int64_t>(history.resetRuns) + history.Count())
        std::abort();
    size_t indexed = 0;
    for (const auto& [day, runs] : history.byDay) {
        if (runs.empty())
            std::abort();
        // A shorter key (from a cut-off stamp) is looked up with a '0' appended.
        if (day.size() == 8 && history.FindDay(day) != runs.front()->index)
            std::abort();
        indexed += runs.size();
    }
    if (indexed != history.Count())
        std::abort();
    for (unsigned i = 0; i < history.Count(); ++i) {
        const HistoryDataClass* run = history.Item(i);
        if (run->index != static_cast<int32_t>(i) || run->times.size() != table.GetRowCount())
            std::abort();
    }
}

void LoadLog(const std::string& splitFile, const std::string& logFile, const std::string& bytes) {
    fuzzsupport::WriteBytes(ScratchFolder() + "/" + logFile, bytes);
    FileDataClass table;
    table.LoadSplitFile(ScratchFolder() + "/" + splitFile);
    if (!table.HasFile())
        std::abort();
    table.LoadRunLog();
    CheckHistory(table);

    table.timer->Reset(100);
    table.AppendRunLog();
    table.LoadRunLog();
    CheckHistory(table);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    LoadLog("two.txt", "two-RunLog.txt", bytes);
    LoadLog("none.txt", "none-RunLog.txt", bytes);
    return 0;
}
