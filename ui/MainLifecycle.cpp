// The main window from construction to close: the designed form and its menus, the one-time
// start-up on the first activation, the close that saves the window position and frees the
// run-time state, and the replay of the alarm sound.

#include "ui/MainUnit.h"

#include "platform/forms/Application.h"
#include "platform/forms/Label.h"
#include "platform/forms/MediaPlayer.h"
#include "platform/forms/Menus.h"
#include "platform/forms/OpenDialog.h"
#include "platform/forms/Panel.h"
#include "platform/forms/Timer.h"
#include "platform/runtime/ProgramPath.h"
#include "upload/UploadSplitsUnit.h"

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(TComponent* owner) : TForm(owner) {
    CreateDesignedComponents();
    StartupDone = false;
    TableLeft = 0;
    TableTop = 0;
    TableWidth = 0;
    TableHeight = 0;
}

TMainForm::~TMainForm() {
    // The counter objects live in menu item tags and their labels on the counter panel: they go
    // before the form destroys the panel. Everything else the form owns goes with it.
    DeleteCounters();
    if (MainForm == this)
        MainForm = nullptr;
}

TNotifyEvent TMainForm::Handler(void (TMainForm::*method)(TObject*)) {
    return [this, method](TObject* sender) { (this->*method)(sender); };
}

TMenuItem* TMainForm::AddMenuItem(TComponent* owner, TMenuItem* parent, const std::string& caption,
                                  void (TMainForm::*method)(TObject*)) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    if (method != nullptr)
        item->OnClick = Handler(method);
    parent->Add(item);
    return item;
}

void TMainForm::CreateDesignedComponents() {
    SetName("MainForm");
    SetCaption("Lapwren");
    SetBorderStyle(bsSingle);
    SetBorderIcons(0);
    SetPosition(poScreenCenter);
    SetKeyPreview(true);
    SetColor(clWhite);

    MainMenu = new TMainMenu(this);
    MainMenu->SetName("MainMenu");
    TMenuItem* root = MainMenu->Items();
    auto named = [](TMenuItem* item, const char* name) {
        item->SetName(name);
        return item;
    };

    FileMenu = named(AddMenuItem(this, root, "&File", nullptr), "FileMenu");
    OpenSplitsMenuItem =
        named(AddMenuItem(this, FileMenu, "Open Splits", &TMainForm::OpenSplitsMenuItemClick),
              "OpenSplitsMenuItem");
    CloseSplitsMenuItem =
        named(AddMenuItem(this, FileMenu, "Close Splits", &TMainForm::CloseSplitsMenuItemClick),
              "CloseSplitsMenuItem");
    SaveCurrentSplitsMenuItem =
        named(AddMenuItem(this, FileMenu, "Save Current Splits", &TMainForm::SaveCurrentSplitsMenuItemClick),
              "SaveCurrentSplitsMenuItem");
    SaveBestSplitsMenuItem =
        named(AddMenuItem(this, FileMenu, "Save Best Splits", &TMainForm::SaveBestSplitsMenuItemClick),
              "SaveBestSplitsMenuItem");
    named(AddMenuItem(this, FileMenu, "-", nullptr), "N1");
    OpenSplitStateMenuItem =
        named(AddMenuItem(this, FileMenu, "Open Split State", &TMainForm::OpenSplitStateMenuItemClick),
              "OpenSplitStateMenuItem");
    SaveSplitStateMenuItem =
        named(AddMenuItem(this, FileMenu, "Save Split State", &TMainForm::SaveSplitStateMenuItemClick),
              "SaveSplitStateMenuItem");
    named(AddMenuItem(this, FileMenu, "-", nullptr), "N2");
    ViewGraphHistoryMenuItem =
        named(AddMenuItem(this, FileMenu, "Split History Graph", &TMainForm::ViewGraphHistoryMenuItemClick),
              "ViewGraphHistoryMenuItem");
    named(AddMenuItem(this, FileMenu, "-", nullptr), "N3");
    QuitProgramMenuItem =
        named(AddMenuItem(this, FileMenu, "Quit Program", &TMainForm::QuitProgramMenuItemClick),
              "QuitProgramMenuItem");

    SplitsMenu = named(AddMenuItem(this, root, "&Splits", nullptr), "SplitsMenu");
    PauseResumeTimerMenuItem =
        named(AddMenuItem(this, SplitsMenu, "Pause/Resume Timer", &TMainForm::PauseResumeTimerMenuItemClick),
              "PauseResumeTimerMenuItem");
    ResetTimerMenuItem =
        named(AddMenuItem(this, SplitsMenu, "Reset Timer", &TMainForm::ResetTimerMenuItemClick),
              "ResetTimerMenuItem");
    named(AddMenuItem(this, SplitsMenu, "-", nullptr), "N4");
    MakeSplitMenuItem = named(AddMenuItem(this, SplitsMenu, "Make Split", &TMainForm::MakeSplitMenuItemClick),
                              "MakeSplitMenuItem");
    SkipSplitMenuItem = named(AddMenuItem(this, SplitsMenu, "Skip Split", &TMainForm::SkipSplitMenuItemClick),
                              "SkipSplitMenuItem");
    UndoSplitMenuItem = named(AddMenuItem(this, SplitsMenu, "Undo Split", &TMainForm::UndoSplitMenuItemClick),
                              "UndoSplitMenuItem");

    OptionsMenu = named(AddMenuItem(this, root, "&Options", nullptr), "OptionsMenu");
    HideBestSplitsMenuItem =
        named(AddMenuItem(this, OptionsMenu, "Hide Best Splits", &TMainForm::HideBestSplitsMenuItemClick),
              "HideBestSplitsMenuItem");
    HideCurrentSplitsMenuItem = named(
        AddMenuItem(this, OptionsMenu, "Hide Current Splits", &TMainForm::HideCurrentSplitsMenuItemClick),
        "HideCurrentSplitsMenuItem");
    HideDifferenceRowsMenuItem = named(
        AddMenuItem(this, OptionsMenu, "Hide Difference Rows", &TMainForm::HideDifferenceRowsMenuItemClick),
        "HideDifferenceRowsMenuItem");
    HideHideableRowsMenuItem =
        named(AddMenuItem(this, OptionsMenu, "Hide Hideable Rows", &TMainForm::HideHideableRowsMenuItemClick),
              "HideHideableRowsMenuItem");
    HideAttemptCountersMenuItem = named(
        AddMenuItem(this, OptionsMenu, "Hide Attempt Counters", &TMainForm::HideAttemptCountersMenuItemClick),
        "HideAttemptCountersMenuItem");
    AutosaveBestSplitsMenuItem = named(
        AddMenuItem(this, OptionsMenu, "Auto-save Best Splits", &TMainForm::AutosaveBestSplitsMenuItemClick),
        "AutosaveBestSplitsMenuItem");
    AutosaveBestRunMenuItem =
        named(AddMenuItem(this, OptionsMenu, "Auto-save Best Run", &TMainForm::AutosaveBestRunMenuItemClick),
              "AutosaveBestRunMenuItem");
    AutosaveSplitStateFileMenuItem = named(AddMenuItem(this, OptionsMenu, "Auto-save Split State File",
                                                       &TMainForm::AutosaveSplitStateFileMenuItemClick),
                                           "AutosaveSplitStateFileMenuItem");
    AutoLogRunsMenuItem =
        named(AddMenuItem(this, OptionsMenu, "Auto-log Runs", &TMainForm::AutoLogRunsMenuItemClick),
              "AutoLogRunsMenuItem");
    AutoUploadSplitsMenuItem =
        named(AddMenuItem(this, OptionsMenu, "Auto-upload Splits", &TMainForm::AutoUploadSplitsMenuItemClick),
              "AutoUploadSplitsMenuItem");

    CountersMenu = named(AddMenuItem(this, root, "&Counters", nullptr), "CountersMenu");

    SetMenu(MainMenu);
    SetClientWidth(177);
    SetClientHeight(79);

    OpenDialog = new TOpenDialog(this);
    OpenDialog->SetName("OpenDialog");
    OpenDialog->SetTitle("Choose a Lapwren File");

    DisplayTimer = new TTimer(this);
    DisplayTimer->SetName("DisplayTimer");
    DisplayTimer->SetEnabled(false);
    DisplayTimer->SetInterval(75);
    DisplayTimer->OnTimer = Handler(&TMainForm::DisplayTimerTimer);

    TimerHubTimer = new TTimer(this);
    TimerHubTimer->SetName("TimerHubTimer");
    TimerHubTimer->SetEnabled(false);
    TimerHubTimer->SetInterval(3000);
    TimerHubTimer->OnTimer = Handler(&TMainForm::TimerHubTimerTimer);

    OnActivate = Handler(&TMainForm::FormActivate);
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    OnKeyPress = [this](TObject* sender, char& key) { FormKeyPress(sender, key); };
    OnMouseWheel = [this](TObject* sender, TShiftState shift, int delta, TPoint pos, bool& handled) {
        FormMouseWheel(sender, shift, delta, pos, handled);
    };
}

void TMainForm::FormActivate(TObject* /*Sender*/) {
    // Set before anything else: the upload dialog shown during the start-up activates this form
    // again when it closes.
    if (StartupDone)
        return;
    StartupDone = true;

    ProgramDir = rt::ProgramDirectory();
    OpenDialog->SetInitialDir(ProgramDir);
    Settings = std::make_unique<IniFileClass>();
    AutoUploadSettings = std::make_unique<IniFileClass>();
    SplitData = std::make_unique<FileDataClass>();
    SplitData->defaultStateFileName = ProgramDir + "Timer-SplitState.txt";
    KeyGuard = std::make_unique<TimerClass>();
    AlarmAcknowledged = false;

    SoundPlayer = new TMediaPlayer(this);
    SoundPlayer->SetName("SoundPlayer");
    SoundPlayer->SetParent(this);
    SoundPlayer->SetVisible(false);
    SoundPlayer->SetDeviceType(dtAutoSelect);
    SoundPlayer->SetAutoRewind(true);
    SoundPlayer->SetWait(false);
    SoundPlayer->OnNotify = Handler(&TMainForm::SoundPlayerOnNotify);

    if (UploadSplitsForm != nullptr)
        UploadSplitsForm->UploadSettings = AutoUploadSettings.get();

    LoadSettings();
    BuildFormPopupMenu();
    BuildTimerArea();
    // A window is judged by the size it has once laid out: one that lies on a screen at the
    // place read opens exactly there, whatever the designed size needed while the settings
    // loaded.
    MoveOntoScreen(SettingsLeft, SettingsTop);
}

void TMainForm::BuildFormPopupMenu() {
    FormPopupMenu = new TPopupMenu(this);
    FormPopupMenu->SetName("FormPopupMenu");
    SetPopupMenu(FormPopupMenu);
    TMenuItem* root = FormPopupMenu->Items();
    AddMenuItem(this, root, "Change Background Color", &TMainForm::FormBGColorMenuClick);
    AddMenuItem(this, root, "Change Background Image", &TMainForm::FormBGImageMenuClick);
    AddMenuItem(this, root, "Extra Timer Area && Footer Height/Width", &TMainForm::FormTimerFooterMenuClick);
    AddMenuItem(this, root, "Maximum Height/Width", &TMainForm::FormMaxHeightWidthMenuClick);
    AddMenuItem(this, root, "-", nullptr);
    AddMenuItem(this, root, "Double Key Delay", &TMainForm::FormDblKeyMenuClick);
    DefaultElapsedModeMenuItem =
        AddMenuItem(this, root, "Default to Elapsed Mode", &TMainForm::DefaultElapsedModeMenuClick);
    DefaultElapsedModeMenuItem->SetChecked(DefaultElapsedMode);
    ResetRestartTimerMenuItem =
        AddMenuItem(this, root, "Reset Timer Restarts Timer", &TMainForm::ResetRestartTimerMenuClick);
    ResetRestartTimerMenuItem->SetChecked(ResetTimerRestartTimerMode);
    BGRFormatMenuItem = AddMenuItem(this, root, "Use BGR Color Format", &TMainForm::BGRFormatMenuClick);
    BGRFormatMenuItem->SetChecked(UseBGRFormat);
    AddMenuItem(this, root, "-", nullptr);
    TimerOnLeftMenuItem = AddMenuItem(this, root, "Timer on Left", &TMainForm::FormTimerLeftMenuClick);
    TimerOnTopMenuItem = AddMenuItem(this, root, "Timer on Top", &TMainForm::FormTimerTopMenuClick);
    HorizontalSplitsMenuItem =
        AddMenuItem(this, root, "Horizontal Splits", &TMainForm::FormHorizontalMenuClick);
    ReverseWheelMenuItem = AddMenuItem(this, root, "Reverse Wheel", &TMainForm::FormReverseWheelMenuClick);
    DisplayUpdateIntervalMenuItem =
        AddMenuItem(this, root, "Display Update Interval", &TMainForm::DisplayUpdateIntervalMenuClick);
}

void TMainForm::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
    DisplayTimer->SetEnabled(false);
    if (UploadSplitsForm != nullptr)
        UploadSplitsForm->UnregisterSplits();
    // Only a start-up that ran has state to save and free.
    if (Settings) {
        Settings->SetInt("Window", "Left", Left());
        Settings->SetInt("Window", "Top", Top());
        Settings->Save();
    }
    DeleteCounters();
    if (SplitData)
        DestroySplitTable();

    Settings.reset();
    SplitData.reset();
    KeyGuard.reset();
    delete SoundPlayer;
    SoundPlayer = nullptr;

    FreeTimerArea();

    if (UploadSplitsForm != nullptr) {
        UploadSplitsForm->ClearComboBox(UploadSplitsForm->ServerComboBox, &UploadSplitsForm->ServerCodes);
        UploadSplitsForm->ClearComboBox(UploadSplitsForm->GameListComboBox, &UploadSplitsForm->GameCodes);
        UploadSplitsForm->ClearComboBox(UploadSplitsForm->GameCategoryComboBox,
                                        &UploadSplitsForm->CategoryCodes);
    }
}

void TMainForm::FreeTimerArea() {
    // Each label's popup menu before the label; the two count labels share the attempt menu.
    delete TimerPopupMenu;
    TimerPopupMenu = nullptr;
    delete TimerLabel;
    TimerLabel = nullptr;
    delete TimerDiffPopupMenu;
    TimerDiffPopupMenu = nullptr;
    delete TimerDiffLabel;
    TimerDiffLabel = nullptr;
    delete AttemptPopupMenu;
    AttemptPopupMenu = nullptr;
    delete AttemptCounterLabel;
    AttemptCounterLabel = nullptr;
    delete SessionAttemptsLabel;
    SessionAttemptsLabel = nullptr;
    delete TotalAttemptsLabel;
    TotalAttemptsLabel = nullptr;
}

void TMainForm::SoundPlayerOnNotify(TObject* /*Sender*/) {
    if (SoundPlayer == nullptr)
        return;
    if (AlarmAcknowledged) {
        SoundPlayer->Close();
        SoundPlayer->SetFileName("");
    } else {
        SoundPlayer->SetNotify(true);
        SoundPlayer->Play();
    }
}
