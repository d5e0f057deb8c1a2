#include "platform/runtime/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace rt {

namespace {

constexpr char kCtrlZ = 0x1A;
// fgets into a 1,024-byte buffer reads at most this many characters per piece.
constexpr size_t kPieceLength = 1023;
// As many links as the kernel itself follows before it gives up on a loop.
constexpr int kMaxLinks = 40;

bool ReadAllBytes(int fd, std::string& bytes) {
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
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
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
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

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// In a sticky folder that everyone may write (such as /tmp), a link is followed only when it
// belongs to the writer or to the folder's owner, as the kernel does with protected_symlinks on:
// otherwise anyone could plant a link that points a save at the user's own files. Applied
// whatever the machine's setting.
bool MayFollowLink(const std::string& link, const struct stat& linkStat) {
    const std::string folder = FolderOf(link);
    struct stat st {};
    if (stat(folder.empty() ? "." : folder.c_str(), &st) != 0) {
        return false;
    }
    if ((st.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH)) {
        return true;
    }
    return linkStat.st_uid == geteuid() || linkStat.st_uid == st.st_uid;
}

// The file that a write to the name really replaces: symbolic links in the last component are
// followed (a relative link is relative to the folder holding it), so the link itself survives.
bool ResolveTarget(const std::string& fileName, std::string& target) {
    target = fileName;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st {};
        if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return true;
        }
        if (!MayFollowLink(target, st)) {
            return false;
        }
        char buffer[PATH_MAX];
        ssize_t length = readlink(target.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) {
            return false;
        }
        std::string link(buffer, static_cast<size_t>(length));
        target = link[0] == '/' ? link : FolderOf(target) + link;
    }
    return false;
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

// Whether renaming a new file over the old one keeps what the old one had: its one name, its
// owner, its access ACL (whose named entries a new file would not get, while the permission bits
// copied from the old file would hand the ACL's mask to the group). The group is settled once the
// new file exists, the permissions at Close.
bool ReplaceKeepsTheFile(const std::string& name, const struct stat& old) {
    return old.st_nlink == 1 && old.st_uid == geteuid() &&
           lgetxattr(name.c_str(), "system.posix_acl_access", nullptr, 0) < 0;
}

// Opens a file for reading or writing only when it is a plain file: a FIFO does not stall the
// open (O_NONBLOCK) and a device is never read or written. -1 otherwise.
int OpenPlainFile(const std::string& name, int flags, struct stat& st) {
    int fd = open(name.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) {
        return -1;
    }
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
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

    // Text mode: the text ends at a Ctrl-Z, and CR LF becomes LF.
    const char* in = bytes.data();
    const void* ctrlZ = std::memchr(in, kCtrlZ, bytes.size());
    const size_t n =
        ctrlZ != nullptr ? static_cast<size_t>(static_cast<const char*>(ctrlZ) - in) : bytes.size();
    text.reserve(n);
    for (size_t start = 0; start < n;) {
        const void* cr = std::memchr(in + start, '\r', n - start);
        size_t at = cr != nullptr ? static_cast<size_t>(static_cast<const char*>(cr) - in) : n;
        text.append(in + start, at - start);
        if (at == n) {
            break;
        }
        if (at + 1 >= n || in[at + 1] != '\n') {
            text += '\r';
        }
        start = at + 1;
    }
    // Read in fgets pieces, each piece ends at its first NUL: a NUL drops the rest of its piece
    // (the line end included), counted in translated characters.
    if (std::memchr(text.data(), '\0', text.size()) != nullptr) {
        std::string kept;
        kept.reserve(text.size());
        for (size_t piece = 0; piece < text.size();) {
            size_t limit = std::min(text.size(), piece + kPieceLength);
            const void* lf = std::memchr(text.data() + piece, '\n', limit - piece);
            size_t pieceEnd =
                lf != nullptr ? static_cast<size_t>(static_cast<const char*>(lf) - text.data()) + 1 : limit;
            const void* nul = std::memchr(text.data() + piece, '\0', pieceEnd - piece);
            size_t keepEnd =
                nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - text.data()) : pieceEnd;
            kept.append(text, piece, keepEnd - piece);
            piece = pieceEnd;
        }
        text.swap(kept);
    }
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

bool AppendTextFile(const std::string& fileName, const std::string& text) {
    std::string target;
    if (fileName.empty() || !ResolveTarget(fileName, target)) {
        return false;
    }
    // Read access only serves to look at the last byte; a log the user may only write is still
    // appended to.
    struct stat st {};
    int fd = OpenPlainFile(target, O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW, st);
    const bool readable = fd >= 0;
    if (fd < 0 && errno == EACCES) {
        fd = OpenPlainFile(target, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW, st);
    }
    if (fd < 0) {
        return false;
    }
    // Appenders take turns, so that the last byte looked at is still the last one when the text
    // lands after it, and a cut-back cuts only this text.
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    if (fstat(fd, &st) != 0) {
        close(fd);
        return false;
    }
    std::string bytes;
    if (!text.empty()) {
        // The text starts a line of its own, even after a last line that lost its line end (a
        // hand edit, a copy cut short): joined to it, both lines would be misread.
        char last = '\n';
        if (readable && st.st_size > 0 && pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') {
            bytes = "\r\n";
        }
        AppendDiskText(bytes, text);
    }
    bool ok = true;
    if (!bytes.empty()) {
        // One write with O_APPEND: the whole text lands at the end, never interleaved or split.
        ssize_t n;
        do {
            n = write(fd, bytes.data(), bytes.size());
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            ok = false;
        } else if (static_cast<size_t>(n) < bytes.size()) {
            // Only a full disk or a file size limit cuts a write short. What fits is finished, or
            // else cut off again: the next text must not join half a line.
            const off_t start = lseek(fd, 0, SEEK_CUR) - n;
            ok = WriteAll(fd, bytes.substr(static_cast<size_t>(n)));
            if (!ok && start >= 0) {
                ftruncate(fd, start);
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
    Discard();
    if (fileName.empty() || !ResolveTarget(fileName, target_)) {
        return false;
    }
    sync_ = sync;
    struct stat old {};
    const bool exists = lstat(target_.c_str(), &old) == 0;
    if (exists) {
        // Only a plain file is replaced: never a FIFO or a device, whatever name leads to it.
        if (!S_ISREG(old.st_mode)) {
            return false;
        }
        // A file that could not be opened for writing in place is not replaced behind its back.
        if (faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
            return false;
        }
        if (!ReplaceKeepsTheFile(target_, old)) {
            return OpenInPlace();
        }
    }
    const std::string folder = FolderOf(target_);
    std::string name = target_.substr(folder.size());
    if (name.empty()) {
        return false;
    }
    tempName_ = folder + "." + name + ".XXXXXX";
    int fd = mkostemp(tempName_.data(), O_CLOEXEC);
    if (fd < 0 && errno == ENAMETOOLONG) {
        tempName_ = folder + ".lapwren.XXXXXX";
        fd = mkostemp(tempName_.data(), O_CLOEXEC);
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
        unlink(tempName_.c_str());
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
    int fd = OpenPlainFile(target_, O_WRONLY | O_NOFOLLOW, st);
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
    if (fd_ < 0) {
        return false;
    }
    if (inPlace_) {
        return CloseInPlace();
    }
    bool ok = WriteAll(fd_, buffer_);
    if (ok && sync_) {
        ok = fsync(fd_) == 0;
    }
    if (ok) {
        struct stat st {};
        mode_t mode = stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
        ok = fchmod(fd_, mode) == 0;
    }
    int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) {
        ok = false;
    }
    int renameError = 0;
    if (ok && rename(tempName_.c_str(), target_.c_str()) != 0) {
        renameError = errno;
        ok = false;
    }
    if (!ok) {
        unlink(tempName_.c_str());
        tempName_.clear();
        // A rename refused for all that was foreseen: the file is still there to be written.
        if (RefusedToThisUser(renameError) && FileExists(target_) && OpenInPlace()) {
            return CloseInPlace();
        }
        buffer_.clear();
        return false;
    }
    if (sync_) {
        // Make the rename itself durable.
        std::string folder = FolderOf(target_);
        int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
    }
    tempName_.clear();
    buffer_.clear();
    return true;
}

void TextOutFile::Discard() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    inPlace_ = false;
    if (!tempName_.empty()) {
        unlink(tempName_.c_str());
        tempName_.clear();
    }
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
    std::string target;
    if (fileName.empty() || text.empty() || !ResolveTarget(fileName, target)) {
        return false;
    }
    struct stat st {};
    int fd = OpenPlainFile(target, O_RDWR | O_NOFOLLOW, st);
    if (fd < 0) {
        return false;
    }
    // The appenders' lock, tried once: without it, a line landing between the look at the end and
    // the cut would be cut off with the text.
    int locked;
    do {
        locked = flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    const std::string bytes = ToDiskText(text);
    const off_t length = static_cast<off_t>(bytes.size());
    bool cut = false;
    if (locked == 0 && fstat(fd, &st) == 0 && st.st_size >= length) {
        const off_t start = st.st_size - length;
        std::string tail(bytes.size(), '\0');
        size_t done = 0;
        while (done < tail.size()) {
            const ssize_t n =
                pread(fd, tail.data() + done, tail.size() - done, start + static_cast<off_t>(done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            done += static_cast<size_t>(n);
        }
        cut = done == tail.size() && tail == bytes && ftruncate(fd, start) == 0;
    }
    close(fd);
    return cut;
}

} // namespace rt
