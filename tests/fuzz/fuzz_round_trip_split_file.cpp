// links: lapwren_core
// Any split file that loads, saved and loaded again, gives the same table: every title, flag,
// image name, time and note; and a second save writes the bytes of the first.
#include "core/FileDataClass.h"
#include "tests/fuzz/ScratchFolder.h"
#include "tests/fuzz/SplitFileValues.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Expect(bool same, const char* what) {
    if (!same) {
        std::fprintf(stderr, "a saved split file loaded back with another %s\n", what);
        std::abort();
    }
}

void ExpectSameTable(const FileDataClass& a, const FileDataClass& b) {
    Expect(a.totalAttempts == b.totalAttempts, "attempt count");
    Expect(a.startOffset == b.startOffset, "start offset");
    Expect(a.title == b.title, "title");
    Expect(a.titleImageFileName == b.titleImageFileName, "title image");
    Expect(a.GetColumnCount() == b.GetColumnCount(), "column count");
    for (size_t c = 0; c < a.GetColumnCount(); ++c)
        Expect(a.GetColumnTitle(c) == b.GetColumnTitle(c), "column title");
    Expect(a.GetRowCount() == b.GetRowCount(), "row count");
    const size_t stored = a.GetColumnCount() - 1; // the current run's column is never saved
    for (size_t r = 0; r < a.GetRowCount(); ++r) {
        Expect(a.GetRowTitle(r) == b.GetRowTitle(r), "row title");
        Expect(a.GetRowImageFileName(r) == b.GetRowImageFileName(r), "row image");
        Expect(a.IsRowHideable(r) == b.IsRowHideable(r), "hideable flag");
        for (size_t c = 0; c < stored; ++c) {
            Expect(a.GetCellTime(r, c) == b.GetCellTime(r, c), "time");
            Expect(a.GetCellNotes(r, c) == b.GetCellNotes(r, c), "note");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = fuzzsupport::ScratchFolder() + "/input.txt";
    const std::string copy = fuzzsupport::ScratchFolder() + "/copy.txt";
    fuzzsupport::WriteBytes(input, std::string_view(reinterpret_cast<const char*>(data), size));

    FileDataClass first;
    first.LoadSplitFile(input);
    if (!first.HasFile() || !fuzzsupport::RoundTripsExactly(first))
        return 0;
    first.fileName = copy;
    first.SaveSplitFile();
    const std::string saved = fuzzsupport::ReadBytes(copy);

    FileDataClass second;
    second.LoadSplitFile(copy);
    Expect(second.HasFile(), "refusal");
    ExpectSameTable(first, second);
    second.SaveSplitFile();
    Expect(fuzzsupport::ReadBytes(copy) == saved, "text on its second save");
    return 0;
}
