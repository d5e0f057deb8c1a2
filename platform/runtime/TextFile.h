#pragma once
// Text-mode files as the original runtime kept them. On disk every line ends in CR LF; reading
// turns CR LF into LF (a lone CR stays) and ends the text at a Ctrl-Z that only ends the file.
// Files from elsewhere read too: a byte order mark in front and NULs at the end are no text.
// Files the program rewrites are replaced atomically, so a crash leaves the old file or the new
// one, never a mix. A write past a file size limit fails like one on a full disk.
//
// Nothing here throws or reports beyond its return value.

#include <cstdint>
#include <functional>
#include <string>

namespace rt {

// Only plain files are read or written here: a FIFO or a device is refused by its name, before
// anything opens it, so nothing waits for a writer, reads without end or sets a device going.
// Symbolic links are followed for writing only where the kernel's protection for shared folders
// would follow them, wherever they stand in the path: in a sticky folder that everyone may
// write, a link must belong to the writer or to the folder's owner. A path written to is looked
// up once, a part at a time from the folder reached, so no limit but the kernel's applies to it.

// Reads a whole file in text mode: a UTF-8 byte order mark at the start is skipped, CR LF becomes
// LF, and a Ctrl-Z or NUL followed by nothing but line ends, Ctrl-Z and NULs ends the text (old
// files end with a Ctrl-Z, a power cut can leave a block of NULs). Every other byte is kept, NUL
// and Ctrl-Z included, so that nothing a reader skipped is lost by a save; a reader that cannot
// take them refuses the file.
// False, with the text left empty, when the file cannot be opened, a read fails part-way, or the
// file is too large to hold.
bool ReadTextFile(const std::string& fileName, std::string& text);

// The bytes that a text-mode write puts on disk for the text: every LF becomes CR LF.
std::string ToDiskText(const std::string& text);

// Size in bytes of a plain file that can be opened for reading; -1 when it cannot.
int64_t FileSize(const std::string& fileName);

// Whether the name stands for a plain file (links followed).
bool FileExists(const std::string& fileName);

// Appends the text (LF written as CR LF) to the file in one write, creating the file when it is
// missing. The text starts a line of its own (after a last line without its line end, a line end
// is written first). Where the file holds no text yet (missing, empty, or nothing but a byte order
// mark and such padding as below), firstText goes in front of the text.
// Nothing an append or a take-back does shortens the file, as another appender may have written
// after the end that was looked at. So a Ctrl-Z or NULs that ended the old text stay where they
// are, but are made harmless first: the last line gets its line end in place of their first byte
// where it had none, and each Ctrl-Z becomes a NUL, so that they read as no more than one line of
// NULs, which the run log's readers skip. A line handed over whole is never split by a crash, and
// the part of a text that could not be written whole (a full disk) becomes such a line of NULs.
// Appenders take turns by a lock, but one held elsewhere is waited for only a moment; without the
// turn, nothing of the old file is written over. False when the text was not appended whole.
bool AppendTextFile(const std::string& fileName, const std::string& text, const std::string& firstText = {});

// A text-mode output file that replaces its target atomically wherever that keeps everything the
// old file had. Open creates a temporary file in the target's folder (a symbolic link is
// followed, so the link's target is replaced, not the link); Puts collects text; Close writes it
// with CR LF line ends, optionally syncs it, gives it the old file's permissions (a new file gets
// 0666 less the umask) and renames it over the target.
// Where a rename would lose something, or cannot be done, the old file is written in place
// instead, as a plain rewrite does: a folder that takes no new file, a sticky folder that
// refuses the rename, a file of another user (whose ownership the rename would take), a file
// with more than one link (which the rename would split), a file with an access ACL, or a group
// the new file cannot get. Close then reserves the room for the new text, writes it over the old
// and cuts the file to its length, synced when asked; where the room cannot be had, the old file
// stays as it was.
// A target that exists but may not be written, or is not a plain file, is never touched: Open
// fails. A TextOutFile dropped without Close, or a failing Open, leaves the target as it
// was and removes the temporary file.
class TextOutFile {
public:
    TextOutFile() = default;
    ~TextOutFile();
    TextOutFile(const TextOutFile&) = delete;
    TextOutFile& operator=(const TextOutFile&) = delete;

    // sync: flush the new file to disk before the rename (a power cut then loses nothing).
    bool Open(const std::string& fileName, bool sync);
    bool IsOpen() const { return fd_ >= 0; }
    void Puts(const std::string& text);
    bool Close();

private:
    bool OpenInFolder();
    bool OpenInPlace();
    bool CloseInPlace();
    bool CloseByRename();
    void Discard();

    int fd_ = -1;
    // The target's folder, held from Open to Close: the rename lands in the folder that Open
    // reached, whatever its path leads to by then.
    int folder_ = -1;
    bool inPlace_ = false;
    bool sync_ = false;
    std::string name_;     // of the target in folder_
    std::string tempName_; // of the temporary file in folder_
    std::string buffer_;
};

// Writes a whole text file through TextOutFile; false when the old file was kept.
bool RewriteTextFile(const std::string& fileName, const std::string& text, bool sync);

// Takes back a text that AppendTextFile appended (LF written as CR LF), but only while the file
// still ends with it: its bytes become NULs, its line end stays, so the readers skip it as a line
// of NULs and a text reader ends the text before it. The file is not cut there, so that nothing
// appended after it since is lost. Never waits: while another appender holds the file, the text
// stays. True when it was taken back.
bool CutAppendedText(const std::string& fileName, const std::string& text);

// A test seam, never set by the program: the hook is called at each step of AppendTextFile and
// CutAppendedText after which another process may act before the call goes on, so that a test can
// stop the call there. An empty hook removes it.
enum class FileStep {
    TurnTaken,       // the appenders' lock was tried, whether or not it came
    TailSeen,        // the end of the file was looked at
    BeforeOverwrite, // bytes looked at are about to be written over
};
void SetTestFileStepHook(std::function<void(FileStep)> hook);

} // namespace rt
