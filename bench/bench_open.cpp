// links: lapwren_ui
// Opening a split file in the window, offscreen, through the window's own Open command (the
// open-file dialog answered by its seam): the file is loaded, the old table destroyed, the new
// one built, laid out and filled. A 500-row and a 5,000-row file of 6 columns; the ratio of the
// two shows whether the open stays linear. The events the open leaves behind are delivered
// between opens, untimed, as the message loop would before the user's next command.
#include "bench/MainWindowBench.h"
#include "bench/OffscreenMain.h"

#include "core/TimeText.h"
#include "platform/forms/Menus.h"
#include "platform/forms/TestSeams.h"
#include "platform/runtime/TextFile.h"

#include <benchmark/benchmark.h>

#include <optional>
#include <string>

namespace {

constexpr int kColumns = 6;

std::string SplitFileText(int rows) {
    std::string text = "0\t0.00\t\nBench\tBest Splits";
    for (int c = 1; c < kColumns - 1; ++c)
        text += "\tRun " + std::to_string(c);
    text += "\n";
    for (int r = 0; r < rows; ++r) {
        text += "Split " + std::to_string(r + 1) + '\t' + FormatTime(2900 + r % 7, true, false, 'H');
        for (int c = 1; c < kColumns - 1; ++c)
            text += '\t' + FormatTime((r + 1) * (3000 + 13 * c), true, false, 'H');
        text += '\n';
        for (int c = 0; c < kColumns - 1; ++c)
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

} // namespace

int main(int argc, char** argv) {
    return RunOffscreenBenchmarks(argc, argv);
}
