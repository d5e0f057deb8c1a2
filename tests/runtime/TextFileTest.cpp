#include "platform/runtime/TextFile.h"

#include "tests/runtime/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

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
        ReadCase{"CtrlZEndsTheText", std::string("ab\r\ncd\x1A", 7) + "ef\r\n", "ab\ncd"},
        ReadCase{"CtrlZAtTheStartGivesNothing",
                 "\x1A"
                 "abc",
                 ""},
        ReadCase{"CrBeforeCtrlZIsKept", "ab\r\x1A\n", "ab\r"},
        ReadCase{"NulCutsTheRestOfItsLine", std::string("ab\0cd\r\nef\r\n", 11), "abef\n"},
        ReadCase{"NulOnLastLineCutsToTheEnd", std::string("ab\r\ncd\0ef", 9), "ab\ncd"},
        ReadCase{"LongLinesAreJoinedAgain", kLongLine + "\r\n" + kLongLine, kLongLine + "\n" + kLongLine},
        // A NUL cuts only the 1,023-character piece that holds it; the next piece of the
        // same line is read again.
        ReadCase{"NulCutsOnlyItsPieceOfALongLine",
                 std::string(10, 'a') + std::string(1, '\0') + std::string(1012, 'b') + "tail\r\n",
                 std::string(10, 'a') + "tail\n"},
        ReadCase{"NulInTheSecondPieceKeepsTheFirst", std::string(1023, 'a') + std::string("b\0c\r\nd", 7),
                 std::string(1023, 'a') + "bd"},
        ReadCase{"EmptyFileGivesEmptyText", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextFileReading, FailsWithEmptyTextWhenTheFileCannotBeOpened) {
    TempFolder folder;
    std::string text = "stale";
    EXPECT_FALSE(rt::ReadTextFile(folder / "missing.txt", text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(rt::ReadTextFile(folder.Path(), text));
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

TEST(TextFileAppending, FailsWhenTheFolderIsMissing) {
    TempFolder folder;
    EXPECT_FALSE(rt::AppendTextFile(folder / "no/such.txt", "x\n"));
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
    EXPECT_FALSE(rt::RewriteTextFile(folder / "a", "x\n", false));
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
    {
        rt::TextOutFile out;
        ASSERT_TRUE(out.Open(file, false));
        out.Puts("half a state");
        EXPECT_EQ(folder.Listing().find("state.txt"), 1u) << "a temporary file sits beside the target";
    }
    EXPECT_EQ(ReadBytes(file), "old");
    EXPECT_EQ(folder.Listing(), "state.txt");
}

TEST(AtomicRewrite, FailsAndCleansUpWhenTheTargetIsAFolder) {
    TempFolder folder;
    ASSERT_EQ(mkdir((folder / "dir").c_str(), 0755), 0);
    EXPECT_FALSE(rt::RewriteTextFile(folder / "dir", "x\n", false));
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

} // namespace
