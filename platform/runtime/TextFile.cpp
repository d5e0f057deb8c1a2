#include "platform/runtime/TextFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <new>
#include <stdexcept>
#include <string_view>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace rt {

namespace {

constexpr char kCtrlZ = 0x1A;
// As many links as the kernel itself follows before it gives up on a loop.
constexpr int kMaxLinks = 40;
// No file of the program comes near this: a split file of 5,000 rows and 6 columns is about
// 1 MB, and a run log of 100,000 runs of 20 splits about 19 MB. A larger file is refused as one
// that cannot be read, rather than held in memory, along with the lines cut from it.
constexpr int64_t kMaxFileBytes = int64_t{256} * 1024 * 1024;
// How long an appender waits for another to finish before it appends without its turn.
constexpr auto kLockWait = std::chrono::milliseconds(250);

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Editors on other systems often put a UTF-8 byte order mark in front of the text. It is no part
// of the first line: read as one, it would spoil the first field or section of every file.
size_t ByteOrderMarkLength(std::string_view bytes) {
    return bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

bool IsPadding(char c) {
    return c == kCtrlZ || c == '\0';
}

// Looks at the bytes from the last one backwards, as the tail of a text: end becomes the index of
// each NUL or Ctrl-Z met before any byte of text, and is left as it is otherwise. True once a
// byte of text was met, where the tail ends.
bool ScanTail(std::string_view bytes, size_t& end) {
    for (size_t i = bytes.size(); i > 0; --i) {
        const char c = bytes[i - 1];
        if (IsPadding(c)) {
            end = i - 1;
        } else if (c != '\r' && c != '\n') {
            return true;
        }
    }
    return false;
}

// Where the text of the bytes ends: at the first Ctrl-Z or NUL after which nothing but more of
// them and line ends follow, as old files end with a Ctrl-Z and a power cut leaves a block of
// NULs. Anywhere else both are kept: a reader that stopped there would have a save drop
// everything after them.
size_t TextEnd(std::string_view bytes, size_t begin) {
    size_t end = bytes.size() - begin;
    ScanTail(bytes.substr(begin), end);
    return begin + end;
}

bool StartsWithByteOrderMark(int fd) {
    char head[kByteOrderMark.size()];
    return pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
           std::string_view(head, sizeof head) == kByteOrderMark;
}

// TextEnd for an open file of the given size, read backwards from its end only as far as the
// padding goes. The size itself where a read fails: nothing is taken for padding unseen.
off_t TextEndOf(int fd, off_t size, off_t begin) {
    char buffer[4096];
    off_t end = size;
    off_t at = size;
    while (at > begin) {
        const off_t from = std::max(begin, at - static_cast<off_t>(sizeof buffer));
        const size_t length = static_cast<size_t>(at - from);
        ssize_t n;
        do {
            n = pread(fd, buffer, length, from);
        } while (n < 0 && errno == EINTR);
        if (n != static_cast<ssize_t>(length)) {
            return size;
        }
        size_t chunkEnd = length;
        const bool textMet = ScanTail(std::string_view(buffer, length), chunkEnd);
        if (chunkEnd < length) {
            end = from + static_cast<off_t>(chunkEnd);
        }
        if (textMet) {
            return end;
        }
        at = from;
    }
    return end;
}

// False when a read fails, or when the file is larger than any file of the program or than the
// memory left can hold; the bytes are then of no use.
bool ReadAllBytes(int fd, std::string& bytes) {
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > kMaxFileBytes) {
        return false;
    }
    try {
        if (st.st_size > 0) {
            bytes.reserve(static_cast<size_t>(st.st_size));
        }
        char buffer[65536];
        for (;;) {
            ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            if (n == 0) {
                return true;
            }
            // A file that grows while it is read is held to the same limit.
            if (static_cast<int64_t>(bytes.size()) + n > kMaxFileBytes) {
                return false;
            }
            bytes.append(buffer, static_cast<size_t>(n));
        }
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

// Runs a read or a write of length bytes through step(done) (the bytes handled so far, whatever
// step itself handles), again where a signal interrupted it; false where it fails or the file
// ends before all of them.
template <typename Transfer> bool Whole(size_t length, Transfer step) {
    size_t done = 0;
    while (done < length) {
        const ssize_t n = step(done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const std::string& bytes) {
    return Whole(bytes.size(),
                 [&](size_t done) { return write(fd, bytes.data() + done, bytes.size() - done); });
}

// Reads length bytes at the offset; false where the file ends before them or a read fails.
bool ReadAt(int fd, char* data, size_t length, off_t at) {
    return Whole(length, [&](size_t done) {
        return pread(fd, data + done, length - done, at + static_cast<off_t>(done));
    });
}

// Writes the bytes over the file's own at the offset, on a descriptor that does not append.
bool WriteAt(int fd, off_t at, std::string_view bytes) {
    return Whole(bytes.size(), [&](size_t done) {
        return pwrite(fd, bytes.data() + done, bytes.size() - done, at + static_cast<off_t>(done));
    });
}

// On a descriptor opened for appending every write lands at the end, whatever offset it names:
// to write over bytes of its own, an appender turns appending off and on again.
bool SetAppending(int fd, bool on) {
    const int flags = fcntl(fd, F_GETFL);
    return flags != -1 && fcntl(fd, F_SETFL, on ? (flags | O_APPEND) : (flags & ~O_APPEND)) == 0;
}

std::function<void(FileStep)>& StepHook() {
    static std::function<void(FileStep)> hook;
    return hook;
}

void Step(FileStep step) {
    if (const auto& hook = StepHook()) {
        hook(step);
    }
}

void AppendDiskText(std::string& out, const std::string& text) {
    size_t start = 0;
    for (;;) {
        size_t lf = text.find('\n', start);
        if (lf == std::string::npos) {
            out.append(text, start, std::string::npos);
            return;
        }
        out.append(text, start, lf - start);
        out += "\r\n";
        start = lf + 1;
    }
}

// A descriptor closed with its holder.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Reset(-1); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    void Reset(int fd) {
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = fd;
    }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_ = -1;
};

// A folder held to look up names in, never read: search permission is all it needs. Without
// following a link, so only a real folder is opened.
int OpenFolder(int folder, const char* name) {
    return openat(folder, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// In a sticky folder that everyone may write (such as /tmp), a link is followed only when it
// belongs to the writer or to the folder's owner, as the kernel does with protected_symlinks on:
// otherwise anyone could plant a link that points a save at the user's own files. Applied
// whatever the machine's setting. The folder is the one that holds the link.
bool MayFollowLink(int folder, const struct stat& linkStat) {
    struct stat st {};
    if (fstat(folder, &st) != 0) {
        return false;
    }
    if ((st.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH)) {
        return true;
    }
    return linkStat.st_uid == geteuid() || linkStat.st_uid == st.st_uid;
}

// Pushes the parts of a path between its slashes, last first, so that the first comes off the
// back first. Empty parts (from "//" or a slash at the end) are kept: after a file, even they
// make the path one that does not resolve.
void PushParts(const std::string& path, std::vector<std::string>& parts) {
    size_t end = path.size();
    for (;;) {
        const size_t slash = end == 0 ? std::string::npos : path.rfind('/', end - 1);
        const size_t start = slash == std::string::npos ? 0 : slash + 1;
        parts.push_back(path.substr(start, end - start));
        if (slash == std::string::npos) {
            if (!path.empty() && path[0] == '/') {
                parts.pop_back(); // the part before a leading slash
            }
            return;
        }
        end = slash;
    }
}

// The folder and the name in it that a write to the path really reaches, found by walking the
// path a part at a time from the folder reached so far and following each symbolic link by hand
// (a relative link is relative to the folder holding it, ".." is the parent of the folder
// reached). Every link met, in a folder on the way or at the end, must pass MayFollowLink. Each
// folder is held open once reached, so nothing is looked up by its path again: a link put in the
// place of a folder since is not followed, and no length limit but the kernel's applies to how
// deep the file lies. The name names no link, so a replace keeps the link itself; it is "."
// where the path ends in a folder. A missing last part is a new file; any other missing part, or
// a part that is no folder, fails the walk, as the kernel fails such a path.
bool WalkTo(const std::string& path, Descriptor& folder, std::string& name) {
    if (path.empty()) {
        return false;
    }
    std::vector<std::string> parts;
    PushParts(path, parts);
    folder.Reset(OpenFolder(AT_FDCWD, path[0] == '/' ? "/" : "."));
    int links = 0;
    while (folder.Get() >= 0 && !parts.empty()) {
        const std::string part = std::move(parts.back());
        parts.pop_back();
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            folder.Reset(OpenFolder(folder.Get(), ".."));
            continue;
        }
        struct stat st {};
        if (fstatat(folder.Get(), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            // A missing last part is a new file; a part the kernel would refuse fails here.
            if (errno != ENOENT || !parts.empty()) {
                return false;
            }
            name = part;
            return true;
        }
        if (S_ISDIR(st.st_mode)) {
            folder.Reset(OpenFolder(folder.Get(), part.c_str()));
            continue;
        }
        if (!S_ISLNK(st.st_mode)) {
            // A file ends the path; anything after it, even a slash, is no folder's part.
            if (!parts.empty()) {
                return false;
            }
            name = part;
            return true;
        }
        // The link is held open itself, so the one checked is the one read.
        const Descriptor link(openat(folder.Get(), part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat linkStat {};
        if (link.Get() < 0 || fstat(link.Get(), &linkStat) != 0 || !S_ISLNK(linkStat.st_mode) ||
            ++links > kMaxLinks || !MayFollowLink(folder.Get(), linkStat)) {
            return false;
        }
        char buffer[PATH_MAX];
        const ssize_t length = readlinkat(link.Get(), "", buffer, sizeof buffer);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) {
            return false;
        }
        if (buffer[0] == '/') {
            folder.Reset(OpenFolder(AT_FDCWD, "/"));
        }
        PushParts(std::string(buffer, static_cast<size_t>(length)), parts);
    }
    name = ".";
    return folder.Get() >= 0;
}

// The mode that a newly created file gets from open(): 0666 without the umask. Read once from
// /proc so that no other thread ever sees a changed umask.
mode_t NewFileMode() {
    static const mode_t mode = [] {
        mode_t mask = 022;
        bool found = false;
        if (FILE* status = std::fopen("/proc/self/status", "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, status)) {
                unsigned value = 0;
                if (std::sscanf(line, "Umask: %o", &value) == 1) {
                    mask = static_cast<mode_t>(value);
                    found = true;
                    break;
                }
            }
            std::fclose(status);
        }
        if (!found) {
            mask = umask(022);
            umask(mask);
        }
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

// Opens a file for reading or writing only when it is a plain file. The name is looked at before
// it is opened, so a FIFO or a device is never opened at all (opening some devices does something
// by itself: a tape rewinds, a modem line is raised); the open cannot block or take a terminal,
// and what it opened must be the file that was looked at. A missing file is created only where
// nothing else took the name in between. The name is looked up in the folder (AT_FDCWD: the
// current one). -1 otherwise.
int OpenPlainFile(int folder, const std::string& name, int flags, struct stat& st) {
    const bool create = (flags & O_CREAT) != 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        struct stat seen {};
        const bool exists =
            fstatat(folder, name.c_str(), &seen, (flags & O_NOFOLLOW) != 0 ? AT_SYMLINK_NOFOLLOW : 0) == 0;
        if (exists && !S_ISREG(seen.st_mode)) {
            return -1;
        }
        if (!exists && (errno != ENOENT || !create)) {
            return -1;
        }
        const int how = (flags & ~O_CREAT) | (exists ? 0 : O_CREAT | O_EXCL);
        int fd = openat(folder, name.c_str(), how | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
        if (fd < 0) {
            // The name came or went since it was looked at: look again, once.
            if (create && (errno == EEXIST || errno == ENOENT)) {
                continue;
            }
            return -1;
        }
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
            (exists && (st.st_dev != seen.st_dev || st.st_ino != seen.st_ino))) {
            close(fd);
            return -1;
        }
        const int status = fcntl(fd, F_GETFL);
        if (status == -1 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }
    return -1;
}

int OpenPlainFile(const std::string& name, int flags, struct stat& st) {
    return OpenPlainFile(AT_FDCWD, name, flags, st);
}

// Whether renaming a new file over the old one keeps what the old one had: its one name, its
// owner, its access ACL (whose named entries a new file would not get, while the permission bits
// copied from the old file would hand the ACL's mask to the group). The group is settled once the
// new file exists, the permissions at Close. All of it is read by the folder and the name, never
// by opening the file for reading or writing: another program may hold a lease on it (a file
// server, a sync tool), and such an open would fail on the lease or break it. A descriptor of
// O_PATH opens nothing and breaks no lease; the ACL is read through its name under /proc. old then
// holds what that file is now. False where this cannot be told, which leaves it to the write in
// place to open the file or fail.
bool ReplaceKeepsTheFile(int folder, const std::string& name, struct stat& old) {
    const Descriptor file(openat(folder, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (file.Get() < 0 || fstat(file.Get(), &old) != 0 || !S_ISREG(old.st_mode) || old.st_nlink != 1 ||
        old.st_uid != geteuid()) {
        return false;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(file.Get());
    // No such attribute, or a file system without them: no ACL. Any other answer (no /proc) is
    // none to go by.
    return getxattr(path.c_str(), "system.posix_acl_access", nullptr, 0) < 0 &&
           (errno == ENODATA || errno == EOPNOTSUPP);
}

// Creates a new file of mode 0600 in the folder, named by the prefix and six letters or digits
// drawn at random, as mkostemp does by a path. -1 with errno set where no name could be had.
int CreateTemporaryFile(int folder, const std::string& prefix, std::string& name) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<uint64_t> drawn{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        uint64_t bits = 0;
        if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
            // Before the kernel's pool is ready: the clock and a count, mixed.
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            bits = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 30) ^
                   (static_cast<uint64_t>(getpid()) << 40) ^ (drawn.fetch_add(1) * 0x9E3779B97F4A7C15ull);
        }
        name = prefix;
        for (int i = 0; i < 6; ++i) {
            name += kDigits[bits % 62];
            bits /= 62;
        }
        const int fd = openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Makes sure that the file has room for the new bytes before any of its old text is written
// over. Where the file system reserves no room (no fallocate), the part of the new text that lies
// past the old end is written first: when that fails, the old text is still whole.
bool MakeRoom(int fd, const std::string& bytes, off_t oldSize) {
    const off_t length = static_cast<off_t>(bytes.size());
    int result;
    do {
        result = fallocate(fd, 0, 0, length);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        return true;
    }
    if (errno != EOPNOTSUPP && errno != ENOSYS) {
        return false;
    }
    if (length <= oldSize) {
        return true;
    }
    return lseek(fd, oldSize, SEEK_SET) == oldSize &&
           WriteAll(fd, bytes.substr(static_cast<size_t>(oldSize))) && lseek(fd, 0, SEEK_SET) == 0;
}

// Errors of a folder or a rename that refuses this user, where writing the file itself may still
// be allowed. Anything else (a full disk, a read-only file system) would fail in place as well,
// or worse, cut the old file short.
bool RefusedToThisUser(int error) {
    return error == EACCES || error == EPERM;
}

// A write past the file size limit (ulimit -f) must fail with EFBIG and be handled as a full disk
// is, not kill the program halfway through: the signal the kernel sends with it is ignored, once,
// before the first write. A handler the program set up itself is left in place.
void IgnoreFileSizeSignal() {
    static const bool ignored = [] {
        struct sigaction current {};
        if (sigaction(SIGXFSZ, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0 ||
            current.sa_handler != SIG_DFL) {
            return false;
        }
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        return sigaction(SIGXFSZ, &ignore, nullptr) == 0;
    }();
    (void)ignored;
}

// Ends the old text where the padding after it, [from, size), begins, without cutting the padding
// off: a line that an appender without its turn wrote after the padding since the look would go
// with it. The padding's first byte becomes a line end where the text before it has none (a
// reader that keeps a line only up to its first NUL would join that line to the next), and every
// Ctrl-Z in it a NUL (a text-mode reader stops at one). What is left of it is at most one line of
// NULs, which readers skip. Only the NULs and Ctrl-Z that were looked at are written over: no
// appender's line holds them, and only plain appends, past size, go on meanwhile.
bool EndTextAtPadding(int fd, off_t from, off_t size, bool hasText) {
    char before = '\n';
    if (hasText && !ReadAt(fd, &before, 1, from - 1)) {
        return false;
    }
    if (!SetAppending(fd, false)) {
        return false;
    }
    bool ok = true;
    char buffer[4096];
    for (off_t at = from; ok && at < size;) {
        const size_t length = static_cast<size_t>(std::min<off_t>(sizeof buffer, size - at));
        // Where the first byte is padding no more, something other than an appender wrote
        // there: nothing is written over.
        if (!ReadAt(fd, buffer, length, at) || (at == from && !IsPadding(buffer[0]))) {
            ok = false;
            break;
        }
        // Runs of changed bytes, each written as it ends.
        size_t run = length;
        for (size_t i = 0; ok && i <= length; ++i) {
            bool changed = false;
            if (i < length) {
                char& c = buffer[i];
                const char wanted = (at + static_cast<off_t>(i) == from && before != '\n') ? '\n'
                                    : c == kCtrlZ                                          ? '\0'
                                                                                           : c;
                changed = wanted != c;
                c = wanted;
            }
            if (changed && run == length) {
                run = i;
            } else if (!changed && run < length) {
                ok = WriteAt(fd, at + static_cast<off_t>(run), std::string_view(buffer + run, i - run));
                run = length;
            }
        }
        at += static_cast<off_t>(length);
    }
    return SetAppending(fd, true) && ok;
}

// Appenders take turns, so that the last byte looked at is still the last one when the text
// lands after it, and so that bytes are written over (to end a padded text, to take a text back)
// only while no other writer but a plain append is at work. The turn is waited for only a moment:
// any process that may read the file may hold a lock on it for as long as it likes (another user,
// a stopped copy of the program, a backup tool), and an append runs on the window's thread. False
// when the turn did not come.
bool TakeTurn(int fd) {
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        usleep(2000);
    }
}

} // namespace

bool ReadTextFile(const std::string& fileName, std::string& text) {
    text.clear();
    struct stat st {};
    int fd = OpenPlainFile(fileName, O_RDONLY, st);
    if (fd < 0) {
        return false;
    }
    std::string bytes;
    const bool read = ReadAllBytes(fd, bytes);
    close(fd);
    // Half a file read is no file: a caller would take it for the whole and save over the rest.
    if (!read) {
        return false;
    }

    const size_t begin = ByteOrderMarkLength(bytes);
    const size_t n = TextEnd(bytes, begin);
    // CR LF becomes LF, in place: the text is never longer than the bytes.
    char* data = bytes.data();
    size_t out = 0;
    for (size_t start = begin; start < n;) {
        const void* cr = std::memchr(data + start, '\r', n - start);
        const size_t at = cr != nullptr ? static_cast<size_t>(static_cast<const char*>(cr) - data) : n;
        std::memmove(data + out, data + start, at - start);
        out += at - start;
        if (at == n) {
            break;
        }
        if (at + 1 >= n || data[at + 1] != '\n') {
            data[out++] = '\r';
        }
        start = at + 1;
    }
    bytes.resize(out);
    text.swap(bytes);
    return true;
}

std::string ToDiskText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    AppendDiskText(out, text);
    return out;
}

int64_t FileSize(const std::string& fileName) {
    struct stat st {};
    int fd = OpenPlainFile(fileName, O_RDONLY, st);
    if (fd < 0) {
        return -1;
    }
    close(fd);
    return static_cast<int64_t>(st.st_size);
}

bool FileExists(const std::string& fileName) {
    struct stat st {};
    return stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool AppendTextFile(const std::string& fileName, const std::string& text, const std::string& firstText) {
    IgnoreFileSizeSignal();
    Descriptor folder;
    std::string name;
    if (!WalkTo(fileName, folder, name)) {
        return false;
    }
    // Read access only serves to look at the end; a log the user may only write is still
    // appended to.
    struct stat st {};
    int fd = OpenPlainFile(folder.Get(), name, O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW, st);
    const bool readable = fd >= 0;
    if (fd < 0 && errno == EACCES) {
        fd = OpenPlainFile(folder.Get(), name, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW, st);
    }
    if (fd < 0) {
        return false;
    }
    // Without its turn the text still goes down in one write with O_APPEND, whole, after
    // whatever the other appender wrote.
    const bool turn = TakeTurn(fd);
    Step(FileStep::TurnTaken);
    if (fstat(fd, &st) != 0) {
        close(fd);
        return false;
    }
    const off_t size = st.st_size;
    off_t begin = 0;
    off_t textEnd = size;
    if (readable && size > 0) {
        begin = StartsWithByteOrderMark(fd) ? static_cast<off_t>(kByteOrderMark.size()) : 0;
        textEnd = TextEndOf(fd, size, begin);
    }
    Step(FileStep::TailSeen);
    bool ok = true;
    // A Ctrl-Z or NULs that end the old text would stand inside its last line once the text
    // follows them: the text is ended before them, in place. Only in turn, so that no other
    // writer but a plain append is at work.
    if (textEnd < size && turn) {
        Step(FileStep::BeforeOverwrite);
        ok = EndTextAtPadding(fd, textEnd, size, textEnd > begin);
    }
    std::string bytes;
    size_t lead = 0; // the line end put in front
    if (ok && !text.empty()) {
        // What ends the file now decides: another appender may have come first since the look.
        struct stat now {};
        const off_t end = fstat(fd, &now) == 0 ? now.st_size : size;
        char last = '\n';
        const bool lastLineOpen = end > begin && pread(fd, &last, 1, end - 1) == 1 && last != '\n';
        // The text starts a line of its own, even after a last line that lost its line end (a
        // hand edit, a copy cut short) or after padding: joined to it, both lines would be
        // misread.
        if (lastLineOpen) {
            bytes = "\r\n";
            lead = bytes.size();
        }
        if (textEnd <= begin && end == size) {
            AppendDiskText(bytes, firstText);
        }
        AppendDiskText(bytes, text);
    }
    if (ok && !bytes.empty()) {
        // One write with O_APPEND: the whole text lands at the end, never interleaved or split.
        ssize_t n;
        do {
            n = write(fd, bytes.data(), bytes.size());
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            ok = false;
        } else if (static_cast<size_t>(n) < bytes.size()) {
            // Only a full disk or a file size limit cuts a write short. What was written becomes
            // a line of NULs where it stands, ending in a line end, so the next text does not join
            // half a line; the line end put in front stays, as it ends the line before. Cutting
            // it off, or finishing it, could cut off or split a line appended after it since.
            ok = false;
            const off_t end = lseek(fd, 0, SEEK_CUR);
            const size_t written = static_cast<size_t>(n);
            if (written > 0 && end >= n && SetAppending(fd, false)) {
                std::string skipped(bytes, 0, written);
                std::fill(skipped.begin() + static_cast<std::ptrdiff_t>(std::min(lead, written)),
                          skipped.end(), '\0');
                skipped.back() = '\n';
                WriteAt(fd, end - n, skipped);
            }
        }
    }
    if (close(fd) != 0) {
        ok = false;
    }
    return ok;
}

TextOutFile::~TextOutFile() {
    Discard();
}

bool TextOutFile::Open(const std::string& fileName, bool sync) {
    IgnoreFileSizeSignal();
    Discard();
    Descriptor folder;
    if (!WalkTo(fileName, folder, name_)) {
        return false;
    }
    folder_ = folder.Release();
    sync_ = sync;
    if (!OpenInFolder()) {
        Discard();
        return false;
    }
    return true;
}

bool TextOutFile::OpenInFolder() {
    struct stat old {};
    const bool exists = fstatat(folder_, name_.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists) {
        // Only a plain file is replaced: never a FIFO or a device, whatever name leads to it.
        if (!S_ISREG(old.st_mode)) {
            return false;
        }
        // A file that could not be opened for writing in place is not replaced behind its back.
        if (faccessat(folder_, name_.c_str(), W_OK, AT_EACCESS) != 0) {
            return false;
        }
        if (!ReplaceKeepsTheFile(folder_, name_, old)) {
            return OpenInPlace();
        }
    }
    int fd = CreateTemporaryFile(folder_, "." + name_ + ".", tempName_);
    if (fd < 0 && errno == ENAMETOOLONG) {
        fd = CreateTemporaryFile(folder_, ".lapwren.", tempName_);
    }
    if (fd < 0) {
        const int error = errno;
        tempName_.clear();
        return exists && RefusedToThisUser(error) && OpenInPlace();
    }
    struct stat made {};
    if (exists && fstat(fd, &made) == 0 && made.st_gid != old.st_gid &&
        fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // The new file cannot join the old one's group: the people of that group would lose it.
        close(fd);
        unlinkat(folder_, tempName_.c_str(), 0);
        tempName_.clear();
        return OpenInPlace();
    }
    fd_ = fd;
    return true;
}

bool TextOutFile::OpenInPlace() {
    // Opened now, written only at Close: a save that is dropped leaves the old file whole. The
    // links were followed already; one put in their place since is not.
    struct stat st {};
    int fd = OpenPlainFile(folder_, name_, O_WRONLY | O_NOFOLLOW, st);
    if (fd < 0) {
        return false;
    }
    fd_ = fd;
    inPlace_ = true;
    return true;
}

void TextOutFile::Puts(const std::string& text) {
    if (fd_ >= 0) {
        AppendDiskText(buffer_, text);
    }
}

bool TextOutFile::CloseInPlace() {
    // The old text is written over only once the room for the new one is sure: a full disk or
    // quota then leaves the old file as it was, where emptying it first would lose it.
    struct stat st {};
    const bool sized = fstat(fd_, &st) == 0;
    const off_t oldSize = st.st_size;
    const off_t newSize = static_cast<off_t>(buffer_.size());
    bool ok = sized && (newSize == 0 || MakeRoom(fd_, buffer_, oldSize)) && WriteAll(fd_, buffer_) &&
              ftruncate(fd_, newSize) == 0;
    if (!ok && sized && fstat(fd_, &st) == 0 && st.st_size > oldSize) {
        // A failed save does not leave the file longer than it was.
        ftruncate(fd_, oldSize);
    }
    if (ok && sync_) {
        ok = fsync(fd_) == 0;
    }
    if (close(fd_) != 0) {
        ok = false;
    }
    fd_ = -1;
    inPlace_ = false;
    buffer_.clear();
    return ok;
}

bool TextOutFile::Close() {
    const bool ok = fd_ >= 0 && (inPlace_ ? CloseInPlace() : CloseByRename());
    Discard();
    return ok;
}

bool TextOutFile::CloseByRename() {
    bool ok = WriteAll(fd_, buffer_);
    if (ok && sync_) {
        ok = fsync(fd_) == 0;
    }
    if (ok) {
        struct stat st {};
        const bool plain =
            fstatat(folder_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
        ok = fchmod(fd_, plain ? (st.st_mode & 07777) : NewFileMode()) == 0;
    }
    int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) {
        ok = false;
    }
    int renameError = 0;
    if (ok && renameat(folder_, tempName_.c_str(), folder_, name_.c_str()) != 0) {
        renameError = errno;
        ok = false;
    }
    if (!ok) {
        unlinkat(folder_, tempName_.c_str(), 0);
        tempName_.clear();
        // A rename refused for all that was foreseen: the file is still there to be written.
        return RefusedToThisUser(renameError) && OpenInPlace() && CloseInPlace();
    }
    tempName_.clear();
    if (sync_) {
        // Make the rename itself durable.
        const Descriptor dir(openat(folder_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.Get() >= 0) {
            fsync(dir.Get());
        }
    }
    return true;
}

void TextOutFile::Discard() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    inPlace_ = false;
    if (!tempName_.empty()) {
        unlinkat(folder_, tempName_.c_str(), 0);
        tempName_.clear();
    }
    if (folder_ >= 0) {
        close(folder_);
        folder_ = -1;
    }
    name_.clear();
    buffer_.clear();
}

bool RewriteTextFile(const std::string& fileName, const std::string& text, bool sync) {
    TextOutFile file;
    if (!file.Open(fileName, sync)) {
        return false;
    }
    file.Puts(text);
    return file.Close();
}

bool CutAppendedText(const std::string& fileName, const std::string& text) {
    Descriptor folder;
    std::string name;
    if (text.empty() || !WalkTo(fileName, folder, name)) {
        return false;
    }
    struct stat st {};
    int fd = OpenPlainFile(folder.Get(), name, O_RDWR | O_NOFOLLOW, st);
    if (fd < 0) {
        return false;
    }
    // The appenders' lock, tried once: without it, another take-back or the end of a padded text
    // could be writing over the same bytes.
    int locked;
    do {
        locked = flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    Step(FileStep::TurnTaken);
    const std::string bytes = ToDiskText(text);
    const off_t length = static_cast<off_t>(bytes.size());
    bool taken = false;
    if (locked == 0 && fstat(fd, &st) == 0 && st.st_size >= length) {
        const off_t start = st.st_size - length;
        std::string tail(bytes.size(), '\0');
        const bool seen = ReadAt(fd, tail.data(), tail.size(), start);
        Step(FileStep::TailSeen);
        if (seen && tail == bytes) {
            // The text's own bytes become NULs and its line end stays: a line the readers skip,
            // which ends the text while nothing follows it. Cutting the file there instead would
            // cut off a line appended since by an appender without the turn.
            size_t keep = bytes.size();
            while (keep > 0 && (bytes[keep - 1] == '\n' || bytes[keep - 1] == '\r')) {
                --keep;
            }
            std::string skipped(keep, '\0');
            skipped.append(bytes, keep, std::string::npos);
            Step(FileStep::BeforeOverwrite);
            taken = WriteAt(fd, start, skipped);
        }
    }
    close(fd);
    return taken;
}

void SetTestFileStepHook(std::function<void(FileStep)> hook) {
    StepHook() = std::move(hook);
}

} // namespace rt
