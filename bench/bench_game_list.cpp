// links: lapwren_upload
// The upload dialog taking a game-list reply, offscreen: its reply handler fills the sorted game
// list and the code list from a reply already read, as it does when the worker has finished. The
// names come in an order unrelated to their codes, so every game lands somewhere in the middle.
#include "bench/OffscreenMain.h"
#include "platform/forms/Application.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Timer.h"
#include "upload/CommunicationThread.h"
#include "upload/Json.h"
#include "upload/UploadSplitsUnit.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// A reply of the given number of games; some names repeat, in other letter case too.
json::Object GameListReply(int games) {
    static const char* const kWords[] = {"Super", "quest", "Dragon", "jumper", "Legend", "of",     "the",
                                         "Night", "Sword", "racer",  "Metal",  "Star",   "galaxy", "Kart"};
    constexpr int kWordCount = sizeof kWords / sizeof kWords[0];
    std::string text = R"({"result":"success","message":"","data":{)";
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    char code[16];
    for (int i = 0; i < games; ++i) {
        std::snprintf(code, sizeof code, "g%06d", i);
        if (i > 0)
            text += ',';
        text += '"';
        text += code;
        text += R"(":")";
        for (int w = 0; w < 3; ++w) {
            text += kWords[next() % kWordCount];
            text += ' ';
        }
        text += std::to_string(next() % static_cast<std::uint32_t>(games));
        text += '"';
    }
    text += "}}";
    json::Value value = json::Deserialize(text);
    return value.AsObject();
}

TUploadSplitsForm& Dialog() {
    static TUploadSplitsForm* dialog = [] {
        Application.Initialize();
        Application.CreateForm(UploadSplitsForm);
        // A server to send to; the worker's request stays empty, so it ends at once without
        // touching the network, and the prepared reply takes the place of its answer.
        auto* server = new ComboBoxDataClass();
        server->Code = "bench.invalid";
        UploadSplitsForm->ServerComboBox->Items()->AddObject("Bench", server);
        UploadSplitsForm->ServerComboBox->SetItemIndex(0);
        return UploadSplitsForm;
    }();
    return *dialog;
}

void FillGameList(benchmark::State& state, int games) {
    TUploadSplitsForm& dialog = Dialog();
    const json::Object reply = GameListReply(games);
    for (auto _ : state) {
        state.PauseTiming();
        TUploadSplitsForm::ClearComboBox(dialog.GameListComboBox, &dialog.GameCodes);
        CommunicationThread* worker = dialog.CreateWorker();
        if (worker == nullptr || !dialog.StartWorker(TUploadSplitsForm::GameListRequest)) {
            state.SkipWithError("no worker");
            break;
        }
        while (!worker->Finished())
            std::this_thread::yield();
        worker->Result = reply;
        state.ResumeTiming();

        dialog.CommunicationTimerTimer(dialog.CommunicationTimer);

        if (dialog.GameListComboBox->Items()->Count() != games || dialog.GameCodes.Count() != games) {
            state.SkipWithError("the list was not filled");
            break;
        }
    }
    TUploadSplitsForm::ClearComboBox(dialog.GameListComboBox, &dialog.GameCodes);
}

void BM_FillGameList(benchmark::State& state) {
    FillGameList(state, 20000);
}
BENCHMARK(BM_FillGameList)->Unit(benchmark::kMillisecond);

// How the fill grows: 100,000 games, five times the list above.
void BM_FillGameListGrowth(benchmark::State& state) {
    FillGameList(state, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_FillGameListGrowth)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunOffscreenBenchmarks(argc, argv);
}
