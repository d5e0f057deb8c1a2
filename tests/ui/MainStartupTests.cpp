// The main window's designed form, its one-time start-up on the first activation, the automatic
// upload dialog at start-up, what closing the window writes, and where the window and the dialogs
// it places lie on the screens.

#include <algorithm>
#include <climits>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>

#include "core/IniFileClass.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/MediaPlayer.h"
#include "platform/forms/Menus.h"
#include "platform/forms/OpenDialog.h"
#include "platform/forms/Panel.h"
#include "platform/forms/TestSeams.h"
#include "platform/forms/Timer.h"
#include "tests/ui/support/MainWindowFixture.h"
#include "ui/ColorSettingsUnit.h"
#include "ui/LabelFontUnit.h"
#include "ui/RadioSettingsUnit.h"
#include "ui/SetDataUnit.h"
#include "ui/SplitHistoryUnit.h"
#include "ui/TextSettingsUnit.h"
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

// --- Placement: the window and every dialog it places, by every screen edge ----------------------
//
// The rows give places relative to a screen of the test's own, so they hold on any screen size.
// The two-screen rows run again as their own test (on a left screen of 1280 x 800 and a right one of
// 1024 x 768 beside it, through the offscreen platform's screen configuration) and skip here.

namespace {

// A coordinate of a row: pixels from the screen's start (left or top) edge, from its end (right or
// bottom) edge, or from the place where the window, at the size it has then, just fits against
// the end edge.
enum class From { Start, End, Fit };

struct At {
    From from;
    long long offset;
};

// Where an edge goes: kept where the row put it, or moved against the start or the end edge of the
// screen it ends on.
enum class Edge { Kept, AtStart, AtEnd };

// What may grow the window after the start-up.
enum class Growth { None, OpenFile, HorizontalSplits };

std::vector<QRect> ScreenAreas() {
    std::vector<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.push_back(screen->availableGeometry());
    return areas;
}

bool OnTheScreens(const QRect& rect) {
    QRegion screens;
    for (const QRect& area : ScreenAreas())
        screens += area;
    return QRegion(rect).subtracted(screens).isEmpty();
}

int Resolve(At at, int start, int length, int size) {
    long long value = start + at.offset;
    if (at.from == From::End)
        value += length;
    else if (at.from == From::Fit)
        value += length - size;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

QPoint Resolve(At left, At top, const QRect& area, QSize size) {
    return QPoint(Resolve(left, area.x(), area.width(), size.width()),
                  Resolve(top, area.y(), area.height(), size.height()));
}

bool Placed(Edge edge, int was, int at, int size, int start, int end) {
    switch (edge) {
    case Edge::Kept:
        return at == was;
    case Edge::AtStart:
        return at == start;
    case Edge::AtEnd:
        return at + size == end;
    }
    return false;
}

// Where a row's window ends instead of wholly on one screen: wholly on the screens, across two; or
// where the runner left it, partly off the screen.
constexpr int kAcrossScreens = -1;
constexpr int kPartlyOff = -2;

// Checks a window or dialog at rect against the row: each edge kept at `was` or against the edge of
// the screen it ends on, and the whole of it on that screen.
void ExpectPlaced(const char* what, const QRect& rect, QPoint was, Edge horizontal, Edge vertical,
                  int endsOn) {
    const std::vector<QRect> areas = ScreenAreas();
    if (endsOn == kPartlyOff) {
        EXPECT_EQ(rect.topLeft(), was) << what;
        return;
    }
    if (endsOn == kAcrossScreens) {
        EXPECT_TRUE(OnTheScreens(rect)) << what << " off the screens";
        EXPECT_EQ(rect.topLeft(), was) << what;
        return;
    }
    const QRect area = areas.at(static_cast<size_t>(endsOn));
    EXPECT_TRUE(Placed(horizontal, was.x(), rect.x(), rect.width(), area.x(), area.x() + area.width()))
        << what << " left " << rect.x() << ", placed at " << was.x();
    EXPECT_TRUE(Placed(vertical, was.y(), rect.y(), rect.height(), area.y(), area.y() + area.height()))
        << what << " top " << rect.y() << ", placed at " << was.y();
    EXPECT_TRUE(area.contains(rect)) << what << " " << rect.width() << "x" << rect.height() << " at "
                                     << rect.x() << ", " << rect.y();
}

// A dialog placed at `placed` shows exactly there when it lies wholly on a screen, else moved the
// shortest way onto the screen that holds most of it, all of it in sight.
void ExpectShownOnAScreen(const char* what, const QRect& shown, QPoint placed) {
    const QRect asPlaced(placed, shown.size());
    QRect holder;
    long long most = -1;
    for (const QRect& area : ScreenAreas()) {
        const QRect shared = area.intersected(asPlaced);
        const long long size = shared.isEmpty() ? 0 : 1LL * shared.width() * shared.height();
        if (size > most) {
            holder = area;
            most = size;
        }
    }
    ASSERT_GT(most, 0) << what << " placed off every screen";
    const QPoint expected(std::clamp(placed.x(), holder.left(), holder.right() + 1 - shown.width()),
                          std::clamp(placed.y(), holder.top(), holder.bottom() + 1 - shown.height()));
    EXPECT_EQ(shown.topLeft(), expected) << what;
    EXPECT_TRUE(holder.contains(shown)) << what;
}

QRect RectOf(const TForm& form) {
    return QRect(form.Left(), form.Top(), form.Width(), form.Height());
}

TMenuItem* PopupItem(TControl* element, const std::string& caption) {
    TPopupMenu* menu = OpenPopup(element);
    for (int i = 0; menu != nullptr && i < menu->Items()->Count(); ++i)
        if (menu->Items()->Items(i)->Caption() == caption)
            return menu->Items()->Items(i);
    ADD_FAILURE() << "no item " << caption;
    return nullptr;
}

} // namespace

// The main window with the dialogs it places.
class PlacementTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateSettingDialogs();
        SetDataForm = new TSetDataForm(nullptr);
    }

    void TearDown() override {
        MainWindowTest::TearDown();
        DeleteSettingDialogs();
        delete SetDataForm;
        SetDataForm = nullptr;
    }

    // Why a row written for this number of screens cannot run here; empty when it can.
    static std::string WrongScreens(int screens) {
        const int here = static_cast<int>(QGuiApplication::screens().size());
        if (here == screens)
            return std::string();
        return "written for " + std::to_string(screens) + " screen(s), here are " + std::to_string(here) +
               "; the two-screen rows run as ui_MainStartupTests_TwoScreens";
    }

    // The window's size once the start-up has laid it out with these settings: the program started
    // once to see it.
    QSize LaidOutSize(const std::vector<std::string>& settings) {
        WriteSettings(settings);
        StartWindow();
        const QSize size(Form->Width(), Form->Height());
        DeleteForms();
        return size;
    }

    // A split file that makes the window grow in both directions when it opens.
    void OpenFile() { LoadTable(WriteTableFile("run.txt", 12, 3)); }
};

// --- The window: opened at the place the settings keep, and kept on the screen by the layouts -----

struct StartupCase {
    const char* name;
    At left, top;              // the place kept in the settings, on `screen`
    Edge horizontal, vertical; // where the window opens, on endsOn
    std::vector<std::string> settings = {};
    // Then, optionally: a file opened, the window placed by hand (on `screen`), a layout that may
    // grow it; with where it goes from its place before that layout.
    bool openFirst = false;
    std::optional<std::pair<At, At>> byHand = std::nullopt;
    Growth growth = Growth::None;
    Edge grownHorizontal = Edge::Kept, grownVertical = Edge::Kept;
    int screen = 0, endsOn = 0, screens = 1;
};

void PrintTo(const StartupCase& c, std::ostream* os) {
    *os << c.name;
}

class StartupPlacement : public PlacementTest, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(StartupPlacement, TheWindowOpensWhollyOnAScreenAndTheUploadDialogBesideIt) {
    const StartupCase& c = GetParam();
    if (const std::string why = WrongScreens(c.screens); !why.empty())
        GTEST_SKIP() << why;
    const QRect area = ScreenAreas().at(static_cast<size_t>(c.screen));
    std::vector<std::string> settings = c.settings;
    const QPoint saved = Resolve(c.left, c.top, area, LaidOutSize(settings));
    settings.insert(settings.end(),
                    {"[Window]", "Left=" + std::to_string(saved.x()), "Top=" + std::to_string(saved.y())});
    WriteSettings(settings);
    // The start-up shows its upload dialog at the window's place.
    WriteTextFile("AutoUpload.ini", {"[Settings]", "Server=gone"});
    QRect dialog;
    QRect windowThen;
    {
        ScopedModalHandler answer([&](TForm& form) {
            dialog = RectOf(form);
            windowThen = RectOf(*MainForm);
            WaitForModalClose(form, 5000);
            return mrNone;
        });
        StartWindow();
    }
    ExpectPlaced("window", RectOf(*Form), saved, c.horizontal, c.vertical, c.endsOn);
    // Until laid out the window stays in sight, and the dialog beside it.
    EXPECT_TRUE(OnTheScreens(windowThen));
    ExpectShownOnAScreen("start-up upload dialog", dialog, windowThen.topLeft());

    if (c.openFirst)
        OpenFile();
    if (c.byHand) {
        const QPoint hand =
            Resolve(c.byHand->first, c.byHand->second, area, QSize(Form->Width(), Form->Height()));
        Form->SetLeft(hand.x());
        Form->SetTop(hand.y());
    }
    const QRect before = RectOf(*Form);
    switch (c.growth) {
    case Growth::None:
        break;
    case Growth::OpenFile:
        OpenFile();
        break;
    case Growth::HorizontalSplits:
        Form->FormHorizontalMenuClick(Form->HorizontalSplitsMenuItem);
        break;
    }
    if (c.growth != Growth::None) {
        EXPECT_TRUE(Form->Width() > before.width() || Form->Height() > before.height())
            << "the window did not grow";
        ExpectPlaced("grown window", RectOf(*Form), before.topLeft(), c.grownHorizontal, c.grownVertical,
                     c.endsOn);
    }

    const QPoint closedAt(Form->Left(), Form->Top());
    CloseWindow();
    IniFileClass kept;
    kept.Load(Dir + "Lapwren.ini");
    EXPECT_EQ(kept.GetInt("Window", "Left", -1), closedAt.x());
    EXPECT_EQ(kept.GetInt("Window", "Top", -1), closedAt.y());
}

const std::pair<At, At> NearTheBottom{{From::Start, 100}, {From::End, -200}};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Window, StartupPlacement, ::testing::Values(
    // Places where the laid-out window lies on the screen open exactly there.
    StartupCase{"OnTheScreen", {From::Start, 120}, {From::Start, 50}, Edge::Kept, Edge::Kept},
    StartupCase{"FitsTheTopLeftCorner", {From::Start, 0}, {From::Start, 0}, Edge::Kept, Edge::Kept},
    StartupCase{"FitsTheTopRightCorner", {From::Fit, 0}, {From::Start, 0}, Edge::Kept, Edge::Kept},
    StartupCase{"FitsTheBottomLeftCorner", {From::Start, 0}, {From::Fit, 0}, Edge::Kept, Edge::Kept},
    StartupCase{"FitsTheBottomRightCorner", {From::Fit, 0}, {From::Fit, 0}, Edge::Kept, Edge::Kept},
    StartupCase{"FitsTheRightEdge", {From::Fit, 0}, {From::Start, 300}, Edge::Kept, Edge::Kept},
    StartupCase{"FitsTheBottomEdge", {From::Start, 300}, {From::Fit, 0}, Edge::Kept, Edge::Kept},
    // Places kept from a larger or another monitor open on the screen, moved the shortest way.
    StartupCase{"OnePastTheBottomRightCorner", {From::Fit, 1}, {From::Fit, 1}, Edge::AtEnd, Edge::AtEnd},
    StartupCase{"AlmostPastTheBottomRightCorner", {From::End, -30}, {From::End, -10}, Edge::AtEnd, Edge::AtEnd},
    StartupCase{"AboveAndLeftOfTheScreen", {From::Start, -500}, {From::Start, -300}, Edge::AtStart, Edge::AtStart},
    StartupCase{"AcrossTheLeftEdge", {From::Start, -20}, {From::Start, 80}, Edge::AtStart, Edge::Kept},
    StartupCase{"PastTheRightEdge", {From::End, 400}, {From::Start, 50}, Edge::AtEnd, Edge::Kept},
    StartupCase{"FarBelowTheScreen", {From::Start, 100}, {From::End, 3000}, Edge::Kept, Edge::AtEnd},
    StartupCase{"AsFarRightAsASettingGoes", {From::Start, 2147483647}, {From::Start, 50}, Edge::AtEnd, Edge::Kept},
    StartupCase{"AsFarUpAsASettingGoes", {From::Start, 60}, {From::Start, -2147483647}, Edge::Kept, Edge::AtStart},
    // Laid out, the window grows past the screen's edge again.
    StartupCase{"PastTheRightEdgeWithALargeTimer", {From::End, 400}, {From::Start, 50}, Edge::AtEnd, Edge::Kept,
                {"[Layout]", "TimerFontSize=60"}},
    // A layout that grows a window lying on the screen moves it back the shortest way; one the
    // runner put partly off the screen stays where it is.
    StartupCase{"AFileOpenedAfterAStartUpMove", {From::End, -30}, {From::End, -10}, Edge::AtEnd, Edge::AtEnd, {},
                false, std::nullopt, Growth::OpenFile, Edge::AtEnd, Edge::AtEnd},
    StartupCase{"AFileOpenedInTheBottomRightCorner", {From::Fit, 0}, {From::Fit, 0}, Edge::Kept, Edge::Kept, {},
                false, std::nullopt, Growth::OpenFile, Edge::AtEnd, Edge::AtEnd},
    StartupCase{"AFileOpenedNearTheBottomByHand", {From::Start, 100}, {From::Start, 100}, Edge::Kept, Edge::Kept,
                {}, false, NearTheBottom, Growth::OpenFile, Edge::Kept, Edge::AtEnd},
    StartupCase{"AFileOpenedPartlyOffTheScreenByHand", {From::Start, 100}, {From::Start, 100}, Edge::Kept,
                Edge::Kept, {}, false, std::pair<At, At>{{From::End, -60}, {From::End, -200}}, Growth::OpenFile,
                Edge::Kept, Edge::Kept, 0, kPartlyOff},
    StartupCase{"HorizontalSplitsAtTheRightEdge", {From::Start, 100}, {From::Start, 100}, Edge::Kept, Edge::Kept,
                {"[Window]", "MaxWidth=600"}, true, std::pair<At, At>{{From::Fit, 0}, {From::Start, 100}},
                Growth::HorizontalSplits,
                Edge::AtEnd, Edge::Kept}),
    [](const ::testing::TestParamInfo<StartupCase>& info) { return std::string(info.param.name); });

// On a left screen of 1280 x 800 and a right one of 1024 x 768: the place given on screen 0 or 1.
INSTANTIATE_TEST_SUITE_P(TwoScreens, StartupPlacement, ::testing::Values(
    StartupCase{"OnTheRightScreen", {From::Start, 100}, {From::Start, 100}, Edge::Kept, Edge::Kept, {},
                false, std::nullopt, Growth::None, Edge::Kept, Edge::Kept, 1, 1, 2},
    StartupCase{"FitsTheRightScreensBottomRightCorner", {From::Fit, 0}, {From::Fit, 0}, Edge::Kept, Edge::Kept, {},
                false, std::nullopt, Growth::None, Edge::Kept, Edge::Kept, 1, 1, 2},
    StartupCase{"AcrossBothScreens", {From::End, -50}, {From::Start, 100}, Edge::Kept, Edge::Kept, {},
                false, std::nullopt, Growth::None, Edge::Kept, Edge::Kept, 0, kAcrossScreens, 2},
    StartupCase{"BelowTheRightScreen", {From::Start, 100}, {From::End, 12}, Edge::Kept, Edge::AtEnd, {},
                false, std::nullopt, Growth::None, Edge::Kept, Edge::Kept, 1, 1, 2},
    StartupCase{"PastTheRightScreensRightEdge", {From::End, 300}, {From::Start, 100}, Edge::AtEnd, Edge::Kept, {},
                false, std::nullopt, Growth::None, Edge::Kept, Edge::Kept, 1, 1, 2},
    StartupCase{"PastTheLeftScreensBottomRightCorner", {From::Fit, 0}, {From::Fit, 1}, Edge::Kept, Edge::AtEnd, {},
                false, std::nullopt, Growth::None, Edge::Kept, Edge::Kept, 0, 0, 2},
    StartupCase{"AFileOpenedNearTheRightScreensBottom", {From::Start, 100}, {From::Start, 100}, Edge::Kept,
                Edge::Kept, {}, false, NearTheBottom, Growth::OpenFile, Edge::Kept, Edge::AtEnd, 1, 1, 2},
    StartupCase{"AFileOpenedAtTheLeftScreensRightEdge", {From::Start, 100}, {From::Start, 100}, Edge::Kept,
                Edge::Kept, {}, false, std::pair<At, At>{{From::Fit, 0}, {From::Start, 100}}, Growth::OpenFile,
                Edge::AtEnd, Edge::Kept, 0, 0, 2}),
    [](const ::testing::TestParamInfo<StartupCase>& info) { return std::string(info.param.name); });
// clang-format on

// --- The dialogs placed beside the window or one of its elements ----------------------------------

enum class Dialog {
    UploadSettings,
    TimerFont,
    TimerColors,
    StatusTexts,
    TimeFormat,
    CellTime,
    FileTitle,
    CounterFont
};

struct DialogCase {
    const char* name;
    Dialog dialog;
    bool withFile;
    At left, top;              // the window's place, by hand, on `screen`
    Edge horizontal, vertical; // where the dialog goes from its place, on endsOn
    std::vector<std::string> settings = {};
    int screen = 0, endsOn = 0, screens = 1;
};

void PrintTo(const DialogCase& c, std::ostream* os) {
    *os << c.name;
}

class DialogPlacement : public PlacementTest, public ::testing::WithParamInterface<DialogCase> {
protected:
    // Where the dialog is placed before the screens are looked at: beside the element, or over the
    // top-left of the client area for the window as a whole.
    QPoint PlaceAsGiven(Dialog dialog) const {
        const int frameWidth = Form->Width() - Form->ClientWidth();
        const int frameHeight = Form->Height() - Form->ClientHeight();
        const TControl* element = nullptr;
        switch (dialog) {
        case Dialog::UploadSettings:
        case Dialog::TimeFormat:
            return QPoint(Form->Left(), Form->Top() + frameHeight - 3);
        case Dialog::CounterFont:
            return QPoint(Form->Left() + frameWidth + Form->CounterPanel->Left(),
                          Form->Top() + frameHeight + Form->CounterPanel->Top());
        case Dialog::TimerFont:
            element = Form->TimerLabel;
            break;
        case Dialog::TimerColors:
        case Dialog::StatusTexts:
            element = Form->TimerDiffLabel;
            break;
        case Dialog::CellTime:
            element = LastTimeLabel();
            break;
        case Dialog::FileTitle:
            element = Form->SplitData->titleLabel;
            break;
        }
        return QPoint(Form->Left() + frameWidth + element->Left() - 3,
                      Form->Top() + frameHeight + element->Top() - 3);
    }

    TLabel* LastTimeLabel() const {
        const FileDataClass& data = *Form->SplitData;
        return data.GetCellTimeLabel(data.GetRowCount() - 1, data.GetColumnCount() - 1);
    }

    void Open(Dialog dialog) {
        switch (dialog) {
        case Dialog::UploadSettings:
            FindItem(Form->OptionsMenu, "Auto-upload Splits")->Click();
            break;
        case Dialog::TimerFont:
            PopupItem(Form->TimerLabel, "Change Timer Font")->Click();
            break;
        case Dialog::TimerColors:
            PopupItem(Form->TimerLabel, "Change Timer Colors")->Click();
            break;
        case Dialog::StatusTexts:
            PopupItem(Form->TimerDiffLabel, "Status Messages")->Click();
            break;
        case Dialog::TimeFormat:
            PopupItem(Form->TimerLabel, "Change Timer Time Format")->Click();
            break;
        case Dialog::CellTime:
            Form->DataCellDblClick(LastTimeLabel());
            break;
        case Dialog::FileTitle:
            PopupItem(Form->SplitData->titleLabel, "Change Title/Image")->Click();
            break;
        case Dialog::CounterFont:
            Form->CounterPopupMenuItemClick(nullptr);
            ASSERT_TRUE(Form->CounterPanel->Visible());
            Form->CounterDataFontMenuClick(nullptr);
            break;
        }
    }
};

TEST_P(DialogPlacement, TheDialogShowsWhollyOnTheScreenThatHoldsMostOfIt) {
    const DialogCase& c = GetParam();
    if (const std::string why = WrongScreens(c.screens); !why.empty())
        GTEST_SKIP() << why;
    std::vector<std::string> settings = {"[Counters]", "C1Desc=Falls", "[Window]"};
    settings.insert(settings.end(), c.settings.begin(), c.settings.end());
    WriteSettings(settings);
    StartWindow();
    if (c.withFile)
        OpenFile();
    const QRect area = ScreenAreas().at(static_cast<size_t>(c.screen));
    const QPoint hand = Resolve(c.left, c.top, area, QSize(Form->Width(), Form->Height()));
    Form->SetLeft(hand.x());
    Form->SetTop(hand.y());

    int shows = 0;
    QRect shown;
    QPoint placed;
    {
        ScopedModalHandler answer([&](TForm& form) {
            ++shows;
            shown = RectOf(form);
            placed = PlaceAsGiven(c.dialog);
            return mrCancel;
        });
        Open(c.dialog);
    }
    ASSERT_EQ(shows, 1);
    ExpectPlaced("dialog", shown, placed, c.horizontal, c.vertical, c.endsOn);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Window, DialogPlacement, ::testing::Values(
    DialogCase{"UploadSettingsAtTheRightEdge", Dialog::UploadSettings, false, {From::Fit, 0}, {From::Start, 200},
               Edge::AtEnd, Edge::Kept},
    DialogCase{"UploadSettingsAtTheBottom", Dialog::UploadSettings, false, {From::Start, 100}, {From::Fit, 0},
               Edge::Kept, Edge::AtEnd},
    DialogCase{"TimerColorsWithTheTimerOnTheRight", Dialog::TimerColors, true, {From::Fit, 0}, {From::Start, 100},
               Edge::AtEnd, Edge::Kept, {"TimerOnLeft=N"}},
    DialogCase{"HorizontalTimerFontWithTheTimerOnTheRight", Dialog::TimerFont, true, {From::Fit, 0},
               {From::Start, 100}, Edge::AtEnd, Edge::Kept, {"TimerOnLeft=N", "HorizontalMode=Y"}},
    // Sized by its count as it is shown: taller than as designed.
    DialogCase{"FourStatusTextsAtTheBottom", Dialog::StatusTexts, false, {From::Start, 100}, {From::Fit, 0},
               Edge::Kept, Edge::AtEnd},
    DialogCase{"FourTimeFormatsAtTheBottom", Dialog::TimeFormat, false, {From::Start, 100}, {From::Fit, 0},
               Edge::Kept, Edge::AtEnd},
    DialogCase{"LastCellInTheBottomRightCorner", Dialog::CellTime, true, {From::Fit, 0}, {From::Fit, 0},
               Edge::AtEnd, Edge::AtEnd},
    DialogCase{"FileTitleAtTheRightEdge", Dialog::FileTitle, true, {From::Fit, 0}, {From::Start, 100},
               Edge::AtEnd, Edge::Kept},
    DialogCase{"CounterFontWithTheWindowPartlyOffTheScreen", Dialog::CounterFont, true, {From::End, -100},
               {From::Start, 100}, Edge::AtEnd, Edge::Kept}),
    [](const ::testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(TwoScreens, DialogPlacement, ::testing::Values(
    DialogCase{"UploadSettingsAtTheRightScreensBottom", Dialog::UploadSettings, false, {From::Start, 100},
               {From::Fit, 0}, Edge::Kept, Edge::AtEnd, {}, 1, 1, 2},
    DialogCase{"UploadSettingsAtTheLeftScreensBottom", Dialog::UploadSettings, false, {From::Start, 100},
               {From::Fit, 0}, Edge::Kept, Edge::AtEnd, {}, 0, 0, 2},
    // Placed across the two screens: onto the one that holds most of it.
    DialogCase{"TimerColorsMostlyOnTheLeftScreen", Dialog::TimerColors, true, {From::Fit, 0}, {From::Start, 100},
               Edge::AtEnd, Edge::Kept, {"TimerOnLeft=N"}, 0, 0, 2},
    DialogCase{"TimerColorsMostlyOnTheRightScreen", Dialog::TimerColors, true, {From::Fit, 100},
               {From::Start, 100}, Edge::AtStart, Edge::Kept, {"TimerOnLeft=N"}, 0, 1, 2}),
    [](const ::testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });
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
