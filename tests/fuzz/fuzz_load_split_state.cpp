// links: lapwren_core
// Loads any bytes as a split state file, twice: as they are (the split file they name is usually
// missing, though "game.txt" exists beside them), and behind a first line that names the real split
// file, so the times and split count are read too. A restored run must save and load back the same.
#include "core/FileDataClass.h"
#include "tests/fuzz/ScratchFolder.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const char kSplitFile[] = "0\t0\r\nGame\tBest Splits\tPB\r\nA\t10.00\t10.00\r\n\t\t\r\n"
                          "B\t10.00\t20.00\r\n\t\t\r\nC\t10.00\t30.00\r\n\t\t\r\n";

const std::string& ScratchFolder() {
    return fuzzsupport::ScratchFolder({{"game.txt", kSplitFile}});
}

void LoadAndSaveBack(const std::string& bytes) {
    const std::string state = ScratchFolder() + "/state.txt";
    fuzzsupport::WriteBytes(state, bytes);
    FileDataClass table;
    table.defaultStateFileName = ScratchFolder() + "/Timer-SplitState.txt";
    table.LoadSplitState(state);
    if (table.IsTimerRunning())
        std::abort();
    if (!table.HasFile()) {
        if (!table.stateFileName.empty() || table.GetRowCount() != 0 || table.GetCurrentSplit() != 0)
            std::abort();
        return;
    }
    if (table.stateFileName != state || table.GetRowCount() != 3 || table.GetCurrentSplit() > 2)
        std::abort();

    // Saved back into the same state file, the run must come back as it was.
    table.SaveSplitState();
    FileDataClass again;
    again.LoadSplitState(state);
    if (!again.HasFile() || again.GetCurrentSplit() != table.GetCurrentSplit())
        std::abort();
    if (table.GetElapsed() != INT32_MIN && again.GetElapsed() != table.GetElapsed())
        std::abort();
    for (size_t r = 0; r < table.GetRowCount(); ++r) {
        const int32_t time = table.GetCellTime(r, 2);
        if (time != INT32_MIN && again.GetCellTime(r, 2) != time)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // A name climbing out of the scratch folder could reach a device that never ends.
    if (bytes.find("..") != std::string::npos)
        return 0;
    LoadAndSaveBack(bytes);
    LoadAndSaveBack("LPWSplitState\tgame.txt\r\n" + bytes);
    return 0;
}
