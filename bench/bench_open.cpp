// links: lapwren_ui
// Opening a split file in the window, offscreen, through the window's own Open command (the
// open-file dialog answered by its seam): the file is loaded, the old table destroyed, the new
// one built, laid out and filled. A 500-row and a 5,000-row file of 6 columns; the ratio of the
// two shows whether the open stays linear. The events the open leaves behind are delivered
// between opens, untimed, as the message loop would before the user's next command.
// BM_OpenedTableMemory measures what an opened 5,000-row, 3-column table keeps resident.
#include "bench/MainWindowBench.h"
#include "bench/OffscreenMain.h"

#include "core/TimeText.h"
#include "platform/forms/Menus.h"
#include "platform/forms/TestSeams.h"
#include "platform/runtime/TextFile.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <string>

namespace {

std::string SplitFileText(int rows, int columns = 6) {
    std::string text = "0\t0.00\t\nBench\tBest Splits";
    for (int c = 1; c < columns - 1; ++c)
        text += "\tRun " + std::to_string(c);
    text += "\n";
    for (int r = 0; r < rows; ++r) {
        text += "Split " + std::to_string(r + 1) + '\t' + FormatTime(2900 + r % 7, true, false, 'H');
        for (int c = 1; c < columns - 1; ++c)
            text += '\t' + FormatTime((r + 1) * (3000 + 13 * c), true, false, 'H');
        text += '\n';
        for (int c = 0; c < columns - 1; ++c)
            text += r % 5 == 0 && c == 1 ? "\ta note" : "\t";
        text += '\n';
    }
    return text;
}

MainWindowBench& Window() {
    static MainWindowBench window;
    return window;
}

void BM_OpenSplitFile(benchmark::State& state) {
    MainWindowBench& window = Window();
    TMainForm& form = *MainForm;
    const int rows = static_cast<int>(state.range(0));
    const std::string file = window.Folder() + "open-" + std::to_string(rows) + ".txt";
    rt::RewriteTextFile(file, SplitFileText(rows), false);
    SetOpenDialogHandler([&](TOpenDialog&) { return std::optional<std::string>(file); });
    for (auto _ : state) {
        form.OpenSplitsMenuItem->Click();
        state.PauseTiming();
        if (form.SplitData->GetRowCount() != static_cast<size_t>(rows))
            state.SkipWithError("the file did not open");
        Application.ProcessMessages();
        state.ResumeTiming();
    }
    form.CloseSplitsMenuItem->Click();
    Application.ProcessMessages();
    SetOpenDialogHandler(nullptr);
}
BENCHMARK(BM_OpenSplitFile)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The process's resident set, in bytes.
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    double size = 0;
    double resident = 0;
    statm >> size >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// The bytes of the heap in use, mapped blocks included.
double HeapBytes() {
    const struct mallinfo2 heap = mallinfo2();
    return static_cast<double>(heap.uordblks + heap.hblkhd);
}

// What an opened table holds, per row: the growth of the heap in use over one open (every
// control and model object of the table lives there), the table before closed and its deletions
// delivered. Also the growth of the resident set, with the pages the heap kept handed back first
// (malloc_trim); it reads a little lower, as the open reuses free room in pages still resident.
void BM_OpenedTableMemory(benchmark::State& state) {
    MainWindowBench& window = Window();
    TMainForm& form = *MainForm;
    constexpr int rows = 5000;
    const std::string file = window.Folder() + "memory.txt";
    rt::RewriteTextFile(file, SplitFileText(rows, 3), false);
    SetOpenDialogHandler([&](TOpenDialog&) { return std::optional<std::string>(file); });
    double heap = 0;
    double resident = 0;
    for (auto _ : state) {
        form.CloseSplitsMenuItem->Click();
        Application.ProcessMessages();
        malloc_trim(0);
        heap = -HeapBytes();
        resident = -ResidentBytes();
        form.OpenSplitsMenuItem->Click();
        Application.ProcessMessages();
        heap += HeapBytes();
        resident += ResidentBytes();
        if (form.SplitData->GetRowCount() != static_cast<size_t>(rows))
            state.SkipWithError("the file did not open");
    }
    state.counters["bytes_per_row"] = heap / rows;
    state.counters["resident_per_row"] = resident / rows;
    form.CloseSplitsMenuItem->Click();
    Application.ProcessMessages();
    SetOpenDialogHandler(nullptr);
}
BENCHMARK(BM_OpenedTableMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunOffscreenBenchmarks(argc, argv);
}
