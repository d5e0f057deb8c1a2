#include "tests/runtime/support/TempFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <sched.h>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

TempFolder::TempFolder() {
    std::string templ = (std::filesystem::temp_directory_path() / "lapwren-test-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = templ;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Folders a test made read-only must become writable again to be removed.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
        if (entry.is_directory(ec) && !entry.is_symlink(ec)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
    }
    std::filesystem::remove_all(path_, ec);
}

std::string TempFolder::Listing() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto& entry : std::filesystem::directory_iterator(path_, ec)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string text;
    for (const auto& name : names) {
        text += (text.empty() ? "" : " ") + name;
    }
    return text;
}

std::string ReadBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& fileName, const std::string& bytes) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

mode_t ModeOf(const std::string& fileName) {
    struct stat st {};
    if (stat(fileName.c_str(), &st) != 0) {
        return 0;
    }
    return st.st_mode & 07777;
}

ino_t InodeOf(const std::string& fileName) {
    struct stat st {};
    return stat(fileName.c_str(), &st) == 0 ? st.st_ino : 0;
}

uid_t OwnerOf(const std::string& fileName) {
    struct stat st {};
    return stat(fileName.c_str(), &st) == 0 ? st.st_uid : static_cast<uid_t>(-1);
}

gid_t GroupOf(const std::string& fileName) {
    struct stat st {};
    return stat(fileName.c_str(), &st) == 0 ? st.st_gid : static_cast<gid_t>(-1);
}

mode_t CurrentUmask() {
    mode_t mask = umask(022);
    umask(mask);
    return mask;
}

bool RunUnprivileged(const std::function<bool()>& code) {
    if (geteuid() != 0) {
        return code();
    }
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        // Root's own groups go too, or the child could still write what they may write.
        if (setgroups(0, nullptr) != 0 || setgid(kNoGroup) != 0 || setuid(kNobody) != 0) {
            _exit(2);
        }
        _exit(code() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 2) {
        throw std::runtime_error("the unprivileged child failed");
    }
    return WEXITSTATUS(status) == 1;
}

std::optional<bool> RunWithDeadline(unsigned seconds, const std::function<bool()>& code) {
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        alarm(seconds);
        _exit(code() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status)) {
        return std::nullopt;
    }
    return WEXITSTATUS(status) == 1;
}

SmallTmpfs::SmallTmpfs(const std::string& size) {
    if (geteuid() != 0) {
        why_ = "needs root, to mount a small tmpfs";
        return;
    }
    // Once per process: mounts made from here on stay in this process and vanish with it.
    static const int privateMounts = [] {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return errno;
        }
        return 0;
    }();
    if (privateMounts != 0) {
        why_ = std::string("cannot keep the test's mounts to itself (in a chroot?): ") +
               std::strerror(privateMounts);
        return;
    }
    const std::string options = "size=" + size + ",mode=0755";
    if (mount("tmpfs", folder_.Path().c_str(), "tmpfs", 0, options.c_str()) != 0) {
        why_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
        return;
    }
    mounted_ = true;
}

SmallTmpfs::~SmallTmpfs() {
    if (mounted_) {
        umount2(folder_.Path().c_str(), MNT_DETACH);
    }
}

void SmallTmpfs::Fill() const {
    int fd = open((*this / ".filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw std::runtime_error("cannot create the filler file");
    }
    const std::string block(4096, 'f');
    while (write(fd, block.data(), block.size()) > 0) {
    }
    close(fd);
}
