#include "platform/runtime/TextFile.h"

#include "tests/runtime/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Descriptors the process holds: a walk that loses one on some path shows here.
size_t OpenDescriptors() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

// Empties a folder through descriptors, so no path length applies to what lies below it.
void RemoveAllBelow(int folder) {
    std::vector<std::string> names;
    if (DIR* listing = fdopendir(dup(folder))) {
        while (const dirent* entry = readdir(listing)) {
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") {
                names.emplace_back(entry->d_name);
            }
        }
        closedir(listing);
    }
    for (const std::string& name : names) {
        if (unlinkat(folder, name.c_str(), 0) != 0 && errno == EISDIR) {
            const int below = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (below >= 0) {
                RemoveAllBelow(below);
                close(below);
            }
            unlinkat(folder, name.c_str(), AT_REMOVEDIR);
        }
    }
}

using Lines = std::vector<std::string>;

// The lines a reader of the run log takes from a text: an empty line, or one that begins with a
// NUL (what a take-back or a text that did not fit leaves, or a power cut's padding), is none.
Lines LinesOf(const std::string& text) {
    Lines lines;
    for (size_t start = 0; start < text.size();) {
        const size_t lf = std::min(text.find('\n', start), text.size());
        if (lf > start && text[start] != '\0') {
            lines.push_back(text.substr(start, lf - start));
        }
        start = lf + 1;
    }
    return lines;
}

Lines ReadLines(const std::string& file) {
    std::string text;
    return rt::ReadTextFile(file, text) ? LinesOf(text) : Lines{"(unread)"};
}

// The lines that a stdio reader in text mode takes from the bytes: it stops at a Ctrl-Z and drops
// every CR, and it reads with fgets into a zeroed buffer of 1,024 bytes, keeping each piece only
// up to its first NUL: a line of NULs goes with its line end, while NULs after text join the next
// line to it.
Lines StdioTextModeLines(const std::string& bytes) {
    std::string stream;
    for (char c : bytes) {
        if (c == '\x1A') {
            break;
        }
        if (c != '\r') {
            stream += c;
        }
    }
    std::string text;
    for (size_t at = 0; at < stream.size();) {
        const size_t lf = stream.find('\n', at);
        const size_t end = std::min(lf == std::string::npos ? stream.size() : lf + 1, at + 1023);
        const std::string piece = stream.substr(at, end - at);
        text += piece.substr(0, piece.find('\0'));
        at = end;
    }
    return LinesOf(text);
}

struct ReadCase {
    const char* name;
    std::string disk;
    std::string text;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class TextModeReading : public testing::TestWithParam<ReadCase> {};

TEST_P(TextModeReading, TurnsDiskBytesIntoTheTextTheReadersSee) {
    TempFolder folder;
    const std::string file = folder / "in.txt";
    WriteBytes(file, GetParam().disk);
    std::string text = "stale";
    ASSERT_TRUE(rt::ReadTextFile(file, text));
    EXPECT_EQ(text, GetParam().text);
}

const std::string kLongLine(1500, 'x');

INSTANTIATE_TEST_SUITE_P(
    Bytes, TextModeReading,
    testing::Values(
        ReadCase{"CrLfBecomesLf", "a\r\nb\r\n", "a\nb\n"}, ReadCase{"LfStaysLf", "a\nb\n", "a\nb\n"},
        ReadCase{"LoneCrStays", "a\rb\r", "a\rb\r"}, ReadCase{"CrBeforeCrLfStays", "a\r\r\nb", "a\r\nb"},
        ReadCase{"LfCrIsLfThenCr", "a\n\rb", "a\n\rb"},
        // A Ctrl-Z ends the text only where nothing but line ends follow it, as in old files;
        // elsewhere it is kept, as a NUL is, so that a save never drops what follows.
        ReadCase{"CtrlZAtTheEndEndsTheText", "ab\r\n\x1A\r\n\x1A", "ab\n"},
        ReadCase{"CrBeforeCtrlZIsKept", "ab\r\x1A\n", "ab\r"},
        ReadCase{"CtrlZInsideIsKept", std::string("ab\r\ncd\x1A", 7) + "ef\r\n",
                 "ab\ncd\x1A"
                 "ef\n"},
        ReadCase{"NulInsideIsKept", std::string("ab\0cd\r\nef\r\n", 11), std::string("ab\0cd\nef\n", 9)},
        // A power cut can leave the text whole and a block of NULs after it.
        ReadCase{"NulsAndCtrlZAtTheEndEndTheText", std::string("ab\0cd\r\nef\x1A\0\r\n\0", 14),
                 std::string("ab\0cd\nef", 8)},
        ReadCase{"ZeroFilledTailEndsTheText", "a\r\nb\r\n" + std::string(512, '\0'), "a\nb\n"},
        ReadCase{"ByteOrderMarkIsSkipped", "\xEF\xBB\xBF[Keys]\r\n", "[Keys]\n"},
        ReadCase{"ByteOrderMarkElsewhereIsKept", "a\xEF\xBB\xBF\r\n\xEF\xBB\xBF",
                 "a\xEF\xBB\xBF\n\xEF\xBB\xBF"},
        ReadCase{"ByteOrderMarkAndPaddingAreNoText", std::string("\xEF\xBB\xBF\0\r\n\0", 7), ""},
        ReadCase{"LongLinesAreJoinedAgain", kLongLine + "\r\n" + kLongLine, kLongLine + "\n" + kLongLine},
        ReadCase{"EmptyFileGivesEmptyText", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextFileReading, FailsWithEmptyTextWhenTheFileCannotBeOpenedOrRead) {
    TempFolder folder;
    std::string text = "stale";
    EXPECT_FALSE(rt::ReadTextFile(folder / "missing.txt", text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(rt::ReadTextFile(folder.Path(), text));
    // A plain file whose first read fails (nothing is mapped at address 0).
    text = "stale";
    EXPECT_FALSE(rt::ReadTextFile("/proc/self/mem", text));
    EXPECT_EQ(text, "");

    // A file larger than any the program writes, or than memory could hold.
    const std::string huge = folder / "huge.txt";
    WriteBytes(huge, "");
    if (truncate(huge.c_str(), int64_t{100} << 30) != 0) {
        GTEST_SKIP() << "the scratch folder's file system takes no sparse file of 100 GB";
    }
    text = "stale";
    EXPECT_FALSE(rt::ReadTextFile(huge, text));
    EXPECT_EQ(text, "");
}

// A FIFO or a device is neither read nor written, and never waited on: each call runs in a child
// that is stopped after a while, as an open that waited for the other end would never return.
// They are refused by their names: opening some devices does something by itself.
TEST(TextFileKinds, OnlyPlainFilesAreReadOrWritten) {
    TempFolder folder;
    const std::string fifo = folder / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    ASSERT_EQ(symlink("fifo", (folder / "split.txt").c_str()), 0);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, folder.Path().c_str(), IN_OPEN), 0);
    std::string text;
    EXPECT_EQ(RunWithDeadline(10, [&] { return rt::ReadTextFile(fifo, text); }), false);
    EXPECT_EQ(RunWithDeadline(10, [&] { return rt::FileSize(fifo) != -1 || rt::FileExists(fifo); }), false);
    EXPECT_EQ(RunWithDeadline(10, [&] { return rt::AppendTextFile(fifo, "run\n"); }), false);
    EXPECT_EQ(RunWithDeadline(10, [&] { return rt::AppendTextFile(folder / "split.txt", "run\n"); }), false);
    EXPECT_FALSE(rt::RewriteTextFile(folder / "split.txt", "x\n", false));
    EXPECT_FALSE(rt::ReadTextFile(folder / "split.txt", text));
    EXPECT_FALSE(rt::ReadTextFile("/dev/null", text));
    std::vector<std::string> opened;
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = read(watch, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            opened.emplace_back(event->len > 0 ? event->name : ".");
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    close(watch);
    EXPECT_EQ(std::count(opened.begin(), opened.end(), "fifo"), 0) << "the FIFO was opened";

    struct stat st {};
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(folder.Listing(), "fifo split.txt");

    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, to make a device node";
    }
    // A copy of /dev/null, saved through a link as root would save through a planted one.
    ASSERT_EQ(mknod((folder / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(symlink("null", (folder / "state.txt").c_str()), 0);
    EXPECT_FALSE(rt::RewriteTextFile(folder / "state.txt", "x\n", false));
    ASSERT_EQ(stat((folder / "null").c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(TextFileFacts, SizeAndExistenceOfFilesOnly) {
    TempFolder folder;
    WriteBytes(folder / "five", "12345");
    WriteBytes(folder / "empty", "");
    EXPECT_EQ(rt::FileSize(folder / "five"), 5);
    EXPECT_EQ(rt::FileSize(folder / "empty"), 0);
    EXPECT_EQ(rt::FileSize(folder / "missing"), -1);
    EXPECT_EQ(rt::FileSize(folder.Path()), -1);
    EXPECT_TRUE(rt::FileExists(folder / "empty"));
    EXPECT_FALSE(rt::FileExists(folder / "missing"));
    EXPECT_FALSE(rt::FileExists(folder.Path()));
}

TEST(TextFileFacts, DiskTextEndsEveryLineInCrLf) {
    EXPECT_EQ(rt::ToDiskText("a\nb\n\nc"), "a\r\nb\r\n\r\nc");
    EXPECT_EQ(rt::ToDiskText("a\r\n"), "a\r\r\n");
    EXPECT_EQ(rt::ToDiskText(""), "");
}

TEST(TextFileAppending, CreatesTheFileWithTheUsualModeAndAppendsDiskText) {
    TempFolder folder;
    const std::string file = folder / "log.txt";
    ASSERT_TRUE(rt::AppendTextFile(file, "head\n"));
    ASSERT_TRUE(rt::AppendTextFile(file, "line\n"));
    EXPECT_EQ(ReadBytes(file), "head\r\nline\r\n");
    EXPECT_EQ(ModeOf(file), 0666 & ~CurrentUmask());
}

// Whatever ended the old text, the file reads afterwards as before with the appended text after
// it; a file without text gets the first text in front. Nothing is cut off, since another
// appender's line may follow the end that was looked at: the padding stays, ended and turned into
// a line of NULs that readers skip, as a stdio reader in text mode does too.
TEST(TextFileAppending, TheFileReadsAsBeforeWithTheTextAfterIt) {
    const struct {
        const char* what;
        std::string before;
        std::string after;
    } cases[] = {
        {"a last line ending in a Ctrl-Z", "L\tR\t5.00\t\x1A", "L\tR\t5.00\t\nrun\r\n"},
        {"a Ctrl-Z after the last line end", "L\tC\r\n\x1A", std::string("L\tC\r\n\0\r\nrun\r\n", 13)},
        {"a zero-filled tail", "L\r\n" + std::string(5000, '\0'),
         "L\r\n" + std::string(5000, '\0') + "\r\nrun\r\n"},
        {"a zero-filled tail in the last line", std::string("L\0\0\r\n\0", 6),
         std::string("L\n\0\r\n\0\r\nrun\r\n", 13)},
        {"a Ctrl-Z inside the padding", std::string("L\0\x1A\0", 4), std::string("L\n\0\0\r\nrun\r\n", 11)},
        {"a NUL inside stays", std::string("L\0M", 3), std::string("L\0M\r\nrun\r\n", 10)},
        {"a byte order mark", "\xEF\xBB\xBFL", "\xEF\xBB\xBFL\r\nrun\r\n"},
        {"no file", "", "head\r\nrun\r\n"},
        {"only a power cut's NULs", std::string(4096, '\0'), std::string(4096, '\0') + "\r\nhead\r\nrun\r\n"},
        {"only a byte order mark", "\xEF\xBB\xBF\x1A", std::string("\xEF\xBB\xBF\0\r\nhead\r\nrun\r\n", 17)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::string file = folder / "log.txt";
        if (!c.before.empty()) {
            WriteBytes(file, c.before);
        }
        std::string before;
        ASSERT_TRUE(rt::ReadTextFile(file, before) || c.before.empty());
        ASSERT_TRUE(rt::AppendTextFile(file, "run\n", "head\n"));
        const std::string after = ReadBytes(file);
        EXPECT_EQ(after, c.after);
        Lines expected = LinesOf(before);
        if (expected.empty()) {
            expected.push_back("head");
        }
        expected.push_back("run");
        EXPECT_EQ(ReadLines(file), expected);
        // Where the stdio reader read the old file as this one does, it reads the new one so too.
        if (StdioTextModeLines(c.before) == LinesOf(before)) {
            EXPECT_EQ(StdioTextModeLines(after), expected);
        }
    }
}

TEST(TextFileAppending, FailsWhenTheFolderIsMissing) {
    TempFolder folder;
    EXPECT_FALSE(rt::AppendTextFile(folder / "no/such.txt", "x\n"));
}

// A log on a full disk: what was written of the text becomes a line of NULs ending in a line end,
// so the next run does not join half a line, and the file is not cut, as another appender's line
// may follow it.
TEST(TextFileAppending, MakesATextThatDoesNotFitWholeALineReadersSkip) {
    SmallTmpfs disk("128k");
    if (!disk.Mounted()) {
        GTEST_SKIP() << disk.Why();
    }
    const std::string log = disk / "game-RunLog.txt";
    const std::string header = "LPWSplitLog\tgame.txt\r\n";
    WriteBytes(log, header);
    disk.Fill();
    // Longer than the free end of the log's one block: the write is cut short, not refused.
    EXPECT_FALSE(rt::AppendTextFile(log, std::string(6000, 'x') + "\n"));
    const std::string bytes = ReadBytes(log);
    ASSERT_GT(bytes.size(), header.size());
    EXPECT_EQ(bytes, header + std::string(bytes.size() - header.size() - 1, '\0') + "\n");
    EXPECT_EQ(ReadLines(log), Lines{"LPWSplitLog\tgame.txt"});
}

// Any process that may read the log may hold a lock on it for as long as it likes; the append
// waits for it only a moment, then writes its line whole without its turn.
TEST(TextFileAppending, DoesNotWaitForALockHeldByAnotherProcess) {
    TempFolder folder;
    const std::string log = folder / "game-RunLog.txt";
    WriteBytes(log, "LPWSplitLog\tgame.txt\r\n");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    std::fflush(nullptr);
    const pid_t holder = fork();
    if (holder == 0) {
        alarm(60); // never outlives the test
        const int fd = open(log.c_str(), O_RDONLY);
        if (fd >= 0 && flock(fd, LOCK_SH) == 0 && write(ready[1], "x", 1) == 1) {
            pause();
        }
        _exit(1);
    }
    close(ready[1]);
    char byte = 0;
    const bool holding = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    const auto appended =
        holding ? RunWithDeadline(10, [&] { return rt::AppendTextFile(log, "2024/03/09 18:05\tR\t5.00\n"); })
                : std::nullopt;
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    ASSERT_TRUE(holding) << "the holder could not lock the log";
    EXPECT_EQ(appended, true) << "the append waited for the lock";
    EXPECT_EQ(ReadBytes(log), "LPWSplitLog\tgame.txt\r\n2024/03/09 18:05\tR\t5.00\r\n");
}

// Under a file size limit a write past it fails as on a full disk, where the signal that comes
// with it would kill the program halfway: an append leaves no line, a rewrite keeps the old file.
TEST(TextFileAppending, AFileSizeLimitFailsTheWriteInsteadOfEndingTheProgram) {
    TempFolder folder;
    const std::string log = folder / "game-RunLog.txt";
    const std::string split = folder / "game.txt";
    WriteBytes(log, "LPWSplitLog\tgame.txt\r\n");
    WriteBytes(split, "old\r\n");
    const auto failed = RunWithDeadline(10, [&] {
        const rlimit limit{4096, 4096};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
               !rt::AppendTextFile(log, std::string(6000, 'x') + "\n") &&
               !rt::RewriteTextFile(split, std::string(6000, 'y') + "\n", true);
    });
    EXPECT_EQ(failed, true) << "the writes did not fail, or the program was ended";
    EXPECT_EQ(ReadLines(log), Lines{"LPWSplitLog\tgame.txt"});
    EXPECT_EQ(ReadBytes(split), "old\r\n");
    EXPECT_EQ(folder.Listing(), "game-RunLog.txt game.txt");
}

// Lines far larger than any stdio buffer, appended from many threads at once: a writer that
// split a line into several writes would let another thread's line land in the middle of it.
TEST(TextFileAppending, WritesEachTextInOnePieceEvenWhenAppendersRace) {
    TempFolder folder;
    const std::string file = folder / "log.txt";
    constexpr int kThreads = 8;
    constexpr int kLinesEach = 20;
    constexpr size_t kLineLength = 100000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string line(kLineLength, static_cast<char>('A' + t));
            for (int i = 0; i < kLinesEach; ++i) {
                rt::AppendTextFile(file, line + "\n");
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::string text;
    ASSERT_TRUE(rt::ReadTextFile(file, text));
    size_t lines = 0;
    for (size_t start = 0; start < text.size(); start += kLineLength + 1) {
        ASSERT_LE(start + kLineLength, text.size() - 1);
        const std::string line = text.substr(start, kLineLength);
        ASSERT_EQ(line, std::string(kLineLength, line[0])) << "line " << lines << " is a mix";
        ASSERT_EQ(text[start + kLineLength], '\n');
        ++lines;
    }
    EXPECT_EQ(lines, static_cast<size_t>(kThreads * kLinesEach));
}

TEST(AtomicRewrite, WritesDiskTextAndLeavesNoTemporaryFile) {
    TempFolder folder;
    const std::string file = folder / "split.txt";
    WriteBytes(file, "old contents that are longer\r\n");
    const ino_t inode = InodeOf(file);
    ASSERT_TRUE(rt::RewriteTextFile(file, "a\tb\n\nc\n", false));
    EXPECT_EQ(ReadBytes(file), "a\tb\r\n\r\nc\r\n");
    EXPECT_EQ(folder.Listing(), "split.txt");
    // The user's own file with one name: a new file renamed over the old one.
    EXPECT_NE(InodeOf(file), inode);
}

TEST(AtomicRewrite, CollectsPiecesAndWritesThemOnlyAtClose) {
    TempFolder folder;
    const std::string file = folder / "settings.ini";
    WriteBytes(file, "old");
    rt::TextOutFile out;
    ASSERT_TRUE(out.Open(file, true));
    EXPECT_TRUE(out.IsOpen());
    out.Puts("[Misc]\n");
    out.Puts("Key=Value\n");
    EXPECT_EQ(ReadBytes(file), "old");
    ASSERT_TRUE(out.Close());
    EXPECT_FALSE(out.IsOpen());
    EXPECT_EQ(ReadBytes(file), "[Misc]\r\nKey=Value\r\n");
    EXPECT_FALSE(out.Close());
}

TEST(AtomicRewrite, KeepsThePermissionsOfTheOldFile) {
    TempFolder folder;
    const std::string file = folder / "split.txt";
    WriteBytes(file, "old");
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(rt::RewriteTextFile(file, "new\n", false));
    EXPECT_EQ(ModeOf(file), 0640u);
    ASSERT_EQ(chmod(file.c_str(), 0604), 0);
    ASSERT_TRUE(rt::RewriteTextFile(file, "newer\n", true));
    EXPECT_EQ(ModeOf(file), 0604u);
}

TEST(AtomicRewrite, GivesANewFileTheModeOfAnOrdinaryCreate) {
    TempFolder folder;
    const std::string file = folder / "new.txt";
    ASSERT_TRUE(rt::RewriteTextFile(file, "x\n", false));
    EXPECT_EQ(ReadBytes(file), "x\r\n");
    EXPECT_EQ(ModeOf(file), 0666 & ~CurrentUmask());
}

TEST(AtomicRewrite, FollowsSymbolicLinksAndKeepsThem) {
    TempFolder folder;
    ASSERT_EQ(mkdir((folder / "data").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((folder / "links").c_str(), 0755), 0);
    const std::string real = folder / "data/split.txt";
    WriteBytes(real, "old");
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    // links/first -> second (relative, same folder) -> ../data/split.txt (relative to links/).
    ASSERT_EQ(symlink("../data/split.txt", (folder / "links/second").c_str()), 0);
    ASSERT_EQ(symlink("second", (folder / "links/first").c_str()), 0);

    ASSERT_TRUE(rt::RewriteTextFile(folder / "links/first", "through the links\n", false));

    struct stat st {};
    ASSERT_EQ(lstat((folder / "links/first").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(lstat((folder / "links/second").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadBytes(real), "through the links\r\n");
    EXPECT_EQ(ModeOf(real), 0600u);
    EXPECT_EQ(folder.Listing(), "data links");
}

// Another user's link in a shared sticky folder such as /tmp is not followed, as the kernel
// would not follow it with protected_symlinks on; the saver's own link there is.
TEST(AtomicRewrite, FollowsALinkInASharedFolderOnlyWhereTheKernelWould) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, to plant a link as another user";
    }
    TempFolder shared;
    ASSERT_EQ(chmod(shared.Path().c_str(), 01777), 0);
    TempFolder own;
    const std::string precious = own / "split.txt";
    WriteBytes(precious, "precious\r\n");
    ASSERT_TRUE(
        RunUnprivileged([&] { return symlink(precious.c_str(), (shared / "Lapwren.ini").c_str()) == 0; }));

    EXPECT_FALSE(rt::RewriteTextFile(shared / "Lapwren.ini", "[Misc]\n", true));
    EXPECT_FALSE(rt::AppendTextFile(shared / "Lapwren.ini", "[Misc]\n"));
    EXPECT_EQ(ReadBytes(precious), "precious\r\n");
    EXPECT_EQ(shared.Listing(), "Lapwren.ini");

    ASSERT_EQ(symlink(precious.c_str(), (shared / "own.ini").c_str()), 0);
    EXPECT_TRUE(rt::RewriteTextFile(shared / "own.ini", "[Window]\n", true));
    EXPECT_EQ(ReadBytes(precious), "[Window]\r\n");

    // The same holds for a link to a folder, met on the way to the file, and after other links.
    ASSERT_EQ(symlink(own.Path().c_str(), (shared / "d").c_str()), 0);
    ASSERT_EQ(lchown((shared / "d").c_str(), kNobody, kNoGroup), 0);
    ASSERT_EQ(symlink((shared / "d").c_str(), (own / "via").c_str()), 0);
    for (const std::string& name : {shared / "d/split.txt", own / "via/split.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(rt::RewriteTextFile(name, "[Misc]\n", true));
        EXPECT_FALSE(rt::AppendTextFile(name, "[Misc]\n"));
        EXPECT_FALSE(rt::AppendTextFile(name + "-RunLog.txt", "run\n"));
    }
    EXPECT_EQ(ReadBytes(precious), "[Window]\r\n");
    EXPECT_EQ(own.Listing(), "split.txt via");

    ASSERT_EQ(symlink(own.Path().c_str(), (shared / "mine").c_str()), 0);
    EXPECT_TRUE(rt::AppendTextFile(shared / "mine/split.txt", "[Keys]\n"));
    EXPECT_EQ(ReadBytes(precious), "[Window]\r\n[Keys]\r\n");
}

// A folder reached on the way is the one written into: one swapped for a link between Open and
// Close, after the links on the path were checked, is not followed, as nothing is looked up by
// its path again.
TEST(AtomicRewrite, WritesIntoTheFolderThatOpenReached) {
    TempFolder folder;
    ASSERT_EQ(mkdir((folder / "game").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((folder / "other").c_str(), 0755), 0);
    WriteBytes(folder / "game/split.txt", "old\r\n");
    WriteBytes(folder / "other/split.txt", "other\r\n");
    const size_t descriptors = OpenDescriptors();
    {
        rt::TextOutFile out;
        ASSERT_TRUE(out.Open(folder / "game/split.txt", true));
        ASSERT_EQ(rename((folder / "game").c_str(), (folder / "moved").c_str()), 0);
        ASSERT_EQ(symlink("other", (folder / "game").c_str()), 0);
        out.Puts("new\n");
        EXPECT_TRUE(out.Close());
    }
    EXPECT_EQ(ReadBytes(folder / "moved/split.txt"), "new\r\n");
    EXPECT_EQ(ReadBytes(folder / "other/split.txt"), "other\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "moved"), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "other"), {}), 1);
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

// Links may lead a short path into a folder whose own path is longer than any path the kernel
// takes: the file there is saved, appended to and cut back all the same.
TEST(AtomicRewrite, ReachesAFolderOfAnyDepthThroughLinks) {
    TempFolder folder;
    // Two links of twelve folders each: every link fits, the real path (about 4,850 bytes) not.
    const std::string level(200, 'd');
    std::string twelve = level;
    for (int i = 1; i < 12; ++i) {
        twelve += "/" + level;
    }
    int at = open(folder.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const char* name : {"deep", "deeper"}) {
        ASSERT_EQ(symlinkat(twelve.c_str(), at, name), 0);
        for (int i = 0; i < 12; ++i) {
            ASSERT_EQ(mkdirat(at, level.c_str(), 0755), 0);
            const int below = openat(at, level.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            close(at);
            at = below;
            ASSERT_GE(at, 0);
        }
    }
    close(at);
    const std::string file = folder / "deep/deeper/split.txt";
    const size_t descriptors = OpenDescriptors();
    EXPECT_TRUE(rt::RewriteTextFile(file, "old\n", true));
    EXPECT_TRUE(rt::RewriteTextFile(file, "saved\n", true));
    EXPECT_TRUE(rt::AppendTextFile(file, "run\n"));
    EXPECT_EQ(ReadBytes(file), "saved\r\nrun\r\n");
    EXPECT_TRUE(rt::CutAppendedText(file, "run\n"));
    EXPECT_EQ(ReadLines(file), Lines{"saved"});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "deep/deeper"), {}), 1);
    EXPECT_EQ(OpenDescriptors(), descriptors);

    at = open(folder.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    RemoveAllBelow(at);
    close(at);
}

TEST(AtomicRewrite, CreatesTheTargetOfADanglingLink) {
    TempFolder folder;
    ASSERT_EQ(symlink((folder / "target.txt").c_str(), (folder / "link.txt").c_str()), 0);
    ASSERT_TRUE(rt::RewriteTextFile(folder / "link.txt", "x\n", false));
    EXPECT_EQ(ReadBytes(folder / "target.txt"), "x\r\n");
}

TEST(AtomicRewrite, RefusesALinkLoop) {
    TempFolder folder;
    ASSERT_EQ(symlink("b", (folder / "a").c_str()), 0);
    ASSERT_EQ(symlink("a", (folder / "b").c_str()), 0);
    const size_t descriptors = OpenDescriptors();
    EXPECT_FALSE(rt::RewriteTextFile(folder / "a", "x\n", false));
    EXPECT_FALSE(rt::AppendTextFile(folder / "a", "x\n"));
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(folder.Listing(), "a b");
}

// Where renaming a new file over the old one would lose something, or is refused, the old file
// is written where it stands, as a plain rewrite does: the same file, owner, group, links and
// permissions, with the new text.
TEST(RewriteInPlace, WhenTheFolderTakesNoNewFile) {
    TempFolder folder;
    const std::string file = folder / "split.txt";
    WriteBytes(file, "old\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    if (geteuid() == 0) {
        // The saver's own file, so only the folder stands in the way.
        ASSERT_EQ(chown(file.c_str(), kNobody, kNoGroup), 0);
    }
    ASSERT_EQ(chmod(folder.Path().c_str(), 0555), 0);
    const ino_t inode = InodeOf(file);

    // A save that is dropped before its end leaves the old text: the file is emptied at Close.
    EXPECT_TRUE(RunUnprivileged([&] {
        rt::TextOutFile out;
        const bool opened = out.Open(file, true);
        out.Puts("half a file\n");
        return opened;
    }));
    EXPECT_EQ(ReadBytes(file), "old\r\n");

    EXPECT_TRUE(RunUnprivileged([&] { return rt::RewriteTextFile(file, "new\n", true); }));
    EXPECT_EQ(ReadBytes(file), "new\r\n");
    EXPECT_EQ(ModeOf(file), 0644u);
    EXPECT_EQ(InodeOf(file), inode);
    EXPECT_EQ(folder.Listing(), "split.txt");
}

TEST(RewriteInPlace, WhenAStickyFolderHoldsAnotherUsersFile) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, to save a file of root's as another user";
    }
    TempFolder folder; // like /tmp: everyone may add files, only owners may replace them
    ASSERT_EQ(chmod(folder.Path().c_str(), 01777), 0);
    const std::string file = folder / "shared.ini";
    WriteBytes(file, "[Misc]\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    const ino_t inode = InodeOf(file);

    EXPECT_TRUE(RunUnprivileged([&] { return rt::RewriteTextFile(file, "[Window]\n", true); }));
    EXPECT_EQ(ReadBytes(file), "[Window]\r\n");
    EXPECT_EQ(OwnerOf(file), 0u);
    EXPECT_EQ(InodeOf(file), inode);
    EXPECT_EQ(ModeOf(file), 0666u);
    EXPECT_EQ(folder.Listing(), "shared.ini");
}

// A user's file saved once by root (the program run with sudo) stays the user's, so that the
// user's own saves are not refused from then on.
TEST(RewriteInPlace, WhenTheFileBelongsToAnotherUser) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, to save a file of another user";
    }
    TempFolder folder;
    ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
    const std::string file = folder / "split.txt";
    WriteBytes(file, "old\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    ASSERT_EQ(chown(file.c_str(), kNobody, kNoGroup), 0);

    ASSERT_TRUE(rt::RewriteTextFile(file, "by root\n", true));
    EXPECT_EQ(ReadBytes(file), "by root\r\n");
    EXPECT_EQ(OwnerOf(file), kNobody);
    EXPECT_EQ(GroupOf(file), kNoGroup);
    EXPECT_EQ(ModeOf(file), 0600u);
    EXPECT_TRUE(RunUnprivileged([&] { return rt::RewriteTextFile(file, "by its owner\n", true); }));
    EXPECT_EQ(ReadBytes(file), "by its owner\r\n");
}

TEST(RewriteInPlace, WhenTheFileHasASecondName) {
    TempFolder folder;
    const std::string file = folder / "split.txt";
    WriteBytes(file, "old\r\n");
    ASSERT_EQ(link(file.c_str(), (folder / "backup.txt").c_str()), 0);

    ASSERT_TRUE(rt::RewriteTextFile(file, "new\n", false));
    EXPECT_EQ(ReadBytes(folder / "backup.txt"), "new\r\n");
    EXPECT_EQ(InodeOf(file), InodeOf(folder / "backup.txt"));
    EXPECT_EQ(folder.Listing(), "backup.txt split.txt");
}

// A new file would lose the named entries, and the copied permission bits would give the
// owning group the ACL's mask.
TEST(RewriteInPlace, WhenTheFileHasAnAccessAcl) {
    TempFolder folder;
    const std::string file = folder / "split.txt";
    WriteBytes(file, "old\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    if (std::system(("setfacl -m u:daemon:rw- '" + file + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "needs setfacl (package acl) and a file system with ACLs";
    }
    const auto acl = [&] {
        char value[256];
        ssize_t n = getxattr(file.c_str(), "system.posix_acl_access", value, sizeof value);
        return n < 0 ? std::string() : std::string(value, static_cast<size_t>(n));
    };
    const std::string before = acl();
    ASSERT_FALSE(before.empty());
    const ino_t inode = InodeOf(file);

    ASSERT_TRUE(rt::RewriteTextFile(file, "new\n", true));
    EXPECT_EQ(ReadBytes(file), "new\r\n");
    EXPECT_EQ(acl(), before);
    EXPECT_EQ(InodeOf(file), inode);
    EXPECT_EQ(folder.Listing(), "split.txt");
}

// On a full disk the old text stays whole: it is written over only once the new one has room.
TEST(RewriteInPlace, OnAFullDiskLeavesTheOldFileAsItWas) {
    SmallTmpfs disk("128k");
    if (!disk.Mounted()) {
        GTEST_SKIP() << disk.Why();
    }
    const std::string file = disk / "split.txt";
    const std::string old = std::string(7998, 'o') + "\r\n";
    WriteBytes(file, old);
    ASSERT_EQ(link(file.c_str(), (disk / "backup.txt").c_str()), 0);
    disk.Fill();

    EXPECT_FALSE(rt::RewriteTextFile(file, std::string(20000, 'n') + "\n", true));
    EXPECT_EQ(ReadBytes(file), old);
    // A text that fits in the old one's room is still written.
    EXPECT_TRUE(rt::RewriteTextFile(file, "short\n", true));
    EXPECT_EQ(ReadBytes(disk / "backup.txt"), "short\r\n");
}

TEST(RewriteInPlace, WhenTheNewFileCannotJoinTheOldFilesGroup) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, to give a user's file a group the user is not in";
    }
    TempFolder folder;
    ASSERT_EQ(chmod(folder.Path().c_str(), 0777), 0);
    const std::string file = folder / "split.txt";
    WriteBytes(file, "old\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0664), 0);
    ASSERT_EQ(chown(file.c_str(), kNobody, 0), 0);
    const ino_t inode = InodeOf(file);

    EXPECT_TRUE(RunUnprivileged([&] { return rt::RewriteTextFile(file, "new\n", false); }));
    EXPECT_EQ(ReadBytes(file), "new\r\n");
    EXPECT_EQ(GroupOf(file), 0u);
    EXPECT_EQ(InodeOf(file), inode);
    EXPECT_EQ(folder.Listing(), "split.txt");
}

TEST(AtomicRewrite, KeepsTheGroupOfTheOldFile) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, to give a file a group of its own";
    }
    TempFolder folder;
    const std::string file = folder / "split.txt";
    WriteBytes(file, "old\r\n");
    ASSERT_EQ(chown(file.c_str(), 0, kNoGroup), 0);
    const ino_t inode = InodeOf(file);

    ASSERT_TRUE(rt::RewriteTextFile(file, "new\n", true));
    EXPECT_EQ(ReadBytes(file), "new\r\n");
    EXPECT_EQ(GroupOf(file), kNoGroup);
    EXPECT_NE(InodeOf(file), inode) << "still replaced by a rename";
}

volatile sig_atomic_t leaseBroken = 0;

// A file server or a sync tool may hold a write lease on a split file. The save neither opens the
// old file nor waits for the lease: it lands, and the lease is not broken.
TEST(AtomicRewrite, SavesAFileThatAnotherProcessHoldsALeaseOn) {
    TempFolder folder;
    const std::string file = folder / "game.txt";
    WriteBytes(file, "attempts 27\r\n");
    int up[2];
    int down[2];
    ASSERT_EQ(pipe(up), 0);
    ASSERT_EQ(pipe(down), 0);
    std::fflush(nullptr);
    const pid_t holder = fork();
    if (holder == 0) {
        alarm(60); // never outlives the test
        // A break of the lease is told by a signal that would end the holder.
        signal(SIGIO, [](int) { leaseBroken = 1; });
        const int fd = open(file.c_str(), O_RDONLY);
        const int error = fd >= 0 && fcntl(fd, F_SETLEASE, F_WRLCK) == 0 ? 0 : errno;
        char go = 0;
        if (write(up[1], &error, sizeof error) != sizeof error || read(down[0], &go, 1) != 1) {
            _exit(1);
        }
        const int held = fcntl(fd, F_GETLEASE) == F_WRLCK && leaseBroken == 0;
        _exit(write(up[1], &held, sizeof held) == sizeof held ? 0 : 1);
    }
    close(up[1]);
    close(down[0]);
    int error = -1;
    const bool leased = read(up[0], &error, sizeof error) == sizeof error && error == 0;
    const auto saved =
        leased ? RunWithDeadline(10, [&] { return rt::RewriteTextFile(file, "attempts 99\n", true); })
               : std::nullopt;
    int held = 0;
    const bool heard = write(down[1], "x", 1) == 1 && read(up[0], &held, sizeof held) == sizeof held;
    close(up[0]);
    close(down[1]);
    waitpid(holder, nullptr, 0);
    if (!leased) {
        GTEST_SKIP() << "no write lease can be taken here (fs.leases-enable, or the file system): "
                     << std::strerror(error);
    }
    EXPECT_EQ(saved, true) << "the save was dropped, or waited for the lease";
    EXPECT_EQ(ReadBytes(file), "attempts 99\r\n");
    EXPECT_TRUE(heard && held == 1) << "the save broke the lease";
    EXPECT_EQ(folder.Listing(), "game.txt");
}

TEST(AtomicRewrite, DoesNotReplaceAFileThatIsNotWritable) {
    TempFolder folder;
    ASSERT_EQ(chmod(folder.Path().c_str(), 0777), 0);
    const std::string file = folder / "split.txt";
    WriteBytes(file, "protected\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);

    EXPECT_FALSE(RunUnprivileged([&] { return rt::RewriteTextFile(file, "new\n", false); }));
    EXPECT_EQ(ReadBytes(file), "protected\r\n");
    EXPECT_EQ(folder.Listing(), "split.txt");
}

TEST(AtomicRewrite, DroppingAnOpenFileKeepsTheTargetAndRemovesTheTemporaryFile) {
    TempFolder folder;
    const std::string file = folder / "state.txt";
    WriteBytes(file, "old");
    const size_t descriptors = OpenDescriptors();
    {
        rt::TextOutFile out;
        ASSERT_TRUE(out.Open(file, false));
        out.Puts("half a state");
        EXPECT_EQ(folder.Listing().find("state.txt"), 1u) << "a temporary file sits beside the target";
    }
    EXPECT_EQ(ReadBytes(file), "old");
    EXPECT_EQ(folder.Listing(), "state.txt");
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST(AtomicRewrite, FailsAndCleansUpWhenTheTargetIsAFolder) {
    TempFolder folder;
    ASSERT_EQ(mkdir((folder / "dir").c_str(), 0755), 0);
    const size_t descriptors = OpenDescriptors();
    EXPECT_FALSE(rt::RewriteTextFile(folder / "dir", "x\n", false));
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(folder.Listing(), "dir");
}

TEST(AtomicRewrite, RefusesTheEmptyNameAndAMissingFolder) {
    TempFolder folder;
    EXPECT_FALSE(rt::RewriteTextFile("", "x\n", false));
    EXPECT_FALSE(rt::RewriteTextFile(folder / "no/such.txt", "x\n", false));
    rt::TextOutFile out;
    EXPECT_FALSE(out.IsOpen());
    out.Puts("ignored");
    EXPECT_FALSE(out.Close());
}

TEST(AtomicRewrite, WorksOnANameWithoutAFolder) {
    TempFolder folder;
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder.Path().c_str()), 0);
    const bool written = rt::RewriteTextFile("plain.txt", "x\n", false);
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_TRUE(written);
    EXPECT_EQ(ReadBytes(folder / "plain.txt"), "x\r\n");
}

// An appended line is taken back only while nothing came after it and no appender is at work. Its
// bytes become NULs in place: the file is never cut, as a line may have come after it since.
TEST(TextFileCuttingBack, TakesBackATextOnlyWhileItStillEndsTheFile) {
    TempFolder folder;
    const std::string file = folder / "log.txt";
    EXPECT_FALSE(rt::CutAppendedText(file, "x\n"));
    EXPECT_FALSE(rt::FileExists(file)) << "a missing file is not created";

    ASSERT_TRUE(rt::AppendTextFile(file, "head\n"));
    ASSERT_TRUE(rt::AppendTextFile(file, "run 1\n"));
    EXPECT_FALSE(rt::CutAppendedText(file, "longer than the whole file\n"));
    EXPECT_FALSE(rt::CutAppendedText(file, "run 1")) << "the line end was appended too";
    EXPECT_TRUE(rt::CutAppendedText(file, "run 1\n"));
    EXPECT_EQ(ReadBytes(file), std::string("head\r\n\0\0\0\0\0\r\n", 13));
    std::string text;
    ASSERT_TRUE(rt::ReadTextFile(file, text));
    EXPECT_EQ(text, "head\n") << "a taken-back last line ends the text";

    // Another program appended since: its line stays, and so does the one before it.
    ASSERT_TRUE(rt::AppendTextFile(file, "run 2\n"));
    ASSERT_TRUE(rt::AppendTextFile(file, "other\n"));
    EXPECT_FALSE(rt::CutAppendedText(file, "run 2\n"));
    EXPECT_EQ(ReadLines(file), (Lines{"head", "run 2", "other"}));

    // An appender holds the file: the cut does not wait for it, and leaves the file alone.
    const int holder = open(file.c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    EXPECT_FALSE(rt::CutAppendedText(file, "other\n"));
    close(holder);
    EXPECT_EQ(ReadLines(file), (Lines{"head", "run 2", "other"}));
    EXPECT_TRUE(rt::CutAppendedText(file, "other\n"));
    EXPECT_EQ(ReadLines(file), (Lines{"head", "run 2"}));
    EXPECT_EQ(StdioTextModeLines(ReadBytes(file)), (Lines{"head", "run 2"}));
}

} // namespace
