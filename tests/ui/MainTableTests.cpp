// The controls of the timer area and the split table: popup menus with their items and
// conditions, tags that name the element, check items, and the pictures.

#include <filesystem>
#include <optional>

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/forms/Image.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/TestSeams.h"
#include "platform/forms/Timer.h"
#include "tests/ui/support/MainWindowFixture.h"

namespace fs = std::filesystem;

namespace {

using Captions_t = std::vector<std::string>;

// Counts the widgets made on the widget it filters.
struct CountAdded : QObject {
    int added = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        added += event->type() == QEvent::ChildAdded;
        return false;
    }
};

} // namespace

using TableControls = MainWindowTest;

TEST_F(TableControls, TheTimerAreaLabelsCarryTheirPopupMenus) {
    StartWindow();
    EXPECT_EQ(Captions(Form->TimerLabel->PopupMenu()),
              (Captions_t{"Change Timer Font", "Change Timer Colors", "Change Timer Time Format",
                          "Change Timer Start Offset", "Timer Mode Alarm"}));
    EXPECT_EQ(Captions(Form->TimerDiffLabel->PopupMenu()),
              (Captions_t{"Change Diff Font", "Change Diff Colors", "Change Diff Time Format",
                          "Status Messages", "Change Zero Diff && Small Diff"}));
    const Captions_t attempts{"Change Font/Color", "Change Total Attempts"};
    EXPECT_EQ(Captions(Form->AttemptCounterLabel->PopupMenu()), attempts);
    // The three attempt labels share one menu.
    EXPECT_EQ(Form->SessionAttemptsLabel->PopupMenu(), Form->AttemptCounterLabel->PopupMenu());
    EXPECT_EQ(Form->TotalAttemptsLabel->PopupMenu(), Form->AttemptCounterLabel->PopupMenu());
    EXPECT_EQ(Form->AttemptCounterLabel->Caption(), "Attempts");
    // The timer keeps the width of its widest text; the status line takes that width.
    EXPECT_EQ(Form->TimerLabel->Width(), Form->TimerLabel->Canvas()->TextWidth("00:00:00.00"));
    EXPECT_EQ(Form->TimerDiffLabel->Width(), Form->TimerLabel->Width());
    EXPECT_FALSE(Form->TimerLabel->AutoSize());
    EXPECT_EQ(Form->TimerLabel->Alignment(), taRightJustify);
}

struct ColumnMenuCase {
    const char* name;
    int columns;
    int column;
    Captions_t items;
};

class ColumnHeaderMenus : public MainWindowTest, public ::testing::WithParamInterface<ColumnMenuCase> {};

TEST_P(ColumnHeaderMenus, OfferOnlyTheEditsThatApplyToTheColumn) {
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 2, GetParam().columns));
    ASSERT_EQ(Form->SplitData->GetColumnCount(), static_cast<size_t>(GetParam().columns));
    TLabel* header = Form->SplitData->GetColumnLabel(GetParam().column);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(Captions(OpenPopup(header)), GetParam().items);
}

// clang-format off
const ColumnMenuCase kColumnMenuCases[] = {
    {"BestColumnOfTwo", 2, 0, {"Change Header Font/Color", "Change Elapsed Mode Color", "Change Header Height/Width",
        "-", "Show Elapsed", "-", "Insert Column After"}},
    {"CurrentColumnOfTwo", 2, 1, {"Change Header Font/Color", "Change Elapsed Mode Color", "Change Header Height/Width",
        "-", "Show Elapsed", "-", "Insert Column Before"}},
    {"ComparisonOfThreeHasNoMoves", 3, 1, {"Change Header Font/Color", "Change Elapsed Mode Color", "Change Title",
        "Change Header Height/Width", "-", "Show Elapsed", "-", "Insert Column Before", "Insert Column After", "-",
        "Delete Column"}},
    {"CurrentColumnOfThree", 3, 2, {"Change Header Font/Color", "Change Elapsed Mode Color",
        "Change Header Height/Width", "-", "Show Elapsed", "-", "Insert Column Before"}},
    {"FirstComparisonOfFiveMovesForwardOnly", 5, 1, {"Change Header Font/Color", "Change Elapsed Mode Color",
        "Change Title", "Change Header Height/Width", "-", "Show Elapsed", "-", "Move Column Forward", "-",
        "Insert Column Before", "Insert Column After", "-", "Delete Column"}},
    {"MiddleComparisonOfFiveMovesBothWays", 5, 2, {"Change Header Font/Color", "Change Elapsed Mode Color",
        "Change Title", "Change Header Height/Width", "-", "Show Elapsed", "-", "Move Column Forward",
        "Move Column Back", "-", "Insert Column Before", "Insert Column After", "-", "Delete Column"}},
    {"LastComparisonOfFiveMovesBackOnly", 5, 3, {"Change Header Font/Color", "Change Elapsed Mode Color",
        "Change Title", "Change Header Height/Width", "-", "Show Elapsed", "-", "Move Column Back", "-",
        "Insert Column Before", "Insert Column After", "-", "Delete Column"}},
    {"BestColumnOfFiveKeepsBothSeparators", 5, 0, {"Change Header Font/Color", "Change Elapsed Mode Color",
        "Change Header Height/Width", "-", "Show Elapsed", "-", "-", "Insert Column After"}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Tables, ColumnHeaderMenus, ::testing::ValuesIn(kColumnMenuCases),
                         [](const ::testing::TestParamInfo<ColumnMenuCase>& info) {
                             return info.param.name;
                         });

struct RowMenuCase {
    const char* name;
    int rows;
    int row;
    Captions_t items;
};

class RowHeaderMenus : public MainWindowTest, public ::testing::WithParamInterface<RowMenuCase> {};

TEST_P(RowHeaderMenus, OfferOnlyTheEditsThatApplyToTheRow) {
    StartWindow();
    LoadTable(WriteTableFile("run.txt", GetParam().rows, 3));
    TLabel* header = Form->SplitData->GetRowLabel(GetParam().row);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(Captions(OpenPopup(header)), GetParam().items);
}

// clang-format off
const RowMenuCase kRowMenuCases[] = {
    {"OnlyRowHasNoMovesAndNoDelete", 1, 0, {"Change Header Font/Color",
        "Change Current Row && New Best Split Color", "Change Title/Image", "Header Width / Row && Image Height",
        "Make Split Hideable", "-", "Insert Row Before", "Insert Row After"}},
    {"FirstOfTwoMovesDown", 2, 0, {"Change Header Font/Color", "Change Current Row && New Best Split Color",
        "Change Title/Image", "Header Width / Row && Image Height", "Make Split Hideable", "-", "Move Row Down", "-",
        "Insert Row Before", "Insert Row After", "-", "Delete Row"}},
    {"LastOfTwoMovesUp", 2, 1, {"Change Header Font/Color", "Change Current Row && New Best Split Color",
        "Change Title/Image", "Header Width / Row && Image Height", "Make Split Hideable", "-", "Move Row Up", "-",
        "Insert Row Before", "Insert Row After", "-", "Delete Row"}},
    {"MiddleOfThreeMovesBothWays", 3, 1, {"Change Header Font/Color", "Change Current Row && New Best Split Color",
        "Change Title/Image", "Header Width / Row && Image Height", "Make Split Hideable", "-", "Move Row Up",
        "Move Row Down", "-", "Insert Row Before", "Insert Row After", "-", "Delete Row"}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Tables, RowHeaderMenus, ::testing::ValuesIn(kRowMenuCases),
                         [](const ::testing::TestParamInfo<RowMenuCase>& info) { return info.param.name; });

TEST_F(TableControls, CellMenusOfferMinElapsedOnlyOnBestSplitDifferences) {
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 2, 3));
    FileDataClass& data = *Form->SplitData;
    const Captions_t timeItems{"Change Font/Color", "Change Time/Notes"};
    EXPECT_EQ(Captions(OpenPopup(data.GetCellTimeLabel(1, 0))), timeItems);
    EXPECT_EQ(Captions(OpenPopup(data.GetCellTimeLabel(1, 2))), timeItems);
    EXPECT_EQ(Captions(OpenPopup(data.GetCellDiffLabel(1, 0))),
              (Captions_t{"Change Font/Color", "Min Elapsed For Best Split", "Change Time/Notes"}));
    EXPECT_EQ(Captions(OpenPopup(data.GetCellDiffLabel(1, 1))), timeItems);
    EXPECT_EQ(Captions(OpenPopup(data.titleLabel)), (Captions_t{"Change Font/Color", "Change Title/Image"}));
}

TEST_F(TableControls, APopupItemLeadsBackToItsElement) {
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 3, 4));
    FileDataClass& data = *Form->SplitData;
    TLabel* header = data.GetColumnLabel(2);
    TMenuItem* item = FindItem(OpenPopup(header), "Move Column Back");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(TMainForm::PopupElement(item), header);
    EXPECT_EQ(TMainForm::PopupElement(item)->Tag(), 2);
    // The headers share their menu: opened on another one, its items act on that one.
    TMenuItem* other = FindItem(OpenPopup(data.GetColumnLabel(1)), "Change Title");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(TMainForm::PopupElement(other), data.GetColumnLabel(1));
    TLabel* diff = data.GetCellDiffLabel(2, 1);
    EXPECT_EQ(TMainForm::PopupElement(FindItem(OpenPopup(diff), "Change Time/Notes")), diff);
    EXPECT_EQ(TMainForm::PopupElement(diff), diff);
}

TEST_F(TableControls, HeadersAndCellsAreTaggedWithTheirPlace) {
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 5, 4));
    FileDataClass& data = *Form->SplitData;
    EXPECT_EQ(data.GetCellTimeLabel(3, 2)->Tag(), 302);
    EXPECT_EQ(data.GetCellDiffLabel(3, 2)->Tag(), 302);
    EXPECT_EQ(data.GetCellTimeLabel(0, 3)->Tag(), 3);
    EXPECT_EQ(data.GetColumnLabel(3)->Tag(), 3);
    EXPECT_EQ(data.GetRowLabel(4)->Tag(), 4);
    size_t row = 0;
    size_t column = 0;
    ASSERT_TRUE(Form->DecodeCellTag(302, row, column));
    EXPECT_EQ(row, 3u);
    EXPECT_EQ(column, 2u);
    EXPECT_FALSE(Form->DecodeCellTag(502, row, column)); // no row 5
    EXPECT_FALSE(Form->DecodeCellTag(-1, row, column));
}

TEST_F(TableControls, CellTagsNameTheRightCellInTablesOfMoreThanAHundredColumns) {
    StartWindow();
    LoadTable(WriteTableFile("wide.txt", 3, 120));
    FileDataClass& data = *Form->SplitData;
    ASSERT_EQ(data.GetColumnCount(), 120u);
    // With two-digit columns, row 1 column 105 would read as row 2 column 5.
    const intptr_t tag = data.GetCellTimeLabel(1, 105)->Tag();
    EXPECT_NE(tag, data.GetCellTimeLabel(2, 5)->Tag());
    for (const auto& [r, c] : {std::pair<size_t, size_t>{1, 105}, {2, 5}, {0, 119}, {2, 0}}) {
        size_t row = 99;
        size_t column = 99;
        ASSERT_TRUE(Form->DecodeCellTag(data.GetCellDiffLabel(r, c)->Tag(), row, column));
        EXPECT_EQ(row, r);
        EXPECT_EQ(column, c);
    }
}

TEST_F(TableControls, ATableOfExactlyAHundredColumnsKeepsTheNarrowTags) {
    StartWindow();
    LoadTable(WriteTableFile("wide.txt", 2, 100));
    EXPECT_EQ(Form->SplitData->GetCellTimeLabel(1, 99)->Tag(), 199);
}

TEST_F(TableControls, ShowElapsedIsCheckedExactlyForColumnsThatShowElapsedTimes) {
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 2, 4));
    FileDataClass& data = *Form->SplitData;
    data.SetColumnShowElapsed(1, true);
    Form->DestroySplitTable();
    Form->BuildSplitTable();
    Form->UpdateLayout();
    for (size_t c = 0; c < 4; ++c)
        EXPECT_EQ(FindItem(OpenPopup(data.GetColumnLabel(c)), "Show Elapsed")->Checked(), c == 1) << c;
}

TEST_F(TableControls, DefaultElapsedModeSetsEveryColumnOfANewTable) {
    WriteSettings({"[Misc]", "DefaultElapsedMode=Y"});
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 2, 3));
    FileDataClass& data = *Form->SplitData;
    for (size_t c = 0; c < 3; ++c) {
        EXPECT_TRUE(data.GetColumnShowElapsed(c));
        EXPECT_TRUE(FindItem(OpenPopup(data.GetColumnLabel(c)), "Show Elapsed")->Checked());
    }
}

TEST_F(TableControls, MakeSplitHideableIsCheckedForHideableRows) {
    StartWindow();
    LoadTable(
        WriteSplitFile("run.txt", "Run", {"PB"},
                       {{"One", {"10.00", "10.00"}, true}, {"Two", {"10.00", "20.00"}}, {"Three", {}}}));
    FileDataClass& data = *Form->SplitData;
    EXPECT_TRUE(FindItem(OpenPopup(data.GetRowLabel(0)), "Make Split Hideable")->Checked());
    EXPECT_FALSE(FindItem(OpenPopup(data.GetRowLabel(1)), "Make Split Hideable")->Checked());
}

TEST_F(TableControls, DestroyingTheTableEmptiesEverySlotAndFreesTheControls) {
    StartWindow();
    WritePicture("title.bmp", 8, 8);
    LoadTable(
        WriteSplitFile("run.txt", "Run", {"PB"}, {{"One", {"10.00", "11.00"}}, {"Two", {}}}, "title.bmp"));
    FileDataClass& data = *Form->SplitData;
    ASSERT_NE(data.titleImage, nullptr);
    const int components = Form->ComponentCount();
    Form->DestroySplitTable();
    EXPECT_EQ(data.titleLabel, nullptr);
    EXPECT_EQ(data.titleImage, nullptr);
    for (size_t r = 0; r < 2; ++r) {
        EXPECT_EQ(data.GetRowLabel(r), nullptr);
        for (size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(data.GetCellTimeLabel(r, c), nullptr);
            EXPECT_EQ(data.GetCellDiffLabel(r, c), nullptr);
        }
    }
    for (size_t c = 0; c < 3; ++c)
        EXPECT_EQ(data.GetColumnLabel(c), nullptr);
    // 1 title, 1 title image, 3 column headers, 2 row headers, 12 cell labels.
    EXPECT_EQ(Form->ComponentCount(), components - 19);
}

// Open Splits makes each control of the new table once, and the one build already has the
// measures of the new layout (header heights are whole lines of the row height).
TEST_F(TableControls, OpeningAFileMakesEachControlOfItsTableOnce) {
    StartWindow();
    const std::string path = WriteTableFile("run.txt", 4, 3);
    CountAdded counter;
    Form->ClientWidget()->installEventFilter(&counter);
    {
        ScopedOpenDialogHandler dialog([&](TOpenDialog&) { return std::optional<std::string>(path); });
        Form->OpenSplitsMenuItemClick(nullptr);
    }
    Form->ClientWidget()->removeEventFilter(&counter);
    // 1 title, 3 column headers, 4 row headers, 4 x 3 x 2 cell labels.
    EXPECT_EQ(counter.added, 1 + 3 + 4 + 24);
    TLabel* header = Form->SplitData->GetRowLabel(0);
    ASSERT_NE(header, nullptr);
    const int h = header->Canvas()->TextHeight("Agi");
    ASSERT_GT(Form->RowHeight, h);
    EXPECT_EQ(header->Height(), h * (Form->RowHeight / h));
}

// A table of many columns makes a window wider (taller when horizontal) than any screen. Only
// what a screen can show gets a widget: Qt paints the shown siblings of one parent by recursing
// once per sibling, so every column in sight would deepen the stack. The layout keeps its sizes.
TEST_F(TableControls, AVeryWideTableMakesWidgetsOnlyForWhatAScreenCanShow) {
    const int columns = 200;
    const int rows = 2;
    for (const bool horizontal : {false, true}) {
        SCOPED_TRACE(horizontal ? "horizontal" : "vertical");
        WriteSettings({"[Window]", horizontal ? "HorizontalMode=Y" : "HorizontalMode=N"});
        StartWindow();
        CountAdded counter;
        Form->ClientWidget()->installEventFilter(&counter);
        LoadTable(WriteTableFile("wide.txt", rows, columns));
        Form->ClientWidget()->removeEventFilter(&counter);
        ASSERT_EQ(Form->SplitData->GetColumnCount(), static_cast<size_t>(columns));

        const QSize screen = QGuiApplication::primaryScreen()->virtualSize();
        const int tableSize = horizontal ? Form->TableHeight : Form->TableWidth;
        ASSERT_GT(tableSize, 4 * (horizontal ? screen.height() : screen.width()));
        EXPECT_GE(horizontal ? Form->Height() : Form->Width(), tableSize);
        EXPECT_LE(Form->ClientWidget()->width(), screen.width());
        EXPECT_LE(Form->ClientWidget()->height(), screen.height());
        // Columns a screen can show, with a part of one at either end; each has a header and a
        // time and a difference per row. Besides: the title and the row headers.
        const int inSight =
            (horizontal ? screen.height() / Form->RowHeight : screen.width() / Form->ColumnWidth) + 2;
        EXPECT_LE(counter.added, 1 + rows + inSight * (1 + 2 * rows));
        EXPECT_FALSE(Form->SplitData->GetCellTimeLabel(0, 0)->Widget()->isHidden());
        DeleteForms();
    }
}

using Pictures = MainWindowTest;

TEST_F(Pictures, AnEmptyNameGivesNoPicture) {
    StartWindow();
    EXPECT_EQ(Form->CreateImage("", Form, true), nullptr);
}

TEST_F(Pictures, ANameNotFoundIsLookedForBesideTheSplitFileWithoutItsLeadingSlash) {
    fs::create_directory(Dir + "runs");
    WritePicture("runs/row.bmp", 20, 10);
    StartWindow();
    LoadTable(WriteTableFile("runs/run.txt", 2, 3));
    for (const char* name : {"row.bmp", "/row.bmp", "\\row.bmp"}) {
        TImage* image = Form->CreateImage(name, Form, true);
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(image->Width(), Form->ImageSize);
        EXPECT_EQ(image->Height(), Form->ImageSize);
        EXPECT_TRUE(image->Stretch());
        EXPECT_TRUE(image->Proportional());
        EXPECT_EQ(image->Picture()->Width(), 20);
        delete image;
    }
    EXPECT_EQ(Form->CreateImage("missing.bmp", Form, true), nullptr);
}

TEST_F(Pictures, JpegPicturesLoadWhateverTheCaseOfTheirEnding) {
    WritePicture("upper.JPG", 6, 4);
    WritePicture("lower.jpg", 6, 4);
    fs::copy_file(Dir + "lower.jpg", Dir + "long.jpeg");
    StartWindow();
    for (const char* name : {"upper.JPG", "lower.jpg", "long.jpeg"}) {
        TImage* image = Form->CreateImage(Dir + name, Form, false);
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(image->Picture()->Width(), 6) << name;
        EXPECT_FALSE(image->Stretch());
        delete image;
    }
}

TEST_F(Pictures, APictureThatDoesNotLoadLeavesNoControlBehind) {
    WriteFile("broken.jpg", "not a picture at all");
    WriteFile("broken.bmp", "BM and nothing more");
    StartWindow();
    const int components = Form->ComponentCount();
    EXPECT_EQ(Form->CreateImage(Dir + "broken.jpg", Form, true), nullptr);
    EXPECT_EQ(Form->CreateImage(Dir + "broken.bmp", Form, true), nullptr);
    EXPECT_EQ(Form->ComponentCount(), components);
}

TEST_F(Pictures, RowAndTitlePicturesAreBuiltWithTheTable) {
    WritePicture("title.bmp", 8, 8);
    WritePicture("row.jpg", 8, 8);
    StartWindow();
    LoadTable(WriteSplitFile(
        "run.txt", "Run", {"PB"},
        {{"One", {"10.00", "11.00"}, false, "row.jpg"}, {"Two", {}, false, "nothing.bmp"}}, "title.bmp"));
    FileDataClass& data = *Form->SplitData;
    EXPECT_NE(data.titleImage, nullptr);
    EXPECT_NE(data.GetRowImage(0), nullptr);
    EXPECT_EQ(data.GetRowImage(1), nullptr);
    EXPECT_TRUE(data.HasAnyImage());
}

// A large photo named by many rows is decoded once and kept at the size it is drawn, not once
// per row at full size; it is still placed as the whole picture.
TEST_F(Pictures, RowsNamingOnePictureShareItAtTheSizeItIsDrawn) {
    WritePicture("photo.jpg", 400, 200);
    StartWindow();
    LoadTable(WriteSplitFile(
        "run.txt", "Run", {"PB"},
        {{"One", {}, false, "photo.jpg"}, {"Two", {}, false, "photo.jpg"}, {"Three", {}, false, "photo.jpg"}},
        "photo.jpg"));
    FileDataClass& data = *Form->SplitData;
    ASSERT_NE(data.titleImage, nullptr);
    const QImage& kept = data.titleImage->Picture()->Image();
    for (size_t r = 0; r < 3; ++r) {
        TImage* image = data.GetRowImage(r);
        ASSERT_NE(image, nullptr) << r;
        EXPECT_EQ(image->Picture()->Image().cacheKey(), kept.cacheKey()) << "row " << r;
    }
    // Drawn proportionally in a square of ImageSize: full width, half height.
    EXPECT_EQ(kept.size(), QSize(Form->ImageSize, Form->ImageSize / 2));
    EXPECT_EQ(data.titleImage->Picture()->Width(), 400);
    EXPECT_EQ(data.titleImage->PictureRect(), QRect(0, 0, Form->ImageSize, Form->ImageSize / 2));
}

TEST_F(Pictures, RebuildingTheDisplayKeepsTheTableAndTheBackground) {
    WritePicture("bg.bmp", 30, 30);
    StartWindow();
    Form->BackgroundFileName = Dir + "bg.bmp";
    LoadTable(WriteTableFile("run.txt", 2, 3));
    Form->RebuildDisplay();
    ASSERT_NE(Form->BackgroundImage, nullptr);
    EXPECT_TRUE(Form->BackgroundImage->Visible());
    EXPECT_NE(Form->SplitData->GetCellTimeLabel(1, 2), nullptr);
    EXPECT_NE(Form->TimerLabel, nullptr);
    EXPECT_TRUE(Form->DisplayTimer->Enabled());
}
