#include "platform/runtime/ProgramPath.h"

#include <mutex>
#include <unistd.h>

namespace rt {

namespace {

std::mutex overrideMutex;
std::string overrideDirectory;
bool overridden = false;

std::string ExecutableDirectory() {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) {
        return "./";
    }
    std::string path(buffer, static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return "./";
    }
    return path.substr(0, slash + 1);
}

} // namespace

std::string ProgramDirectory() {
    {
        std::lock_guard<std::mutex> lock(overrideMutex);
        if (overridden) {
            return overrideDirectory;
        }
    }
    static const std::string directory = ExecutableDirectory();
    return directory;
}

void SetProgramDirectoryForTests(const std::string& directory) {
    std::lock_guard<std::mutex> lock(overrideMutex);
    overrideDirectory = directory;
    if (!overrideDirectory.empty() && overrideDirectory.back() != '/') {
        overrideDirectory += '/';
    }
    overridden = !directory.empty();
}

} // namespace rt
