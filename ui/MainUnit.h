#pragma once
// TMainForm: the timer window. It owns the one split table model (SplitData), both settings
// stores, the key-repeat guard, the alarm player, the user counters and every control it creates
// at run time (timer area, split table, counter panel, popup menus). The model never calls the
// window; after a model operation the window refreshes what changed (FillTable, UpdateLayout,
// CentreOnRow, UpdateAttemptTexts, or DestroySplitTable + BuildSplitTable after a change of the
// table's shape).
//
// One header, several sources, one per concern:
//   MainLifecycle.cpp  construction, designed form and menus, first activation, close, alarm replay
//   MainSettings.cpp   loading "Lapwren.ini"
//   MainCounters.cpp   building the counter panel and the Counters menu, deleting counters
//   MainTable.cpp      timer area, split table controls, pictures
//   MainLayout.cpp     measuring, placing, scrolling
//   MainDisplay.cpp    display tick and table fill
//   MainCommands.cpp   File and Splits commands, key-repeat guard
//   MainCounting.cpp   counting, counter panel arrangement
//   MainOptions.cpp    option toggles, value popups, placing and filling the setting dialogs
//   MainLook.cpp       font, colour, time-format and size popups
//   MainEditing.cpp    editing cells, titles, rows and columns
//   MainUpload.cpp     the auto-upload toggle, showing the upload dialog, submitting a finished run
//
// Members are public: the window tests drive the real form through its handlers and read what
// the user would see.

#include "core/FileDataClass.h"
#include "core/IniFileClass.h"
#include "core/TimerClass.h"
#include "platform/forms/Form.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

class TLabel;
class TImage;
class TPanel;
class TMenuItem;
class TMainMenu;
class TPopupMenu;
class TTimer;
class TOpenDialog;
class TMediaPlayer;

// One user counter. Kept in the Tag of its item in the Counters menu; the window deletes it
// when it removes the item (DeleteCounters). Its two labels sit on the counter panel.
class CounterMenuItemClass {
public:
    explicit CounterMenuItemClass(TPanel* panel);
    ~CounterMenuItemClass();
    CounterMenuItemClass(const CounterMenuItemClass&) = delete;
    CounterMenuItemClass& operator=(const CounterMenuItemClass&) = delete;

    TLabel* headerLabel;
    TLabel* dataLabel;
    std::string description;
    int splitCount;
    int runTotal;
};

class TMainForm : public TForm {
public:
    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;

    // --- Designed components -------------------------------------------------------------------
    TMainMenu* MainMenu = nullptr;
    TMenuItem* FileMenu = nullptr;
    TMenuItem* OpenSplitsMenuItem = nullptr;
    TMenuItem* CloseSplitsMenuItem = nullptr;
    TMenuItem* SaveCurrentSplitsMenuItem = nullptr;
    TMenuItem* SaveBestSplitsMenuItem = nullptr;
    TMenuItem* OpenSplitStateMenuItem = nullptr;
    TMenuItem* SaveSplitStateMenuItem = nullptr;
    TMenuItem* ViewGraphHistoryMenuItem = nullptr;
    TMenuItem* QuitProgramMenuItem = nullptr;
    TMenuItem* SplitsMenu = nullptr;
    TMenuItem* PauseResumeTimerMenuItem = nullptr;
    TMenuItem* ResetTimerMenuItem = nullptr;
    TMenuItem* MakeSplitMenuItem = nullptr;
    TMenuItem* SkipSplitMenuItem = nullptr;
    TMenuItem* UndoSplitMenuItem = nullptr;
    TMenuItem* OptionsMenu = nullptr;
    TMenuItem* HideBestSplitsMenuItem = nullptr;
    TMenuItem* HideCurrentSplitsMenuItem = nullptr;
    TMenuItem* HideDifferenceRowsMenuItem = nullptr;
    TMenuItem* HideHideableRowsMenuItem = nullptr;
    TMenuItem* HideAttemptCountersMenuItem = nullptr;
    TMenuItem* AutosaveBestSplitsMenuItem = nullptr;
    TMenuItem* AutosaveBestRunMenuItem = nullptr;
    TMenuItem* AutosaveSplitStateFileMenuItem = nullptr;
    TMenuItem* AutoLogRunsMenuItem = nullptr;
    TMenuItem* AutoUploadSplitsMenuItem = nullptr;
    TMenuItem* CountersMenu = nullptr;
    TOpenDialog* OpenDialog = nullptr;
    TTimer* DisplayTimer = nullptr;
    TTimer* TimerHubTimer = nullptr;

    // --- Run-time state (built by the first activation) -------------------------------------------
    bool StartupDone = false;
    // The window's place as the settings gave it, judged once the start-up has laid it out.
    int SettingsLeft = 0;
    int SettingsTop = 0;
    std::string ProgramDir; // ends with '/'
    std::unique_ptr<IniFileClass> Settings;
    std::unique_ptr<IniFileClass> AutoUploadSettings;
    std::unique_ptr<FileDataClass> SplitData;
    std::unique_ptr<TimerClass> KeyGuard;
    int32_t DoubleKeyWait = 0; // hundredths
    bool AlarmAcknowledged = false;
    TMediaPlayer* SoundPlayer = nullptr;
    bool AutoUploadSplits = false;

    // The window's own popup menu and the items whose check marks later steps set.
    TPopupMenu* FormPopupMenu = nullptr;
    TMenuItem* DefaultElapsedModeMenuItem = nullptr;
    TMenuItem* ResetRestartTimerMenuItem = nullptr;
    TMenuItem* BGRFormatMenuItem = nullptr;
    TMenuItem* TimerOnLeftMenuItem = nullptr;
    TMenuItem* TimerOnTopMenuItem = nullptr;
    TMenuItem* HorizontalSplitsMenuItem = nullptr;
    TMenuItem* ReverseWheelMenuItem = nullptr;
    TMenuItem* DisplayUpdateIntervalMenuItem = nullptr;

    // --- User counters ---------------------------------------------------------------------------
    TPanel* CounterPanel = nullptr;
    TPopupMenu* CounterPanelPopupMenu = nullptr;
    int CounterCount = 0;
    TMenuItem* CounterPopupSeparatorMenuItem = nullptr;
    TMenuItem* CounterPopupMenuItem = nullptr;
    TMenuItem* CounterClearSeparatorMenuItem = nullptr;
    TMenuItem* CounterClearSplitMenuItem = nullptr;

    // --- Timer area ------------------------------------------------------------------------------
    TImage* BackgroundImage = nullptr;
    TLabel* TimerLabel = nullptr;
    TLabel* TimerDiffLabel = nullptr;
    TLabel* AttemptCounterLabel = nullptr;
    TLabel* SessionAttemptsLabel = nullptr;
    TLabel* TotalAttemptsLabel = nullptr;
    TPopupMenu* TimerPopupMenu = nullptr;
    TPopupMenu* TimerDiffPopupMenu = nullptr;
    TPopupMenu* AttemptPopupMenu = nullptr;

    // --- Split table's popup menus: one for each kind of element, shared by its labels --------
    TPopupMenu* TitlePopupMenu = nullptr;
    TPopupMenu* ColumnHeaderPopupMenu = nullptr;
    TPopupMenu* RowHeaderPopupMenu = nullptr;
    TPopupMenu* TimeLabelPopupMenu = nullptr;
    TPopupMenu* DiffLabelPopupMenu = nullptr;

    // --- Layout (pixels) ------------------------------------------------------------------------
    int TimerAreaHeight = 0;
    int RowHeight = 0;
    int ShortRowHeight = 0;
    int ColumnWidth = 0;
    // HeaderColsHeight, or a line of a title in the band where that is taller.
    int HeaderBandHeight = 0;
    // Horizontal layout: the timer's width, or the attempt counters' beside it where they are wider.
    int TimerAreaWidth = 0;
    int TableLeft = 0;
    int TableTop = 0;
    int TableWidth = 0;
    int TableHeight = 0;
    int ScrollOffset = 0;
    int ScrollExtent = 0;

    // --- Settings of "Lapwren.ini", one member per key ---------------------------------------------
    // Misc
    bool UseBGRFormat = false;
    bool AutoSaveSplitState = false;
    bool DefaultElapsedMode = false;
    bool ResetTimerRestartTimerMode = false;
    int32_t TimerModeAlarmTime = 0; // hundredths
    std::string TimerModeAlarmFile;
    // Counters
    std::string CounterPanelColor;
    std::string PanelHeaderFontColor;
    std::string PanelHeaderFontName;
    int PanelHeaderFontSize = 0;
    std::string PanelDataFontColor;
    std::string PanelDataFontName;
    int PanelDataFontSize = 0;
    // Window
    int MaxHeight = 0;
    int MaxWidth = 0;
    int TimerAreaExtraHeight = 0;
    int FooterHeight = 0;
    int FooterWidth = 0;
    int HeaderColsHeight = 0;
    int ExtraRowHeight = 0;
    int ExtraRowHeightShort = 0;
    int ExtraDataColumnWidth = 0;
    int ImageSize = 0;
    int HeaderColumnWidth = 0;
    bool TimerOnLeft = false;
    bool TimerOnTop = false;
    bool HorizontalMode = false;
    bool ReverseMouseScroll = false;
    bool HideAttemptCounters = false;
    bool HideBestSplits = false;
    bool HideCurrentSplits = false;
    bool HideDiffRows = false;
    bool HideHideableRows = false;
    int DisplayUpdateInterval = 0;
    // Layout
    std::string BackgroundColor;
    std::string BackgroundFileName;
    std::string TimerFontName;
    int TimerFontSize = 0;
    std::string NewBestSplitColor;
    char TimerTimeFormatMode = 'H';
    std::string TimerDiffFontName;
    int TimerDiffFontSize = 0;
    char TimerDiffTimeFormatMode = 'H';
    std::string AttemptCounterFontColor;
    std::string AttemptCounterFontName;
    int AttemptCounterFontSize = 0;
    std::string TitleFontColor;
    std::string TitleFontName;
    int TitleFontSize = 0;
    std::string ColHeaderFontColor;
    std::string ColHeaderFontName;
    int ColHeaderFontSize = 0;
    std::string ColHeaderElapsedFontColor;
    std::string RowHeaderFontColor;
    std::string RowHeaderFontName;
    int RowHeaderFontSize = 0;
    std::string CurrentRowColor;
    std::string SplitTimesFontColor;
    std::string SplitTimesFontName;
    int SplitTimesFontSize = 0;
    std::string SplitDiffFontName;
    int SplitDiffFontSize = 0;
    std::string TimerDiffStatusReady;
    std::string TimerDiffStatusPaused;
    std::string TimerDiffStatusNewBest;
    std::string TimerDiffStatusDone;

    // --- Lifecycle (MainLifecycle.cpp) ---------------------------------------------------------
    void FormActivate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void SoundPlayerOnNotify(TObject* Sender);

    // --- Settings (MainSettings.cpp) -------------------------------------------------------------
    void LoadSettings();

    // --- Counters menu (MainCounters.cpp) -------------------------------------------------------
    void BuildCounterPanel();
    void BuildCounters();
    void DeleteCounters();
    // The counter carried by a Counters menu item, null when it carries none.
    static CounterMenuItemClass* CounterOf(TMenuItem* item);

    // --- Timer area and split table (MainTable.cpp) --------------------------------------------
    void RebuildDisplay();
    void BuildTimerArea();
    void DestroySplitTable();
    void BuildSplitTable();
    // The pictures one build of the table has loaded, by file name (null: it did not load), so
    // that the rows naming one file share one decoded picture.
    using PictureShare = std::unordered_map<std::string, TImage*>;
    TImage* CreateImage(const std::string& fileName, TControl* parent, bool scaled,
                        PictureShare* shared = nullptr);
    // A cell's labels carry row * base + column; the base is 100 while the table has fewer than
    // 100 columns, and the next power of ten above the last column index in wider tables.
    int CellTagBase() const;
    intptr_t CellTag(size_t row, size_t column) const;
    bool DecodeCellTag(intptr_t tag, size_t& row, size_t& column) const;
    // The element whose popup menu holds the clicked item (the control the menu opened on), or
    // the sender itself when it is an element.
    static TControl* PopupElement(TObject* Sender);

    // --- Layout and scrolling (MainLayout.cpp) ------------------------------------------------
    void UpdateLayout();
    void MeasureCells();
    void FitTitleHeights(int rowLine, int columnLine, int titleLine);
    void LayoutWithoutFile();
    void LayoutWithFile();
    void PlaceTable();
    void CentreOnRow(size_t row);
    void FormMouseWheel(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled);
    int VisibleColumnCount() const;
    int VisibleRowCount() const;
    int RowStep() const; // ShortRowHeight with the difference rows hidden, else RowHeight

    // --- Display tick and table fill (MainDisplay.cpp) -----------------------------------------
    void DisplayTimerTimer(TObject* Sender);
    void FillTable();
    void UpdateAttemptTexts();

    // --- Commands (MainCommands.cpp) -------------------------------------------------------------
    bool AcknowledgeAlarm();
    void FormKeyPress(TObject* Sender, char& Key);
    void OpenSplitsMenuItemClick(TObject* Sender);
    // The tail of both Open commands: builds the table of the file just loaded and hands it to
    // the upload dialog when splits are uploaded automatically. A refused file leaves the window
    // as Close Splits does.
    void ShowOpenedSplits();
    void CloseSplitsMenuItemClick(TObject* Sender);
    // The tail of Close Splits: the window laid out as the plain timer, no file registered.
    void ShowPlainTimer();
    void SaveCurrentSplitsMenuItemClick(TObject* Sender);
    void SaveBestSplitsMenuItemClick(TObject* Sender);
    void OpenSplitStateMenuItemClick(TObject* Sender);
    void SaveSplitStateMenuItemClick(TObject* Sender);
    void ViewGraphHistoryMenuItemClick(TObject* Sender);
    void QuitProgramMenuItemClick(TObject* Sender);
    void PauseResumeTimerMenuItemClick(TObject* Sender);
    void ResetTimerMenuItemClick(TObject* Sender);
    void MakeSplitMenuItemClick(TObject* Sender);
    void SkipSplitMenuItemClick(TObject* Sender);
    void UndoSplitMenuItemClick(TObject* Sender);
    void TimerHubTimerTimer(TObject* Sender);

    // --- User counters (MainCounting.cpp) -------------------------------------------------------
    void ResetCounters(bool alsoTotals);
    void RestoreSplitCounters();
    void CounterItemMenuItemClick(TObject* Sender);
    void CounterClearMenuItemClick(TObject* Sender);
    void CounterPopupMenuItemClick(TObject* Sender);

    // --- Options toggles and settings popups (MainOptions.cpp) --------------------------------
    void HideBestSplitsMenuItemClick(TObject* Sender);
    void HideCurrentSplitsMenuItemClick(TObject* Sender);
    void HideDifferenceRowsMenuItemClick(TObject* Sender);
    void HideHideableRowsMenuItemClick(TObject* Sender);
    void HideAttemptCountersMenuItemClick(TObject* Sender);
    void AutosaveBestSplitsMenuItemClick(TObject* Sender);
    void AutosaveBestRunMenuItemClick(TObject* Sender);
    void AutosaveSplitStateFileMenuItemClick(TObject* Sender);
    void AutoLogRunsMenuItemClick(TObject* Sender);
    void AutoUploadSplitsMenuItemClick(TObject* Sender);
    void ShowUploadForm();
    // Sets AutoUploadSplits and the check mark of its menu item, which always agree.
    void SetAutoUploadSplits(bool on);
    void DefaultElapsedModeMenuClick(TObject* Sender);
    void ResetRestartTimerMenuClick(TObject* Sender);
    void BGRFormatMenuClick(TObject* Sender);
    void FormTimerLeftMenuClick(TObject* Sender);
    void FormTimerTopMenuClick(TObject* Sender);
    void FormHorizontalMenuClick(TObject* Sender);
    void FormReverseWheelMenuClick(TObject* Sender);
    void FormDblKeyMenuClick(TObject* Sender);
    void DisplayUpdateIntervalMenuClick(TObject* Sender);
    void FormBGImageMenuClick(TObject* Sender);
    void TimerOffsetMenuClick(TObject* Sender);
    void TimerModeAlarmMenuClick(TObject* Sender);
    void TimerDiffStatusMenuClick(TObject* Sender);
    void TimerDiffZeroSmallMenuClick(TObject* Sender);
    void AttemptTotalMenuClick(TObject* Sender);
    void TimeDiffMinElapsedMenuClick(TObject* Sender);

    // --- Editing cells, titles, rows and columns (MainEditing.cpp) -----------------------------
    void DataCellDblClick(TObject* Sender);
    void TimeElementTimeNotesMenuClick(TObject* Sender);
    void FileTitleTitleMenuClick(TObject* Sender);
    void ColHeaderTitleMenuClick(TObject* Sender);
    void ColHeaderElapsedMenuClick(TObject* Sender);
    void ColHeaderInsertBeforeMenuClick(TObject* Sender);
    void ColHeaderInsertAfterMenuClick(TObject* Sender);
    void ColHeaderMoveForwardMenuClick(TObject* Sender);
    void ColHeaderMoveBackMenuClick(TObject* Sender);
    void ColHeaderDeleteRowMenuClick(TObject* Sender);
    void RowHeaderTitleMenuClick(TObject* Sender);
    void RowHeaderMakeHideableMenuClick(TObject* Sender);
    void RowHeaderInsertBeforeMenuClick(TObject* Sender);
    void RowHeaderInsertAfterMenuClick(TObject* Sender);
    void RowHeaderMoveUpMenuClick(TObject* Sender);
    void RowHeaderMoveDownMenuClick(TObject* Sender);
    void RowHeaderDeleteRowMenuClick(TObject* Sender);

    // --- Font, colour, time-format and size popups (MainLook.cpp) -----------------------------
    void TimerFontMenuClick(TObject* Sender);
    void TimerDiffFontMenuClick(TObject* Sender);
    void AttemptFontMenuClick(TObject* Sender);
    void FileTitleFontMenuClick(TObject* Sender);
    void ColHeaderFontMenuClick(TObject* Sender);
    void RowHeaderFontMenuClick(TObject* Sender);
    void TimeElementFontMenuClick(TObject* Sender);
    void TimeDiffFontMenuClick(TObject* Sender);
    void CounterHeaderFontMenuClick(TObject* Sender);
    void CounterDataFontMenuClick(TObject* Sender);
    void FormBGColorMenuClick(TObject* Sender);
    void TimerColorsMenuClick(TObject* Sender);
    void TimerDiffColorsMenuClick(TObject* Sender);
    void ColHeaderElapsedColorMenuClick(TObject* Sender);
    void RowHeaderRowColorsMenuClick(TObject* Sender);
    void CounterPanelColorMenuClick(TObject* Sender);
    void TimeFormatModeMenuClick(TObject* Sender);
    void DiffTimeFormatModeMenuClick(TObject* Sender);
    void FormTimerFooterMenuClick(TObject* Sender);
    void FormMaxHeightWidthMenuClick(TObject* Sender);
    void ColHeaderHeightWidthMenuClick(TObject* Sender);
    void RowHeaderWidthHeightMenuClick(TObject* Sender);

    // --- Helpers for building menus ------------------------------------------------------------
    // A handler of this form as an event.
    TNotifyEvent Handler(void (TMainForm::*method)(TObject*));
    // A new item owned by owner, appended to parent; a caption "-" makes a separator and method
    // may then be null.
    TMenuItem* AddMenuItem(TComponent* owner, TMenuItem* parent, const std::string& caption,
                           void (TMainForm::*method)(TObject*));

private:
    void CreateDesignedComponents();
    void BuildFormPopupMenu();
    void FreeTimerArea();
    void MakeTablePopupMenus();

public:
    // --- Run commands (MainCommands.cpp; the submission in MainUpload.cpp) -------------------------
    // The tail of Make Split: hands a finished run to the web service.
    void SubmitFinishedRun();

public:
    // --- Placing and filling the setting dialogs (MainOptions.cpp; used by MainLook.cpp) -------
    // One row of a text dialog: its label's caption and the text its edit starts with.
    struct SettingEntry {
        std::string caption;
        std::string text;
    };
    // Places a setting dialog 3 pixels above and left of the element, or over the top-left of
    // the client area when element is null (the popups of the window as a whole).
    void PlaceDialog(TForm* dialog, TControl* element);
    // The counter panel's popups sit exactly at the panel's corner, without the 3-pixel shift.
    void PlaceDialogOnCounterPanel(TForm* dialog);
    // Fills the first rows of the text dialog (1 to 4), places it at the element, shows it
    // modally and reads those rows back into texts; false, and nothing shown, without the dialog.
    bool AskTexts(const std::vector<SettingEntry>& entries, TControl* element,
                  std::vector<std::string>& texts);
    // After a change of the table's fonts or sizes (MainLook.cpp): the table built anew and laid out.
    void RebuildSplitTable();
    // --- end of the setting-dialog block ------------------------------------------------------
};

extern TMainForm* MainForm;
