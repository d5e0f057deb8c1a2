#pragma once
// The scratch folder of the fuzz targets that load files: made once per program under the system's
// temporary folder and removed with its contents when the program exits.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

namespace fuzzsupport {

// A file every input finds in the folder, such as the split file a log or a state belongs to.
struct SeedFile {
    const char* name;
    std::string_view bytes;
};

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The folder's path, without a trailing '/'. The seed files are written when the first call
// makes the folder.
inline const std::string& ScratchFolder(std::initializer_list<SeedFile> seeds = {}) {
    // Never destroyed: the clean-up at exit still needs it.
    static const std::string& folder = *new std::string([seeds] {
        std::string pattern = (std::filesystem::temp_directory_path() / "lapwren-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(ScratchFolder(), ec);
        });
        for (const SeedFile& seed : seeds)
            WriteBytes(pattern + "/" + seed.name, seed.bytes);
        return pattern;
    }());
    return folder;
}

} // namespace fuzzsupport
