#include "SplitFileTestSupport.h"
#include "core/FileDataClass.h"

#include <functional>
#include <gtest/gtest.h>

using namespace datafiles;

namespace {

// The table loaded from text written to a scratch file.
struct Loaded {
    TempDir dir;
    FileDataClass data;
    explicit Loaded(const std::string& bytes) {
        WriteBytes(dir.File("splits.txt"), bytes);
        data.LoadSplitFile(dir.File("splits.txt"));
    }
};

// A split file of the given rows and columns (the best and the current-run column counted).
std::string TableText(size_t rows, size_t columns) {
    std::string text = "0\t0\nTitle";
    for (size_t c = 0; c + 1 < columns; ++c)
        text += "\tRun";
    text += '\n';
    for (size_t r = 0; r < rows; ++r)
        text += "Split\t1.00\n\n";
    return text;
}

constexpr size_t kMaxRows = FileDataClass::kMaxSplitFileRows;
constexpr size_t kMaxColumns = FileDataClass::kMaxSplitFileColumns;
constexpr size_t kMaxCells = FileDataClass::kMaxSplitFileCells;

void ExpectEmptyTable(const FileDataClass& data) {
    EXPECT_FALSE(data.HasFile());
    EXPECT_EQ(data.GetRowCount(), 0u);
    EXPECT_EQ(data.GetColumnCount(), 0u);
    EXPECT_EQ(data.title, "");
    EXPECT_EQ(data.totalAttempts, 0);
}

} // namespace

TEST(SplitFileGolden, the_example_loads_to_its_table_and_saves_to_the_same_bytes) {
    TempDir dir;
    FileDataClass data;
    data.LoadSplitFile(GoldenPath("split-file-example.txt"));
    ASSERT_TRUE(data.HasFile());
    EXPECT_EQ(data.totalAttempts, 12);
    EXPECT_EQ(data.startOffset, -150);
    EXPECT_EQ(data.titleImageFileName, "title.bmp");
    EXPECT_EQ(data.title, "Demo");
    ASSERT_EQ(data.GetColumnCount(), 3u);
    EXPECT_EQ(data.GetColumnTitle(1), "PB");
    EXPECT_EQ(data.GetColumnTitle(2), "Current");
    ASSERT_EQ(data.GetRowCount(), 2u);
    EXPECT_EQ(data.GetRowTitle(0), "Level 1");
    EXPECT_TRUE(data.IsRowHideable(0));
    EXPECT_EQ(data.GetRowImageFileName(0), "l1.jpg");
    // The file holds the best segment 1:30.00; the table holds the cumulative 2:30.00.
    EXPECT_EQ(data.GetCellTime(1, 0), 15000);
    EXPECT_EQ(data.GetCellTime(1, 1), 15550);
    EXPECT_EQ(data.GetCellNotes(1, 1), "good pace");

    // The run in progress is never written.
    data.rows[1]->SetTime(2, 99999);
    data.rows[1]->SetNotes(2, "current notes");
    data.fileName = dir.File("demo.txt");
    data.SaveSplitFile();
    EXPECT_EQ(ReadBytes(data.fileName), Golden("split-file-example.txt"));

    // Saved elsewhere with a byte order mark, and cut by a power cut that left NULs after it,
    // the file still loads whole, and saves as the program writes it.
    WriteBytes(data.fileName, "\xEF\xBB\xBF" + Golden("split-file-example.txt") + std::string(512, '\0'));
    FileDataClass foreign;
    foreign.LoadSplitFile(data.fileName);
    ASSERT_TRUE(foreign.HasFile());
    EXPECT_EQ(foreign.totalAttempts, 12);
    EXPECT_EQ(foreign.GetRowCount(), 2u);
    EXPECT_EQ(foreign.GetCellNotes(1, 1), "good pace");
    foreign.SaveSplitFile();
    EXPECT_EQ(ReadBytes(data.fileName), Golden("split-file-example.txt"));
}

TEST(SplitFileRoundTrip, every_stored_value_comes_back_through_save_and_load) {
    TempDir dir;
    FileDataClass first;
    first.LoadSplitFile(GoldenPath("split-file-example.txt"));
    first.fileName = dir.File("copy.txt");
    first.rows.push_back(std::make_unique<RowDataClass>(3));
    first.rows[2]->title = "Level 3";
    first.rows[2]->hideable = true;
    // Best times 10.00, empty, 25.00 are written as the segments 10.00, -10.00, 25.00.
    first.rows[0]->SetTime(0, 1000);
    first.rows[1]->SetTime(0, 0);
    first.rows[2]->SetTime(0, 2500);
    first.SetCellNotes(0, 1, "tab\there\r\nnext line");
    first.SaveSplitFile();
    const std::string written = ReadBytes(first.fileName);
    EXPECT_NE(written.find("\r\nLevel 1\t10.00\t1:01.00\r\nH|l1.jpg\t\ttab|there|rnext line\r\n"),
              std::string::npos);
    EXPECT_NE(written.find("\r\nLevel 2\t-10.00\t2:35.50\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nLevel 3\t25.00\t0.00\r\nH|\t\t\r\n"), std::string::npos);

    FileDataClass second;
    second.LoadSplitFile(first.fileName);
    ASSERT_EQ(second.GetRowCount(), 3u);
    EXPECT_EQ(second.GetCellTime(0, 0), 1000);
    EXPECT_EQ(second.GetCellTime(1, 0), 0);
    EXPECT_EQ(second.GetCellTime(2, 0), 2500);
    EXPECT_EQ(second.GetCellNotes(0, 1), "tab\there\r\nnext line");
    EXPECT_TRUE(second.IsRowHideable(0));
    // The last row never keeps its hideable flag; everything else is written again unchanged.
    EXPECT_FALSE(second.IsRowHideable(2));
    second.SaveSplitFile();
    std::string expected = written;
    expected.erase(expected.rfind("H|"), 2);
    EXPECT_EQ(ReadBytes(second.fileName), expected);
}

TEST(SplitFileLoad, every_refusal_leaves_an_empty_table_without_a_name) {
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"an empty file", ""},
        {"three lines", "1\t0\r\nT\tBest Splits\r\nRow\t1.00\r\n"},
        {"a first line of one field", "1\r\nT\tBest Splits\r\nRow\t1.00\r\n\t\r\n"},
        {"a split state file", "LPWSplitState\tgame.txt\r\n1.00\t0\r\nx\r\ny\r\n"},
        {"a run log", "LPWSplitLog\tgame.txt\r\n1.00\t0\r\nx\r\ny\r\n"},
        // Such bytes are in no file the program wrote; loaded, a save would write the file back
        // changed. A Ctrl-Z that only ends the file still ends its text.
        {"a Ctrl-Z before the rows", "1\t0\r\nT\r\n\x1aRow\t1.00\r\n\t\r\n"},
        {"a Ctrl-Z in a row's title", "1\t0\r\nT\tBest Splits\r\nS1\t1.00\r\n\r\nS2\t2.00\r\n\r\n"
                                      "S3\x1a\t3.00\t9.00\r\n\tnote\r\nS4\t4.00\r\n\r\n\x1a"},
        {"a NUL in a row line", std::string("1\t0\r\nT\tBest Splits\r\nS1\t1.\0"
                                            "00\r\n\r\nS2\t2.00\r\n\r\n",
                                            43)},
        // Tables no window could hold.
        {"more columns than any window shows", TableText(1, kMaxColumns + 1)},
        {"more rows than any run has", TableText(kMaxRows + 1, 2)},
        {"more cells than a table may hold", TableText(kMaxCells / 5 + 1, 5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Loaded file(c.bytes);
        file.data.title = "left over";
        file.data.LoadSplitFile(file.dir.File("splits.txt"));
        ExpectEmptyTable(file.data);
        // Nor is the refused file saved over.
        file.data.SaveSplitFile();
        EXPECT_EQ(ReadBytes(file.dir.File("splits.txt")), c.bytes);
    }
    FileDataClass missing;
    missing.LoadSplitFile("/nonexistent/folder/splits.txt");
    ExpectEmptyTable(missing);
}

TEST(SplitFileLoad, short_and_odd_files_load_as_far_as_they_go) {
    const struct {
        const char* what;
        std::string bytes;
        size_t rows;
        size_t columns;
    } cases[] = {
        {"four lines make one row", "1\t0\nT\tB\tPB\nRow\t1.00\t2.00\n\t\n", 1, 3},
        {"a fifth, unpaired line is ignored", "1\t0\nT\tB\nRow\t1.00\n\t\nStray\t3.00\n", 1, 2},
        {"a title-only second line gives two columns", "1\t0\nT\nRow\n\n", 1, 2},
        {"an empty first row line costs its pair", "1\t0\nT\tB\n\nLost\nKept\t1.00\n\n", 1, 2},
        {"an empty second line gives two columns", "1\t0\n\nRow\t1.00\n\n", 1, 2},
        {"the most columns", TableText(1, kMaxColumns), 1, kMaxColumns},
        {"the most rows", TableText(kMaxRows, 2), kMaxRows, 2},
        {"the most cells", TableText(kMaxCells / 5, 5), kMaxCells / 5, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Loaded file(c.bytes);
        EXPECT_TRUE(file.data.HasFile());
        EXPECT_EQ(file.data.GetRowCount(), c.rows);
        EXPECT_EQ(file.data.GetColumnCount(), c.columns);
        EXPECT_EQ(file.data.GetColumnTitle(0), "Best Splits");
        EXPECT_EQ(file.data.GetColumnTitle(c.columns - 1), "Current");
    }
    Loaded kept("1\t0\nT\tB\n\nLost\nKept\t1.00\n\n");
    EXPECT_EQ(kept.data.GetRowTitle(0), "Kept");
}

TEST(SplitFileLoad, a_row_line_of_only_a_title_keeps_the_previous_best_and_no_times) {
    Loaded file("3\t1:00.00\n\tB\tPB\tWR\nOne\t10.00\t11.00\t12.00\nH|one.png\tn0\tn1\tn2\nTwo\nH|\n");
    ASSERT_EQ(file.data.GetRowCount(), 2u);
    EXPECT_EQ(file.data.titleImageFileName, "");
    EXPECT_EQ(file.data.startOffset, 6000);
    EXPECT_EQ(file.data.GetCellTime(1, 0), 1000);
    EXPECT_EQ(file.data.GetCellTime(1, 1), 0);
    EXPECT_EQ(file.data.GetCellTime(1, 2), 0);
    EXPECT_EQ(file.data.GetCellNotes(0, 2), "n2");
    EXPECT_EQ(file.data.GetCellNotes(0, 3), "");
    EXPECT_TRUE(file.data.IsRowHideable(0));
    EXPECT_FALSE(file.data.IsRowHideable(1));
    EXPECT_EQ(file.data.GetRowImageFileName(1), "");
}

TEST(SplitFileSave, a_crash_in_the_middle_of_a_save_leaves_the_old_file) {
    TempDir dir;
    const std::string name = dir.File("splits.txt");
    WriteBytes(name, Golden("split-file-example.txt"));
    FileDataClass data;
    data.LoadSplitFile(name);
    data.title = "A much longer title than the file had before";
    EXPECT_TRUE(CrashWhileWriting([&] { data.SaveSplitFile(); }));
    EXPECT_EQ(ReadBytes(name), Golden("split-file-example.txt"));
}

TEST(SplitFileSave, tabs_line_breaks_nul_and_ctrl_z_in_text_fields_are_written_as_spaces) {
    // Pasted into a one-line entry, each of them would shift fields, split a line or end the text.
    const std::string pasted("a\tb\rc\nd\0e\032f", 11);
    const struct {
        const char* field;
        std::function<void(FileDataClass&)> set;
        const char* written;
    } cases[] = {
        {"title image", [&](FileDataClass& d) { d.titleImageFileName = pasted; },
         "12\t-1.50\ta b c d e f\r\n"},
        {"title", [&](FileDataClass& d) { d.title = pasted; }, "\na b c d e f\tBest Splits\tPB\r\n"},
        {"column title", [&](FileDataClass& d) { d.SetColumnTitle(1, pasted); },
         "\tBest Splits\ta b c d e f\r\n"},
        {"row title", [&](FileDataClass& d) { d.rows[0]->title = pasted; },
         "\na b c d e f\t1:00.00\t1:01.00\r\n"},
        {"row image", [&](FileDataClass& d) { d.rows[0]->imageFileName = pasted; },
         "\nH|a b c d e f\t\t\r\n"},
        // Notes keep their TAB and line breaks escaped.
        {"notes", [&](FileDataClass& d) { d.SetCellNotes(1, 1, pasted); }, "\n\t\ta|tb|rc|rd e f\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        Loaded file(Golden("split-file-example.txt"));
        c.set(file.data);
        file.data.SaveSplitFile();
        EXPECT_NE(ReadBytes(file.dir.File("splits.txt")).find(c.written), std::string::npos);

        FileDataClass again;
        again.LoadSplitFile(file.dir.File("splits.txt"));
        EXPECT_EQ(again.GetRowCount(), 2u);
        EXPECT_EQ(again.GetColumnCount(), 3u);
        EXPECT_EQ(again.GetCellTime(1, 1), 15550);
    }
}

TEST(SplitFileRoundTrip, a_last_comparison_column_without_a_title_keeps_its_times) {
    TempDir dir;
    WriteBytes(dir.File("splits.txt"), Golden("split-file-example.txt"));
    FileDataClass first;
    first.LoadSplitFile(dir.File("splits.txt"));
    first.SetColumnTitle(1, "");
    first.SaveSplitFile();
    EXPECT_EQ(ReadBytes(dir.File("splits.txt")).substr(20, 20), "Demo\tBest Splits\t\t\r\n");

    FileDataClass second;
    second.LoadSplitFile(dir.File("splits.txt"));
    ASSERT_EQ(second.GetColumnCount(), 3u);
    EXPECT_EQ(second.GetColumnTitle(1), "");
    EXPECT_EQ(second.GetCellTime(1, 1), 15550);
}

TEST(SplitFileRoundTrip, a_table_without_rows_saves_a_file_that_opens_again) {
    Loaded file("7\t0\r\nNo rows\tBest Splits\tPB\r\n\r\nskipped with its empty partner\r\n");
    ASSERT_TRUE(file.data.HasFile());
    ASSERT_EQ(file.data.GetRowCount(), 0u);
    file.data.SaveSplitFile();
    EXPECT_EQ(ReadBytes(file.dir.File("splits.txt")), "7\t0.00\t\r\nNo rows\tBest Splits\tPB\r\n\r\n\r\n");

    FileDataClass again;
    again.LoadSplitFile(file.dir.File("splits.txt"));
    EXPECT_TRUE(again.HasFile());
    EXPECT_EQ(again.totalAttempts, 7);
    EXPECT_EQ(again.GetColumnCount(), 3u);
}
