#pragma once
// Helpers of the runtime tests: a scratch folder removed with its contents, whole-file reads and
// writes in binary, and a way to run a piece of code without the power to write everywhere.

#include <functional>
#include <string>
#include <sys/types.h>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // The path of a name inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Names of the entries of the folder, sorted.
    std::string Listing() const;

private:
    std::string path_;
};

std::string ReadBytes(const std::string& fileName);
void WriteBytes(const std::string& fileName, const std::string& bytes);
mode_t ModeOf(const std::string& fileName);
mode_t CurrentUmask();
ino_t InodeOf(const std::string& fileName);
uid_t OwnerOf(const std::string& fileName);
gid_t GroupOf(const std::string& fileName);

// Runs the code in a child process that cannot write into folders it does not own (as root the
// child becomes the unprivileged user "nobody"); answers what the code returned.
bool RunUnprivileged(const std::function<bool()>& code);

// The unprivileged user and group of RunUnprivileged when the tests run as root.
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
