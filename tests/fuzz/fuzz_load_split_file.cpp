// links: lapwren_core
// Loads any bytes as a split file. What loads must save and load again to the same table: the
// second save writes exactly the bytes of the first.
#include "core/FileDataClass.h"
#include "tests/fuzz/ScratchFolder.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

using fuzzsupport::ReadBytes;
using fuzzsupport::ScratchFolder;

namespace {

// The values a save cannot carry: the most negative time (no time text expresses it) and a last
// row's image name that itself begins with the hideable prefix.
bool RoundTripsExactly(const FileDataClass& table) {
    if (table.startOffset == INT32_MIN)
        return false;
    int32_t previous = 0;
    for (const auto& row : table.rows) {
        for (const auto& cell : row->cells) {
            if (cell->time == INT32_MIN)
                return false;
        }
        const int32_t best = row->cells[0]->time;
        if (static_cast<int32_t>(static_cast<uint32_t>(best) - static_cast<uint32_t>(previous)) == INT32_MIN)
            return false;
        previous = best;
    }
    return table.rows.empty() || !table.rows.back()->imageFileName.starts_with("H|");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = ScratchFolder() + "/input.txt";
    const std::string copy = ScratchFolder() + "/copy.txt";
    fuzzsupport::WriteBytes(input, std::string_view(reinterpret_cast<const char*>(data), size));

    FileDataClass table;
    table.LoadSplitFile(input);
    if (!table.HasFile()) {
        if (table.GetRowCount() != 0 || table.GetColumnCount() != 0)
            std::abort();
        return 0;
    }
    if (table.GetColumnCount() < 2 || table.GetCurrentSplit() != 0)
        std::abort();
    if (table.GetRowCount() > 0 && table.IsRowHideable(table.GetRowCount() - 1))
        std::abort();

    table.fileName = copy;
    table.SaveSplitFile();
    const std::string first = ReadBytes(copy);
    FileDataClass again;
    again.LoadSplitFile(copy);
    if (!again.HasFile() || again.GetRowCount() != table.GetRowCount() ||
        again.GetColumnCount() != table.GetColumnCount())
        std::abort();
    again.SaveSplitFile();
    if (RoundTripsExactly(table) && ReadBytes(copy) != first) {
        std::fprintf(stderr, "a saved split file did not load back to the same table\n");
        std::abort();
    }
    return 0;
}
