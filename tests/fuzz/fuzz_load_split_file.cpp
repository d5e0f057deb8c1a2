// links: lapwren_core
// Loads any bytes as a split file. What loads must save and load again to the same table: the
// second save writes exactly the bytes of the first.
#include "core/FileDataClass.h"
#include "tests/fuzz/ScratchFolder.h"
#include "tests/fuzz/SplitFileValues.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using fuzzsupport::ReadBytes;
using fuzzsupport::RoundTripsExactly;
using fuzzsupport::ScratchFolder;

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
