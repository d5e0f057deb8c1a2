// links: lapwren_core
// Any bytes as a settings file load, answer their getters, save and load again without a crash;
// a store of plain keys comes back unchanged from its saved file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "core/IniFileClass.h"

namespace {

const std::string& ScratchFile() {
    static const std::string name = [] {
        // Memory-backed when possible: every save syncs, which a disk would make slow.
        char templ[] = "/dev/shm/lapwren-fuzz-ini-XXXXXX";
        int fd = mkstemp(templ);
        if (fd < 0) {
            std::strcpy(templ, "/tmp/lapwren-fuzz-ini-XXXXXX");
            fd = mkstemp(templ);
        }
        if (fd >= 0) {
            close(fd);
        }
        static std::string path = templ;
        std::atexit([] { unlink(path.c_str()); });
        return path;
    }();
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& file = ScratchFile();
    FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, out);
    std::fclose(out);

    IniFileClass ini;
    ini.Load(file);
    if (ini.fileName != file) {
        std::abort();
    }
    for (const auto& [section, entries] : ini.sections) {
        if (entries.empty()) {
            std::abort();
        }
        for (const auto& [key, value] : entries) {
            ini.GetInt(section, key, 0);
            ini.GetDouble(section, key, 0.0);
            ini.GetChar(section, key, 'x');
        }
    }
    ini.Save();

    IniFileClass again;
    again.Load(file);
    // A store whose keys are plain (not empty, not beginning with "[" as a header would) comes
    // back whole from its saved file, where no text holds a NUL or a Ctrl-Z (saved as spaces).
    const auto clean = [](const std::string& text) {
        return text.find_first_of(std::string("\0\x1a", 2)) == std::string::npos;
    };
    bool plain = true;
    for (const auto& [section, entries] : ini.sections) {
        plain = plain && clean(section);
        for (const auto& [key, value] : entries) {
            plain = plain && !key.empty() && key[0] != '[' && clean(key) && clean(value);
        }
    }
    if (plain && again.sections != ini.sections) {
        std::abort();
    }
    return 0;
}
