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
    ASSERT_TRUE(rt::RewriteTextFile(file, "a\tb\n\nc\n", false));
    EXPECT_EQ(ReadBytes(file), "a\tb\r\n\r\nc\r\n");
    EXPECT_EQ(folder.Listing(), "split.txt");
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

TEST(AtomicRewrite, LeavesTheOldFileWhenTheFolderIsNotWritable) {
    TempFolder folder;
    ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
    const std::string locked = folder / "locked";
    ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
    const std::string file = locked + "/split.txt";
    WriteBytes(file, "old\r\n");
    // Writable in place, so only the folder stands in the way.
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(chmod(locked.c_str(), 0555), 0);

    EXPECT_FALSE(RunUnprivileged([&] { return rt::RewriteTextFile(file, "new\n", true); }));
    EXPECT_EQ(ReadBytes(file), "old\r\n");
    EXPECT_EQ(ModeOf(file), 0666u);
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
