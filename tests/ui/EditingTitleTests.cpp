// Editing the titles and pictures of the split table: the file title and title image, a row's
// title and image, a column's title; each through the text dialog over the clicked element, then
// written to the split file and laid out again.

#include "core/FileDataClass.h"
#include "platform/forms/Image.h"
#include "tests/ui/EditingFixture.h"

using editing::TypeOver;

class EditingTitles : public EditingTest {
protected:
    // Types into the two rows of the text dialog (a row given as nullptr is left untouched).
    static std::function<void(TForm&)> Entries(const char* first, const char* second = nullptr) {
        return [first, second](TForm&) {
            if (first != nullptr)
                TypeOver(TextSettingsForm->Entry1Edit, first);
            if (second != nullptr)
                TypeOver(TextSettingsForm->Entry2Edit, second);
        };
    }
};

TEST_F(EditingTitles, TheFileTitleDialogShowsTitleAndImageOverTheTitle) {
    Start();
    WritePicture("banner.bmp", 16, 16);
    LoadTable(WriteSplitFile("game.txt", "Game", {"PB"}, {{"Forest", {"30.00", "31.00"}}}, "banner.bmp"));
    TLabel* title = Form->SplitData->titleLabel;
    const Shown shown = Answer([&] { ClickItem(title, "Change Title/Image"); });
    EXPECT_EQ(shown.entryCount, 2);
    EXPECT_EQ(shown.caption, "File Title");
    EXPECT_EQ(shown.text, "Game");
    EXPECT_EQ(shown.caption2, "File Image Name");
    EXPECT_EQ(shown.text2, "banner.bmp");
    EXPECT_EQ(shown.left, LeftOver(title));
    EXPECT_EQ(shown.top, TopOver(title));
    // Two rows shown, 24 pixels each.
    EXPECT_EQ(TextSettingsForm->ClientHeight(), 48);
}

TEST_F(EditingTitles, ANewTitleAloneKeepsTheTitleImage) {
    Start();
    WritePicture("banner.bmp", 16, 16);
    LoadTable(WriteSplitFile("game.txt", "Game", {"PB"}, {{"Forest", {"30.00", "31.00"}}}, "banner.bmp"));
    TImage* image = Form->SplitData->titleImage;
    ASSERT_NE(image, nullptr);
    Answer([&] { ClickItem(Form->SplitData->titleLabel, "Change Title/Image"); }, Entries("Any% Glitchless"));

    EXPECT_EQ(Form->SplitData->title, "Any% Glitchless");
    EXPECT_EQ(Form->SplitData->titleImage, image);
    EXPECT_EQ(Form->SplitData->titleLabel->Caption(), "Any% Glitchless");
    EXPECT_EQ(ReadFile("game.txt"), "3\t0.00\tbanner.bmp\r\nAny% Glitchless\tBest Splits\tPB\r\n"
                                    "Forest\t30.00\t31.00\r\n\t\t\r\n");
}

TEST_F(EditingTitles, AnEmptyImageNameRemovesTheTitleImageAndTheTableMovesBack) {
    Start();
    WritePicture("banner.bmp", 16, 16);
    LoadTable(WriteSplitFile("game.txt", "Game", {"PB"}, {{"Forest", {"30.00", "31.00"}}}, "banner.bmp"));
    const int shiftedLeft = RowHeader(0)->Left();
    Answer([&] { ClickItem(Form->SplitData->titleLabel, "Change Title/Image"); }, Entries(nullptr, ""));

    EXPECT_EQ(Form->SplitData->titleImage, nullptr);
    EXPECT_EQ(Form->SplitData->titleImageFileName, "");
    EXPECT_EQ(GameLines()[0], "3\t0.00\t");
    // Without any picture the table no longer leaves room for one.
    EXPECT_EQ(RowHeader(0)->Left(), shiftedLeft - Form->ImageSize);
}

TEST_F(EditingTitles, ANewImageNameLoadsThePictureBesideTheTitle) {
    StartGame();
    WritePicture("crest.jpg", 20, 10);
    const int plainLeft = RowHeader(0)->Left();
    Answer([&] { ClickItem(Form->SplitData->titleLabel, "Change Title/Image"); },
           Entries(nullptr, "crest.jpg"));

    TImage* image = Form->SplitData->titleImage;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Form->SplitData->titleImageFileName, "crest.jpg");
    EXPECT_EQ(GameLines()[0], "3\t0.00\tcrest.jpg");
    EXPECT_EQ(image->Height(), Form->ImageSize);
    EXPECT_EQ(image->Top(), Form->SplitData->titleLabel->Top());
    EXPECT_EQ(image->Left(), Form->SplitData->titleLabel->Left() - Form->ImageSize);
    EXPECT_EQ(RowHeader(0)->Left(), plainLeft + Form->ImageSize);

    // A name that names no picture keeps the name and shows nothing.
    Answer([&] { ClickItem(Form->SplitData->titleLabel, "Change Title/Image"); },
           Entries(nullptr, "gone.bmp"));
    EXPECT_EQ(Form->SplitData->titleImage, nullptr);
    EXPECT_EQ(GameLines()[0], "3\t0.00\tgone.bmp");
}

TEST_F(EditingTitles, ARowGetsItsTitleAndPictureFromTheDialogOverItsHeader) {
    Start();
    WritePicture("cave.bmp", 16, 16);
    LoadTable(WriteSplitFile("game.txt", "Game", {"PB"},
                             {{"Forest", {"30.00", "31.00"}},
                              {"Cave", {"40.00", "1:12.00"}, true},
                              {"Castle", {"50.00", "2:03.00"}}}));
    TLabel* header = RowHeader(1);
    // Where the header is before the picture moves it.
    const int left = LeftOver(header);
    const int top = TopOver(header);
    const Shown shown =
        Answer([&] { ClickItem(header, "Change Title/Image"); }, Entries("Crystal Cave", "cave.bmp"));
    EXPECT_EQ(shown.entryCount, 2);
    EXPECT_EQ(shown.caption, "Row Title");
    EXPECT_EQ(shown.text, "Cave");
    EXPECT_EQ(shown.caption2, "File Image Name");
    EXPECT_EQ(shown.text2, "");
    EXPECT_EQ(shown.left, left);
    EXPECT_EQ(shown.top, top);

    EXPECT_EQ(Form->SplitData->GetRowTitle(1), "Crystal Cave");
    TImage* image = Form->SplitData->GetRowImage(1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Top(), RowHeader(1)->Top());
    EXPECT_EQ(RowHeader(1)->Caption(), "Crystal Cave");
    // The hideable mark stays in front of the image name.
    EXPECT_EQ(GameLines()[4], "Crystal Cave\t40.00\t1:12.00");
    EXPECT_EQ(GameLines()[5], "H|cave.bmp\t\t");

    // Clearing the name removes the picture; the title alone leaves it be.
    Answer([&] { ClickItem(RowHeader(1), "Change Title/Image"); }, Entries("Cave"));
    EXPECT_EQ(Form->SplitData->GetRowImage(1), image);
    Answer([&] { ClickItem(RowHeader(1), "Change Title/Image"); }, Entries(nullptr, ""));
    EXPECT_EQ(Form->SplitData->GetRowImage(1), nullptr);
    EXPECT_EQ(GameLines()[5], "H|\t\t");
}

TEST_F(EditingTitles, AColumnIsRenamedInTheOneRowDialogCaptionedRowTitle) {
    StartGame();
    TLabel* header = ColumnHeader(2);
    const Shown shown = Answer([&] { ClickItem(header, "Change Title"); }, Entries("Yesterday"));
    EXPECT_EQ(shown.entryCount, 1);
    EXPECT_EQ(shown.caption, "Row Title");
    EXPECT_EQ(shown.text, "Last");
    EXPECT_EQ(shown.left, LeftOver(header));
    EXPECT_EQ(shown.top, TopOver(header));
    EXPECT_EQ(TextSettingsForm->ClientHeight(), 24);

    EXPECT_EQ(Form->SplitData->GetColumnTitle(2), "Yesterday");
    EXPECT_EQ(ColumnHeader(2)->Caption(), "Yesterday");
    std::string expected = GameBytes();
    expected.replace(expected.find("\tLast\r\n"), 7, "\tYesterday\r\n");
    EXPECT_EQ(ReadFile("game.txt"), expected);
}

TEST_F(EditingTitles, AnUntouchedTitleDialogRewritesTheFileWithTheSameValues) {
    Start();
    // Loose spellings: the rewrite shows in the bytes, the values do not change.
    WriteFile("game.txt", "3\t0\t\nGame\tBest Splits\tPB\nForest\t30\t31\n\t\t\n");
    LoadTable(Dir + "game.txt");
    Answer([&] { ClickItem(Form->SplitData->titleLabel, "Change Title/Image"); });
    EXPECT_EQ(ReadFile("game.txt"), "3\t0.00\t\r\nGame\tBest Splits\tPB\r\nForest\t30.00\t31.00\r\n\t\t\r\n");
    EXPECT_EQ(Form->SplitData->title, "Game");
}
