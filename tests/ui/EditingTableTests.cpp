// The column and row header commands: "Show Elapsed", "Make Split Hideable", and the structural
// edits (insert, move, delete), which rebuild the table's controls, write the split file and
// refuse the deletions that would break the table with a message box.

#include "core/FileDataClass.h"
#include "core/TextHelpers.h"
#include "platform/forms/Application.h"
#include "platform/runtime/Clock.h"
#include "tests/support/TableTitles.h"
#include "tests/ui/EditingFixture.h"

using EditingTable = EditingTest;
using testsupport::ColumnTitles;
using testsupport::RowTitles;

// --- Flags ---------------------------------------------------------------------------------------

TEST_F(EditingTable, ShowElapsedTogglesTheColumnWithoutSavingAndIsLostOnReopening) {
    Start();
    // Loose spellings: any rewrite of the file would show in its bytes.
    const std::string loose = "3\t0\t\nGame\tBest Splits\tPB\nForest\t30\t31\n\t\t\nCave\t40\t1:12\n\t\t\n";
    WriteFile("game.txt", loose);
    LoadTable(Dir + "game.txt");
    TMenuItem* item = FindItem(OpenPopup(ColumnHeader(1)), "Show Elapsed");
    ASSERT_FALSE(item->Checked());

    item->Click();
    EXPECT_TRUE(Form->SplitData->GetColumnShowElapsed(1));
    EXPECT_TRUE(item->Checked());
    // The cave's segment instead of its split time, in the header's elapsed colour.
    EXPECT_EQ(Form->SplitData->GetCellTimeLabel(1, 1)->Caption(), "41.00");
    EXPECT_EQ(ColumnHeader(1)->Font().Color(),
              HexToColor(Form->ColHeaderElapsedFontColor, Form->UseBGRFormat));
    EXPECT_EQ(ReadFile("game.txt"), loose);

    item->Click();
    EXPECT_FALSE(Form->SplitData->GetColumnShowElapsed(1));
    EXPECT_FALSE(item->Checked());
    EXPECT_EQ(Form->SplitData->GetCellTimeLabel(1, 1)->Caption(), "1:12.00");

    item->Click();
    LoadTable(Dir + "game.txt");
    EXPECT_FALSE(Form->SplitData->GetColumnShowElapsed(1));
    EXPECT_FALSE(FindItem(OpenPopup(ColumnHeader(1)), "Show Elapsed")->Checked());
    EXPECT_EQ(ReadFile("game.txt"), loose);
}

TEST_F(EditingTable, MakeSplitHideableIsSavedAndCheckedAfterTheRebuild) {
    StartGame();
    TLabel* before = RowHeader(1);
    ClickItem(before, "Make Split Hideable");
    EXPECT_TRUE(Form->SplitData->IsRowHideable(1));
    EXPECT_EQ(GameLines()[5], "H|\t\t\t");
    // The table was built anew; its item shows the flag.
    EXPECT_NE(RowHeader(1), before);
    EXPECT_TRUE(FindItem(OpenPopup(RowHeader(1)), "Make Split Hideable")->Checked());
    EXPECT_FALSE(FindItem(OpenPopup(RowHeader(0)), "Make Split Hideable")->Checked());

    ClickItem(RowHeader(1), "Make Split Hideable");
    EXPECT_FALSE(Form->SplitData->IsRowHideable(1));
    EXPECT_EQ(ReadFile("game.txt"), GameBytes());
    EXPECT_FALSE(FindItem(OpenPopup(RowHeader(1)), "Make Split Hideable")->Checked());
}

TEST_F(EditingTable, AHideableRowDisappearsAtOnceWhileHideableRowsAreHidden) {
    WriteSettings({"[Window]", "HideHideableRows=Y"});
    StartGame();
    const int castleTop = RowHeader(2)->Top();
    ClickItem(RowHeader(1), "Make Split Hideable");
    EXPECT_FALSE(RowHeader(1)->Visible());
    // The rows below close the gap.
    EXPECT_EQ(RowHeader(2)->Top(), castleTop - Form->RowStep());
}

// --- Structural edits ----------------------------------------------------------------------------

struct StructuralCase {
    const char* shows;
    bool onColumn;
    size_t index;
    const char* item;
    std::vector<std::string> columns;
    std::vector<std::string> rows;
    std::string titleLine;
};

class EditingStructure : public EditingTest, public ::testing::WithParamInterface<StructuralCase> {};

TEST_P(EditingStructure, TheEditRebuildsTheTableAndWritesTheFile) {
    const StructuralCase& c = GetParam();
    StartGame();
    TLabel* element = c.onColumn ? ColumnHeader(c.index) : RowHeader(c.index);
    ClickItem(element, c.item);

    const FileDataClass& data = *Form->SplitData;
    EXPECT_EQ(ColumnTitles(data), c.columns);
    EXPECT_EQ(RowTitles(data), c.rows);

    // Every control of the new shape exists, tagged and captioned for its place.
    for (size_t col = 0; col < data.GetColumnCount(); ++col) {
        ASSERT_NE(ColumnHeader(col), nullptr);
        EXPECT_EQ(ColumnHeader(col)->Tag(), static_cast<intptr_t>(col));
        EXPECT_EQ(ColumnHeader(col)->Caption(), c.columns[col]);
    }
    for (size_t row = 0; row < data.GetRowCount(); ++row) {
        ASSERT_NE(RowHeader(row), nullptr);
        EXPECT_EQ(RowHeader(row)->Tag(), static_cast<intptr_t>(row));
        EXPECT_EQ(RowHeader(row)->Caption(), c.rows[row]);
        for (size_t col = 0; col < data.GetColumnCount(); ++col)
            ASSERT_NE(data.GetCellTimeLabel(row, col), nullptr);
    }

    const std::vector<std::string> lines = GameLines();
    ASSERT_EQ(lines.size(), 2 + 2 * c.rows.size());
    EXPECT_EQ(lines[1], c.titleLine);
    for (size_t row = 0; row < c.rows.size(); ++row)
        EXPECT_EQ(lines[2 + 2 * row].substr(0, lines[2 + 2 * row].find('\t')), c.rows[row]);
}

const std::vector<std::string> kColumns{"Best Splits", "PB", "Last", "Current"};
const std::vector<std::string> kRows{"Forest", "Cave", "Castle", "Tower"};
const std::string kTitleLine = "Game\tBest Splits\tPB\tLast";
// An empty title in the last place gets one more TAB, so that the reader keeps its column.
const std::string kEmptyLastTitleLine = "Game\tBest Splits\tPB\tLast\t\t";

INSTANTIATE_TEST_SUITE_P(
    HeaderCommands, EditingStructure,
    ::testing::Values(
        StructuralCase{"insert column before PB",
                       true,
                       1,
                       "Insert Column Before",
                       {"Best Splits", "", "PB", "Last", "Current"},
                       kRows,
                       "Game\tBest Splits\t\tPB\tLast"},
        StructuralCase{"insert column after Last, the new comparison",
                       true,
                       2,
                       "Insert Column After",
                       {"Best Splits", "PB", "Last", "", "Current"},
                       kRows,
                       kEmptyLastTitleLine},
        StructuralCase{"insert column before the current run",
                       true,
                       3,
                       "Insert Column Before",
                       {"Best Splits", "PB", "Last", "", "Current"},
                       kRows,
                       kEmptyLastTitleLine},
        StructuralCase{"insert column after the best splits",
                       true,
                       0,
                       "Insert Column After",
                       {"Best Splits", "", "PB", "Last", "Current"},
                       kRows,
                       "Game\tBest Splits\t\tPB\tLast"},
        StructuralCase{"move PB forward",
                       true,
                       1,
                       "Move Column Forward",
                       {"Best Splits", "Last", "PB", "Current"},
                       kRows,
                       "Game\tBest Splits\tLast\tPB"},
        StructuralCase{"move Last back",
                       true,
                       2,
                       "Move Column Back",
                       {"Best Splits", "Last", "PB", "Current"},
                       kRows,
                       "Game\tBest Splits\tLast\tPB"},
        StructuralCase{"delete PB",
                       true,
                       1,
                       "Delete Column",
                       {"Best Splits", "Last", "Current"},
                       kRows,
                       "Game\tBest Splits\tLast"},
        StructuralCase{"insert row before Cave",
                       false,
                       1,
                       "Insert Row Before",
                       kColumns,
                       {"Forest", "", "Cave", "Castle", "Tower"},
                       kTitleLine},
        StructuralCase{"insert row after Tower",
                       false,
                       3,
                       "Insert Row After",
                       kColumns,
                       {"Forest", "Cave", "Castle", "Tower", ""},
                       kTitleLine},
        StructuralCase{"move Castle up",
                       false,
                       2,
                       "Move Row Up",
                       kColumns,
                       {"Forest", "Castle", "Cave", "Tower"},
                       kTitleLine},
        StructuralCase{"move Forest down",
                       false,
                       0,
                       "Move Row Down",
                       kColumns,
                       {"Cave", "Forest", "Castle", "Tower"},
                       kTitleLine},
        StructuralCase{
            "delete Cave", false, 1, "Delete Row", kColumns, {"Forest", "Castle", "Tower"}, kTitleLine},
        StructuralCase{"delete the last row before a run",
                       false,
                       3,
                       "Delete Row",
                       kColumns,
                       {"Forest", "Cave", "Castle"},
                       kTitleLine}),
    [](const ::testing::TestParamInfo<StructuralCase>& info) {
        std::string name;
        bool upper = true;
        for (const char* p = info.param.shows; *p != '\0'; ++p) {
            if (*p == ' ' || *p == ',') {
                upper = true;
                continue;
            }
            name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*p))) : *p;
            upper = false;
        }
        return name;
    });

TEST_F(EditingTable, MovedRowsTakeTheirBestSegmentsAndTheFileIsWrittenWhole) {
    StartGame();
    ClickItem(RowHeader(2), "Move Row Up");
    EXPECT_EQ(ReadFile("game.txt"), "3\t0.00\t\r\nGame\tBest Splits\tPB\tLast\r\n"
                                    "Forest\t30.00\t31.00\t32.00\r\n\t\t\t\r\n"
                                    "Castle\t50.00\t2:03.00\t2:10.00\r\n\t\t\t\r\n"
                                    "Cave\t40.00\t1:12.00\t0.00\r\n\t\t\t\r\n"
                                    "Tower\t20.00\t2:25.00\t2:31.00\r\n\t\t\t\r\n");
    // The rebuilt table offers what the new places allow: Forest cannot move up.
    EXPECT_EQ(FindItem(OpenPopup(RowHeader(0)), "Move Row Up"), nullptr);
    EXPECT_NE(FindItem(OpenPopup(RowHeader(1)), "Move Row Up"), nullptr);
}

TEST_F(EditingTable, DeletingDownToThreeColumnsTakesTheMoveItemsAway) {
    StartGame();
    ClickItem(ColumnHeader(2), "Delete Column");
    ASSERT_EQ(Form->SplitData->GetColumnCount(), 3u);
    EXPECT_EQ(
        Captions(OpenPopup(ColumnHeader(1))),
        (std::vector<std::string>{"Change Header Font/Color", "Change Elapsed Mode Color", "Change Title",
                                  "Change Header Height/Width", "-", "Show Elapsed", "-",
                                  "Insert Column Before", "Insert Column After", "-", "Delete Column"}));
    EXPECT_EQ(GameLines()[2], "Forest\t30.00\t31.00");
}

// --- Refusals ------------------------------------------------------------------------------------

struct RefusalCase {
    const char* shows;
    int columns; // 2 to 4, counting the best and the current column
    int rows;
    int splitsMade; // of a run in progress, 0 for none
    bool onColumn;
    size_t index;
    std::string message;
};

class EditingRefusal : public EditingTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(EditingRefusal, AForbiddenDeletionIsRefusedWithAMessageAndChangesNothing) {
    const RefusalCase& c = GetParam();
    Start();
    LoadTable(WriteTableFile("game.txt", c.rows, c.columns));
    if (c.splitsMade > 0) {
        Form->SplitData->StartRun();
        for (int i = 0; i < c.splitsMade; ++i) {
            rt::AdvanceTestClocks(10'000'000);
            Form->SplitData->MakeSplit("", {});
        }
    }
    const std::string fileBefore = ReadFile("game.txt");
    TLabel* element = c.onColumn ? ColumnHeader(c.index) : RowHeader(c.index);
    const size_t columnsBefore = Form->SplitData->GetColumnCount();
    const size_t rowsBefore = Form->SplitData->GetRowCount();

    ScopedMessageBoxRecorder messages;
    // Called as its item would call it; the menu leaves the item out where the count alone refuses.
    TMenuItem* sibling = FindItem(OpenPopup(element), c.onColumn ? "Show Elapsed" : "Make Split Hideable");
    if (c.onColumn)
        Form->ColHeaderDeleteRowMenuClick(sibling);
    else
        Form->RowHeaderDeleteRowMenuClick(sibling);

    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, c.message);
    EXPECT_EQ(messages.Messages()[0].caption, "");
    EXPECT_EQ(messages.Messages()[0].flags, MB_OK);
    EXPECT_EQ(Form->SplitData->GetColumnCount(), columnsBefore);
    EXPECT_EQ(Form->SplitData->GetRowCount(), rowsBefore);
    EXPECT_EQ(ReadFile("game.txt"), fileBefore);
    // The table was not rebuilt.
    EXPECT_EQ(c.onColumn ? ColumnHeader(c.index) : RowHeader(c.index), element);
}

INSTANTIATE_TEST_SUITE_P(
    Deletions, EditingRefusal,
    ::testing::Values(
        RefusalCase{"TwoColumnsHaveNoColumnToDelete", 2, 3, 0, true, 1, "There is no column to delete."},
        // The count is checked before the column.
        RefusalCase{"TheCountIsCheckedFirst", 2, 3, 0, true, 0, "There is no column to delete."},
        RefusalCase{"TheBestSplitsStay", 4, 3, 0, true, 0,
                    "Cannot delete the best splits or current column."},
        RefusalCase{"TheCurrentRunStays", 4, 3, 0, true, 3,
                    "Cannot delete the best splits or current column."},
        RefusalCase{"OneRowStays", 3, 1, 0, false, 0, "There must be at least 1 row."},
        RefusalCase{"TheLastRowInProgressStays", 3, 3, 2, false, 2,
                    "Cannot delete the last row when it is the next split."}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.shows); });

// An insert past what a split file may hold does nothing at all: saved, the table would make a file
// that the next open refuses. The table grows to its limit in the model alone, which is as much
// as the insert looks at.
struct InsertLimitCase {
    const char* shows;
    bool onColumn;
    size_t index;
    const char* item;
};

class EditingInsertLimit : public EditingTest, public ::testing::WithParamInterface<InsertLimitCase> {};

TEST_P(EditingInsertLimit, AnInsertPastTheLimitsLeavesTheWindowAndTheFileAsTheyWere) {
    const InsertLimitCase& c = GetParam();
    StartGame();
    FileDataClass& data = *Form->SplitData;
    if (c.onColumn) {
        while (data.GetColumnCount() < FileDataClass::kMaxSplitFileColumns) {
            const size_t current = data.GetColumnCount() - 1;
            for (auto& row : data.rows)
                row->InsertColumn(current);
            data.columns.insert(data.columns.begin() + static_cast<std::ptrdiff_t>(current),
                                std::make_unique<ColumnHeaderClass>("Run"));
        }
    } else {
        while (data.GetRowCount() < FileDataClass::kMaxSplitFileRows)
            data.rows.push_back(std::make_unique<RowDataClass>(data.GetColumnCount()));
    }
    const size_t columnsBefore = data.GetColumnCount();
    const size_t rowsBefore = data.GetRowCount();
    const std::string fileBefore = ReadFile("game.txt");
    TLabel* element = c.onColumn ? ColumnHeader(c.index) : RowHeader(c.index);

    ScopedMessageBoxRecorder messages;
    ClickItem(element, c.item);

    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(data.GetColumnCount(), columnsBefore);
    EXPECT_EQ(data.GetRowCount(), rowsBefore);
    EXPECT_EQ(ReadFile("game.txt"), fileBefore);
    // The table was not rebuilt.
    EXPECT_EQ(c.onColumn ? ColumnHeader(c.index) : RowHeader(c.index), element);
}

INSTANTIATE_TEST_SUITE_P(
    Inserts, EditingInsertLimit,
    ::testing::Values(InsertLimitCase{"ColumnBeforePastTheMostColumns", true, 1, "Insert Column Before"},
                      InsertLimitCase{"ColumnAfterPastTheMostColumns", true, 1, "Insert Column After"},
                      InsertLimitCase{"RowBeforePastTheMostRows", false, 1, "Insert Row Before"},
                      InsertLimitCase{"RowAfterPastTheMostRows", false, 3, "Insert Row After"}),
    [](const ::testing::TestParamInfo<InsertLimitCase>& info) { return std::string(info.param.shows); });

TEST_F(EditingTable, DuringARunOtherRowsCanBeDeleted) {
    StartGame();
    Form->SplitData->StartRun();
    rt::AdvanceTestClocks(31'000'000);
    Form->SplitData->MakeSplit("", {});
    ASSERT_EQ(Form->SplitData->GetCurrentSplit(), 1u);
    ScopedMessageBoxRecorder messages;

    // The last row while another one is in progress.
    ClickItem(RowHeader(3), "Delete Row");
    // A passed row: the same row stays in progress.
    ClickItem(RowHeader(0), "Delete Row");

    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(RowTitles(*Form->SplitData), (std::vector<std::string>{"Cave", "Castle"}));
    EXPECT_EQ(Form->SplitData->GetCurrentSplit(), 0u);
    EXPECT_TRUE(Form->SplitData->IsTimerRunning());
    EXPECT_EQ(GameLines().size(), 6u);
}
