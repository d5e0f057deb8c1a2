// links: lapwren_core
// Any bytes as a settings file: every key read before a save reads the same after it. A NUL or a
// Ctrl-Z inside a name or a value is saved as a space, so that is what reads back; two names that
// differ only there become one.
#include "core/IniFileClass.h"
#include "tests/fuzz/ScratchFolder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace {

std::string AsSaved(std::string text) {
    for (char& c : text)
        if (c == '\0' || c == '\x1a')
            c = ' ';
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = fuzzsupport::ScratchFolder() + "/Lapwren.ini";
    fuzzsupport::WriteBytes(file, std::string_view(reinterpret_cast<const char*>(data), size));

    IniFileClass before;
    before.Load(file);
    before.Save();
    IniFileClass after;
    after.Load(file);

    std::map<std::pair<std::string, std::string>, int> names;
    for (const auto& [section, entries] : before.sections)
        for (const auto& [key, value] : entries)
            ++names[{AsSaved(section), AsSaved(key)}];
    size_t read = 0;
    for (const auto& [section, entries] : before.sections) {
        for (const auto& [key, value] : entries) {
            const std::string savedSection = AsSaved(section);
            const std::string savedKey = AsSaved(key);
            const std::string got = after.GetString(savedSection, savedKey, "\x01missing");
            if (names[{savedSection, savedKey}] == 1 && got != AsSaved(value)) {
                std::fprintf(stderr, "[%s] %s read \"%s\" before a save and \"%s\" after it\n",
                             section.c_str(), key.c_str(), value.c_str(), got.c_str());
                std::abort();
            }
            ++read;
        }
    }
    // Nor does a save make up keys.
    size_t readAfter = 0;
    for (const auto& [section, entries] : after.sections)
        readAfter += entries.size();
    if (readAfter != names.size() || readAfter > read)
        std::abort();
    return 0;
}
