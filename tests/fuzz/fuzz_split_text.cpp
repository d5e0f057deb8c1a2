// links: lapwren_core
// Any bytes cut into lines and fields, escaped and unescaped, keep the promises the file readers
// build on: no line holds a line end, no field a tab, the fields join back into their line, and
// an escaped note is one field of one line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/TextHelpers.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    StringList lines;
    SplitLines(text, lines);
    size_t total = 0;
    for (const std::string& line : lines) {
        Check(line.find_first_of("\r\n") == std::string::npos);
        total += line.size();
        StringList fields;
        SplitFields(line, fields);
        std::string joined;
        for (size_t i = 0; i < fields.size(); ++i) {
            Check(fields[i].find('\t') == std::string::npos);
            joined += (i == 0 ? "" : "\t") + fields[i];
        }
        // One trailing tab adds no field.
        Check(joined == line || joined + "\t" == line);
    }
    Check(total <= text.size());

    const std::string escaped = EscapeText(text);
    Check(escaped.find_first_of("\t\r\n") == std::string::npos);
    // A stored note survives any number of edits that read and store it again.
    Check(EscapeText(UnescapeText(escaped)) == escaped);

    HexToColor(text, false);
    Check(HexToColor(text, true) <= 0xFFFFFF);
    Check(ToLowerCase(ToUpperCase(text)).size() == text.size());
    return 0;
}
