#pragma once
// Helpers of the runtime tests: a scratch folder removed with its contents, whole-file reads and
// writes in binary, and a way to run a piece of code without the power to write everywhere.

#include <functional>
#include <optional>
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

// Runs the code in a child process that is killed after the given seconds: what the code
// returned, or nothing where it had not ended by then.
std::optional<bool> RunWithDeadline(unsigned seconds, const std::function<bool()>& code);

// A tmpfs of a given size mounted on a scratch folder, in a mount namespace of the test process's
// own, so the mount never outlives the process. Where the machine does not allow the mount (not
// root, no mount rights), Mounted() is false and Why() says so.
class SmallTmpfs {
public:
    explicit SmallTmpfs(const std::string& size);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }
    std::string operator/(const std::string& name) const { return folder_ / name; }
    // Takes every free block with a file of its own, so that the next one asked for fails.
    void Fill() const;

private:
    TempFolder folder_;
    bool mounted_ = false;
    std::string why_;
};

// The unprivileged user and group of RunUnprivileged when the tests run as root.
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
