// links: lapwren_core
// Any text parses to some time in every mode without undefined behaviour, and every value that
// the text comes to (except the most negative, which has no text) comes back from its own text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/TimeText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte is the mode; the rest is the text.
    const char mode = static_cast<char>(data[0]);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const int32_t value = ParseTime(text, mode);
    AtoL(text);

    for (char format : {mode, 'H', 'M', 'S', 'C'}) {
        for (int flags = 0; flags < 4; ++flags) {
            const std::string shown = FormatTime(value, flags & 1, flags & 2, format);
            if (shown.empty()) {
                std::abort();
            }
        }
    }
    if (value != INT32_MIN) {
        for (bool compact : {true, false}) {
            if (ParseTime(FormatTime(value, compact, false, 'H'), 'H') != value) {
                std::abort();
            }
        }
        if (ParseTime(FormatTime(value, true, false, 'C'), 'C') != value) {
            std::abort();
        }
    }
    return 0;
}
