// links: lapwren_core
// The data files at their largest expected sizes: a split file of 5,000 rows by 6 columns loaded
// and saved, a run log of 100,000 complete runs of 20 splits loaded, and the split state of a
// 500-row run saved as the display tick saves it. Every file is written by the program itself
// into a scratch folder first. Times are wall-clock times: the saves include the atomic replace
// (and the split file its sync).
#include "core/FileDataClass.h"
#include "platform/runtime/Clock.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lapwren-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A table of the given size with every cell timed and every third cell noted, saved to the name.
void WriteSplitFile(const std::string& name, size_t rowCount, size_t columnCount) {
    FileDataClass table;
    table.fileName = name;
    table.title = "Benchmark run";
    table.totalAttempts = 1234;
    table.columns.push_back(std::make_unique<ColumnHeaderClass>("Best Splits"));
    for (size_t c = 1; c + 1 < columnCount; ++c)
        table.columns.push_back(std::make_unique<ColumnHeaderClass>("Run " + std::to_string(c)));
    table.columns.push_back(std::make_unique<ColumnHeaderClass>("Current"));
    for (size_t r = 0; r < rowCount; ++r) {
        auto row = std::make_unique<RowDataClass>(columnCount);
        row->title = "Split number " + std::to_string(r + 1);
        row->imageFileName = r % 10 == 0 ? "images/split.png" : "";
        row->hideable = r % 7 == 0;
        for (size_t c = 0; c + 1 < columnCount; ++c) {
            row->SetTime(c, static_cast<int32_t>((r + 1) * (3000 + 37 * c)));
            if ((r + c) % 3 == 0)
                row->SetNotes(c, "note\tof the cell\r\non two lines");
        }
        table.rows.push_back(std::move(row));
    }
    table.SaveSplitFile();
}

void BM_LoadSplitFile(benchmark::State& state) {
    ScratchFolder folder;
    const std::string name = folder.File("splits.txt");
    WriteSplitFile(name, 5000, 6);
    FileDataClass table;
    for (auto _ : state) {
        table.LoadSplitFile(name);
        if (table.GetRowCount() != 5000) {
            state.SkipWithError("the split file did not load");
            break;
        }
    }
}
BENCHMARK(BM_LoadSplitFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveSplitFile(benchmark::State& state) {
    ScratchFolder folder;
    const std::string name = folder.File("splits.txt");
    WriteSplitFile(name, 5000, 6);
    FileDataClass table;
    table.LoadSplitFile(name);
    for (auto _ : state)
        table.SaveSplitFile();
}
BENCHMARK(BM_SaveSplitFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadRunLog(benchmark::State& state) {
    ScratchFolder folder;
    const std::string name = folder.File("splits.txt");
    WriteSplitFile(name, 20, 3);
    FileDataClass table;
    table.LoadSplitFile(name);
    const size_t last = table.GetColumnCount() - 1;
    for (size_t r = 0; r < table.GetRowCount(); ++r)
        table.rows[r]->SetTime(last, static_cast<int32_t>((r + 1) * 6123));
    table.currentSplit = static_cast<uint32_t>(table.GetRowCount());
    // One run every ten minutes, so the runs spread over many days.
    rt::SetTestWallClock(int64_t{1'700'000'000} * 1'000'000);
    for (int run = 0; run < 100000; ++run) {
        table.timer->Reset(table.rows.back()->GetTime(last));
        table.AppendRunLog();
        rt::AdvanceTestWallClock(int64_t{600} * 1'000'000);
    }
    rt::UseSystemClocks();
    for (auto _ : state) {
        table.LoadRunLog();
        if (table.history.Count() != 100000) {
            state.SkipWithError("the run log did not load");
            break;
        }
    }
}
BENCHMARK(BM_LoadRunLog)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveSplitState(benchmark::State& state) {
    ScratchFolder folder;
    const std::string name = folder.File("splits.txt");
    WriteSplitFile(name, 500, 6);
    FileDataClass table;
    table.LoadSplitFile(name);
    const size_t last = table.GetColumnCount() - 1;
    for (size_t r = 0; r + 1 < table.GetRowCount(); ++r)
        table.rows[r]->SetTime(last, static_cast<int32_t>((r + 1) * 6123));
    table.currentSplit = static_cast<uint32_t>(table.GetRowCount() - 1);
    table.timer->Start(0);
    for (auto _ : state)
        table.SaveSplitState();
}
BENCHMARK(BM_SaveSplitState)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
