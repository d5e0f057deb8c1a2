#pragma once
// Helpers of the data-file tests: a scratch folder, raw file bytes, the golden files, and a save
// run in a child process that the kernel kills part way through its write.

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace datafiles {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lapwren-data-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string GoldenPath(const std::string& name) {
    return std::string(LAPWREN_TEST_DATA) + "/golden/" + name;
}

inline std::string Golden(const std::string& name) {
    return ReadBytes(GoldenPath(name));
}

// Runs the save in a forked child whose file size limit is a few bytes, and ends the child there
// and then when a write passes it, as a crash would. The program ignores the signal of such a
// write but keeps a handler set before it; this one ends the child with nothing cleaned up. True
// when the child ended that way.
inline bool CrashWhileWriting(const std::function<void()>& save) {
    constexpr int kCrashed = 86;
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, [](int) { _exit(kCrashed); });
        const rlimit tiny{16, 16};
        setrlimit(RLIMIT_FSIZE, &tiny);
        save();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == kCrashed;
}

} // namespace datafiles
