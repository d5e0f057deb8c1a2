// The main window's designed form, its one-time start-up on the first activation, the automatic
// upload dialog at start-up, and what closing the window writes.

#include <filesystem>
#include <set>

#include <QGuiApplication>
#include <QScreen>

#include "core/IniFileClass.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/MediaPlayer.h"
#include "platform/forms/Menus.h"
#include "platform/forms/OpenDialog.h"
#include "platform/forms/TestSeams.h"
#include "platform/forms/Timer.h"
#include "tests/ui/support/MainWindowFixture.h"
#include "ui/SplitHistoryUnit.h"
#include "upload/UploadSplitsUnit.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> FilesIn(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace

using MainStartup = MainWindowTest;

TEST_F(MainStartup, TheDesignedWindowHasItsCaptionMenusAndTimers) {
    StartWindow();
    EXPECT_EQ(Form->Caption(), "Lapwren");
    EXPECT_EQ(Form->BorderStyle(), bsSingle);
    EXPECT_EQ(Form->BorderIcons(), 0u);
    EXPECT_TRUE(Form->KeyPreview());
    EXPECT_EQ(Form->OpenDialog->Title(), "Choose a Lapwren File");
    EXPECT_EQ(Form->OpenDialog->InitialDir(), Dir);
    EXPECT_EQ(Form->TimerHubTimer->Interval(), 3000);
    EXPECT_FALSE(Form->TimerHubTimer->Enabled());

    EXPECT_EQ(Captions(Form->MainMenu->Items()),
              (std::vector<std::string>{"&File", "&Splits", "&Options", "&Counters"}));
    EXPECT_EQ(Captions(Form->FileMenu),
              (std::vector<std::string>{"Open Splits", "Close Splits", "Save Current Splits",
                                        "Save Best Splits", "-", "Open Split State", "Save Split State", "-",
                                        "Split History Graph", "-", "Quit Program"}));
    EXPECT_EQ(Captions(Form->SplitsMenu),
              (std::vector<std::string>{"Pause/Resume Timer", "Reset Timer", "-", "Make Split", "Skip Split",
                                        "Undo Split"}));
    EXPECT_EQ(Captions(Form->OptionsMenu),
              (std::vector<std::string>{
                  "Hide Best Splits", "Hide Current Splits", "Hide Difference Rows", "Hide Hideable Rows",
                  "Hide Attempt Counters", "Auto-save Best Splits", "Auto-save Best Run",
                  "Auto-save Split State File", "Auto-log Runs", "Auto-upload Splits"}));
    // The items are found by the names the settings keys refer to.
    for (const char* name : {"OpenSplitsMenuItem", "SaveCurrentSplitsMenuItem", "ViewGraphHistoryMenuItem",
                             "PauseResumeTimerMenuItem", "UndoSplitMenuItem", "HideDifferenceRowsMenuItem",
                             "AutosaveSplitStateFileMenuItem", "AutoUploadSplitsMenuItem", "CountersMenu"})
        EXPECT_NE(Form->FindComponent(name), nullptr) << name;
}

TEST_F(MainStartup, WithoutSettingsFileEveryDefaultHolds) {
    StartWindow();
    EXPECT_EQ(Form->Left(), 100);
    EXPECT_EQ(Form->Top(), 100);
    EXPECT_EQ(Form->DisplayTimer->Interval(), 75);
    EXPECT_TRUE(Form->DisplayTimer->Enabled());
    EXPECT_EQ(Form->SplitData->bestSplitMinElapsed, 100);
    EXPECT_EQ(Form->SplitData->smallChange, 1000);
    EXPECT_EQ(Form->SplitData->zeroChange, 25);
    EXPECT_EQ(Form->DoubleKeyWait, 25);
    EXPECT_EQ(Form->SplitData->defaultStateFileName, Dir + "Timer-SplitState.txt");
    EXPECT_FALSE(Form->CountersMenu->Visible());
    EXPECT_EQ(Form->CounterCount, 0);
    EXPECT_FALSE(Form->AutoUploadSplits);
    EXPECT_EQ(Form->Color(), clBlack);
    EXPECT_EQ(Form->MaxHeight, 520);
    EXPECT_EQ(Form->MaxWidth, 900);
    EXPECT_EQ(Form->HeaderColumnWidth, 75);
    EXPECT_TRUE(Form->TimerOnLeft);
    EXPECT_TRUE(Form->TimerOnTop);
    EXPECT_EQ(Form->TimerFontName, "Arial");
    EXPECT_EQ(Form->TimerFontSize, 16);
    EXPECT_EQ(Form->TimerTimeFormatMode, 'H');
    EXPECT_EQ(Form->TimerDiffStatusNewBest, "New Best!");
    EXPECT_EQ(Form->SplitData->DiffNegativeLargeColor, "00FF00");
    // No command has a shortcut: the commands stay reachable through the menu only.
    for (TMenuItem* menu : {Form->FileMenu, Form->SplitsMenu, Form->OptionsMenu})
        for (int i = 0; i < menu->Count(); ++i)
            EXPECT_EQ(menu->Items(i)->ShortCut(), 0) << menu->Items(i)->Caption();
}

TEST_F(MainStartup, TheWindowPopupMenuHasFifteenEntriesCheckedFromTheSettings) {
    WriteSettings({"[Misc]", "DefaultElapsedMode=Y", "UseBGRFormat=N", "ResetTimerRestartTimerMode=y",
                   "[Window]", "TimerOnLeft=N", "HorizontalMode=Y", "ReverseMouseScroll=Y"});
    StartWindow();
    ASSERT_EQ(Form->PopupMenu(), Form->FormPopupMenu);
    EXPECT_EQ(
        Captions(Form->FormPopupMenu),
        (std::vector<std::string>{"Change Background Color", "Change Background Image",
                                  "Extra Timer Area && Footer Height/Width", "Maximum Height/Width", "-",
                                  "Double Key Delay", "Default to Elapsed Mode", "Reset Timer Restarts Timer",
                                  "Use BGR Color Format", "-", "Timer on Left", "Timer on Top",
                                  "Horizontal Splits", "Reverse Wheel", "Display Update Interval"}));
    EXPECT_TRUE(Form->DefaultElapsedModeMenuItem->Checked());
    EXPECT_TRUE(Form->ResetRestartTimerMenuItem->Checked());
    EXPECT_FALSE(Form->BGRFormatMenuItem->Checked());
    EXPECT_FALSE(Form->TimerOnLeftMenuItem->Checked());
    EXPECT_TRUE(Form->TimerOnTopMenuItem->Checked());
    EXPECT_TRUE(Form->HorizontalSplitsMenuItem->Checked());
    EXPECT_TRUE(Form->ReverseWheelMenuItem->Checked());
    EXPECT_FALSE(Form->DisplayUpdateIntervalMenuItem->Checked());
}

TEST_F(MainStartup, ASecondActivationCreatesNothing) {
    StartWindow();
    FileDataClass* data = Form->SplitData.get();
    IniFileClass* settings = Form->Settings.get();
    TLabel* timer = Form->TimerLabel;
    const int components = Form->ComponentCount();

    Form->FormActivate(Form);
    // A modal dialog that closes activates the main window again.
    {
        ScopedModalHandler answer([](TForm&) { return mrOk; });
        SplitHistoryForm->ShowModal();
    }

    EXPECT_EQ(Form->SplitData.get(), data);
    EXPECT_EQ(Form->Settings.get(), settings);
    EXPECT_EQ(Form->TimerLabel, timer);
    EXPECT_EQ(Form->ComponentCount(), components);
    EXPECT_EQ(Form->FormPopupMenu->Items()->Count(), 15);
}

TEST_F(MainStartup, AnUploadFileShowsTheUploadDialogBeforeTheWindowIsBuilt) {
    WriteSettings({"[Window]", "Left=210", "Top=120"});
    WriteTextFile("AutoUpload.ini", {"[ServerList]", "b-key=Alpha", "a-key=Zed", "[Settings]", "Server=gone",
                                     "SaveUsername=y", "Username=runner"});
    bool shownInAutoMode = false;
    bool windowBuiltBefore = true;
    bool closedItself = false;
    int dialogLeft = 0;
    {
        ScopedModalHandler answer([&](TForm& form) {
            shownInAutoMode = &form == UploadSplitsForm && UploadSplitsForm->AutoMode;
            windowBuiltBefore = MainForm->FormPopupMenu != nullptr || MainForm->TimerLabel != nullptr;
            dialogLeft = form.Left();
            closedItself = WaitForModalClose(form, 5000);
            return mrNone;
        });
        StartWindow();
    }
    EXPECT_TRUE(shownInAutoMode);
    EXPECT_FALSE(windowBuiltBefore);
    EXPECT_TRUE(closedItself);
    EXPECT_EQ(dialogLeft, 210);
    EXPECT_FALSE(UploadSplitsForm->AutoMode);
    // Servers follow "(none)" in the order of their keys; an unknown saved server selects "(none)".
    EXPECT_EQ(Form->FormPopupMenu->Items()->Count(), 15);
    TStrings* servers = UploadSplitsForm->ServerComboBox->Items();
    ASSERT_EQ(servers->Count(), 3);
    EXPECT_EQ(servers->Strings(0), "(none)");
    EXPECT_EQ(servers->Strings(1), "Zed");
    EXPECT_EQ(servers->Strings(2), "Alpha");
    EXPECT_EQ(UploadSplitsForm->ServerComboBox->ItemIndex(), 0);
    EXPECT_EQ(UploadSplitsForm->UsernameEdit->Text(), "runner");
    // Not ready (no game, no password): automatic upload stays off.
    EXPECT_FALSE(Form->AutoUploadSplits);
    EXPECT_FALSE(Form->AutoUploadSplitsMenuItem->Checked());
    EXPECT_TRUE(Form->StartupDone);
}

// A place kept in the settings from a larger or another monitor: the window opens on the nearest
// screen, all of it in sight, and the upload dialog of the start-up beside it. A place on the
// screen is kept as the settings say, and so is what closing writes.
enum class Edge { Kept, AtStart, AtEnd };

struct PlacementCase {
    const char* name;
    int left, top;             // from the screen's left and top edge, or past its right and bottom
    bool leftPast, topPast;    // counted past the right or bottom edge
    Edge horizontal, vertical; // where the window's edges go
    const char* timerFontSize = "16";
};

void PrintTo(const PlacementCase& c, std::ostream* os) {
    *os << c.name;
}

class StartupPlacement : public MainWindowTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(StartupPlacement, TheWindowOpensWhollyOnAScreenAndTheUploadDialogBesideIt) {
    const PlacementCase& c = GetParam();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const int savedLeft = c.leftPast ? area.x() + area.width() + c.left : area.x() + c.left;
    const int savedTop = c.topPast ? area.y() + area.height() + c.top : area.y() + c.top;
    WriteSettings({"[Window]", "Left=" + std::to_string(savedLeft), "Top=" + std::to_string(savedTop),
                   "[Layout]", std::string("TimerFontSize=") + c.timerFontSize});
    WriteTextFile("AutoUpload.ini", {"[Settings]", "Server=gone"});
    QPoint dialog;
    QRect windowThen;
    {
        ScopedModalHandler answer([&](TForm& form) {
            dialog = QPoint(form.Left(), form.Top());
            windowThen = QRect(MainForm->Left(), MainForm->Top(), MainForm->Width(), MainForm->Height());
            WaitForModalClose(form, 5000);
            return mrNone;
        });
        StartWindow();
    }
    const int left = Form->Left();
    const int top = Form->Top();
    auto placed = [](Edge edge, int saved, int at, int size, int start, int end) {
        switch (edge) {
        case Edge::Kept:
            return at == saved;
        case Edge::AtStart:
            return at == start;
        case Edge::AtEnd:
            return at >= start && at + size <= end && at < saved;
        }
        return false;
    };
    EXPECT_TRUE(placed(c.horizontal, savedLeft, left, Form->Width(), area.x(), area.x() + area.width()))
        << left;
    EXPECT_TRUE(placed(c.vertical, savedTop, top, Form->Height(), area.y(), area.y() + area.height())) << top;
    EXPECT_TRUE(area.contains(QRect(left, top, Form->Width(), Form->Height()))) << left << ", " << top;
    // The upload dialog at the window's place, which lay on the screen then too.
    EXPECT_EQ(dialog, windowThen.topLeft());
    EXPECT_TRUE(area.contains(windowThen));
    CloseWindow();
    IniFileClass saved;
    saved.Load(Dir + "Lapwren.ini");
    EXPECT_EQ(saved.GetInt("Window", "Left", -1), left);
    EXPECT_EQ(saved.GetInt("Window", "Top", -1), top);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Window, StartupPlacement, ::testing::Values(
    PlacementCase{"OnTheScreen", 120, 50, false, false, Edge::Kept, Edge::Kept},
    PlacementCase{"AlmostPastTheBottomRightCorner", -30, -10, true, true, Edge::AtEnd, Edge::AtEnd},
    PlacementCase{"AboveAndLeftOfTheScreen", -500, -300, false, false, Edge::AtStart, Edge::AtStart},
    PlacementCase{"AcrossTheLeftEdge", -20, 80, false, false, Edge::AtStart, Edge::Kept},
    PlacementCase{"PastTheRightEdge", 400, 50, true, false, Edge::AtEnd, Edge::Kept},
    PlacementCase{"FarBelowTheScreen", 100, 3000, false, true, Edge::Kept, Edge::AtEnd},
    PlacementCase{"AsFarRightAsASettingGoes", 2147483647, 50, false, false, Edge::AtEnd, Edge::Kept},
    PlacementCase{"AsFarUpAsASettingGoes", 60, -2147483647, false, false, Edge::Kept, Edge::AtStart},
    // Laid out, the window grows past the screen's edge again.
    PlacementCase{"PastTheRightEdgeWithALargeTimer", 400, 50, true, false, Edge::AtEnd, Edge::Kept, "60"}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(MainStartup, WithoutAnUploadFileTheUploadListsAreEmptyAndNoDialogShows) {
    bool shown = false;
    {
        ScopedModalHandler answer([&](TForm&) {
            shown = true;
            return mrOk;
        });
        StartWindow();
    }
    EXPECT_FALSE(shown);
    EXPECT_EQ(UploadSplitsForm->ServerComboBox->Items()->Count(), 0);
}

TEST_F(MainStartup, ClosingWritesTheWindowPositionIntoAnExistingSettingsFile) {
    WriteSettings({"[Window]", "Top=40", "Left=50", "MaxHeight=400", "[Misc]", "UseBGRFormat=N"});
    StartWindow();
    const std::set<std::string> before = FilesIn(Dir);
    Form->SetLeft(240);
    Form->SetTop(130);
    CloseWindow();

    EXPECT_EQ(FilesIn(Dir), before);
    EXPECT_EQ(ReadFile("Lapwren.ini"),
              "[Misc]\r\nUseBGRFormat=N\r\n\r\n[Window]\r\nLeft=240\r\nMaxHeight=400\r\nTop=130\r\n\r\n");
    EXPECT_FALSE(Form->DisplayTimer->Enabled());
    EXPECT_EQ(Form->SplitData, nullptr);
    EXPECT_EQ(Form->TimerLabel, nullptr);
}

TEST_F(MainStartup, ClosingCreatesNoSettingsFileWhenNoneExisted) {
    StartWindow();
    CloseWindow();
    EXPECT_TRUE(FilesIn(Dir).empty());
}

TEST_F(MainStartup, ClosingWithASplitFileOpenFreesTheTableAndWritesNothingElse) {
    WriteSettings({"[Counters]", "C1Desc=Falls"});
    const std::string path = WriteTableFile("run.txt", 3, 3);
    StartWindow();
    LoadTable(path);
    const std::string splitFile = ReadFile("run.txt");
    CloseWindow();
    EXPECT_EQ(ReadFile("run.txt"), splitFile);
    EXPECT_EQ(Form->CountersMenu->Count(), 0);
    EXPECT_EQ((std::set<std::string>{"Lapwren.ini", "run.txt"}), FilesIn(Dir));
}

TEST_F(MainStartup, TheAlarmSoundRepeatsUntilAcknowledgedAndThenLetsGoOfItsFile) {
    StartWindow();
    TMediaPlayer* player = Form->SoundPlayer;
    ASSERT_NE(player, nullptr);
    EXPECT_FALSE(player->Visible());
    player->SetFileName(Dir + "alarm.wav");
    Form->AlarmAcknowledged = false;
    Form->SoundPlayerOnNotify(player);
    EXPECT_EQ(player->FileName(), Dir + "alarm.wav");

    // Acknowledged while a playback runs: the end of that playback ends the alarm.
    Form->AlarmAcknowledged = true;
    Form->SoundPlayerOnNotify(player);
    EXPECT_EQ(player->FileName(), "");
    EXPECT_FALSE(player->IsOpen());
}
