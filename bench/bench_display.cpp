// links: lapwren_ui
// The display while a run goes on over a 500-row table of 6 columns, offscreen: one display tick
// (the split state auto-save off, as the bar asks) and one fill of the whole table. The run is
// half done, so the table holds passed rows with differences and rows still ahead. The clocks are
// test clocks moved by a tick's length each time, so every tick shows a new time.
#include "bench/MainWindowBench.h"
#include "bench/OffscreenMain.h"

#include "core/TimeText.h"
#include "platform/runtime/TextFile.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kRows = 500;
constexpr int kColumns = 6;

std::string SplitFileText() {
    std::string text = "12\t0.00\t\nBench\tBest Splits";
    for (int c = 1; c < kColumns - 1; ++c)
        text += "\tRun " + std::to_string(c);
    text += "\n";
    for (int r = 0; r < kRows; ++r) {
        text += "Split ";
        text += std::to_string(r + 1);
        text += '\t';
        text += FormatTime(2900 + r % 7, true, false, 'H');
        for (int c = 1; c < kColumns - 1; ++c) {
            text += '\t';
            text += FormatTime((r + 1) * (3000 + 13 * c), true, false, 'H');
        }
        text += '\n';
        for (int c = 0; c < kColumns - 1; ++c) {
            text += '\t';
            if (r % 5 == 0 && c == 1)
                text += "a note";
        }
        text += '\n';
    }
    return text;
}

// The main window with a half-finished run, built once for all benchmarks.
class RunningWindow {
public:
    RunningWindow() {
        rt::RewriteTextFile(window_.Folder() + "bench.txt", SplitFileText(), false);
        TMainForm& form = *MainForm;
        form.SplitData->LoadSplitFile(window_.Folder() + "bench.txt");
        form.ShowOpenedSplits();
        form.AutoSaveSplitState = false;

        form.SplitData->StartRun();
        for (int r = 0; r < kRows / 2; ++r) {
            rt::AdvanceTestClocks(29'500'000 + (r % 3) * 1'000'000);
            form.SplitData->MakeSplit(r % 9 == 0 ? "(1) Deaths\n" : "", {});
        }
        form.CentreOnRow(form.SplitData->GetCurrentSplit());
    }

private:
    MainWindowBench window_;
};

TMainForm& Window() {
    static RunningWindow window;
    return *MainForm;
}

void BM_DisplayTick(benchmark::State& state) {
    TMainForm& form = Window();
    for (auto _ : state) {
        rt::AdvanceTestClocks(75'000);
        form.DisplayTimerTimer(form.DisplayTimer);
    }
}
BENCHMARK(BM_DisplayTick);

// Every fill switches the time formats, so every text of the table changes as it does after
// an edit or a change of look.
void BM_FillTable(benchmark::State& state) {
    TMainForm& form = Window();
    bool plain = false;
    for (auto _ : state) {
        plain = !plain;
        form.TimerTimeFormatMode = plain ? 'C' : 'H';
        form.TimerDiffTimeFormatMode = plain ? 'C' : 'H';
        form.FillTable();
    }
    form.TimerTimeFormatMode = 'H';
    form.TimerDiffTimeFormatMode = 'H';
}
BENCHMARK(BM_FillTable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunOffscreenBenchmarks(argc, argv);
}
