#pragma once
// TUploadSplitsForm: the small borderless dialog in which the user picks the upload server, the
// login, the game and its category, the game version and whether run comments are submitted.
// It keeps these choices in "AutoUpload.ini" (the main window's store, handed over as
// UploadSettings) and answers whether uploads can go ahead (IsUploadReady). At start-up, when
// that file exists, the main window shows it once in AutoMode: it loads the file, checks the
// login, fetches the game list and the categories, selects the saved game and category and
// closes by itself.
//
// It talks to the server one exchange at a time, each on a CommunicationThread kept in Thread:
// the login check, the game list and the categories are sent from here, the run submission from
// the main window. A 10 ms timer waits for the worker, so the windows never block on the network;
// CommunicationTimerTimer takes every reply, the submission's included, and tells the user what
// went wrong. The dialog lives, hidden, for the whole run of the program, so replies are taken
// while it is not shown.

#include <string>

#include "platform/forms/Form.h"
#include "platform/forms/Strings.h"

class IniFileClass;
class TLabel;
class TComboBox;
class TButton;
class TEdit;
class TCheckBox;
class TPanel;
class TTimer;
class CommunicationThread;

// The code behind one combo box item: a server key, a game code or a category code. Each item
// owns its object; ClearComboBox deletes them.
class ComboBoxDataClass {
public:
    std::string Code;
};

class TUploadSplitsForm : public TForm {
public:
    // The kinds of exchange, kept in RequestKind while one is in flight.
    enum : int {
        VerifyLoginRequest = 1,
        GameListRequest = 2,
        GameCategoriesRequest = 3,
        SubmitRunRequest = 11,
    };

    explicit TUploadSplitsForm(TComponent* owner);
    ~TUploadSplitsForm() override;

    TLabel* Label5 = nullptr;
    TComboBox* ServerComboBox = nullptr;
    TButton* BackButton = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* UsernameEdit = nullptr;
    TLabel* Label2 = nullptr;
    TEdit* PasswordEdit = nullptr;
    TButton* VerifyLoginButton = nullptr;
    TLabel* Label3 = nullptr;
    TComboBox* GameListComboBox = nullptr;
    TLabel* Label7 = nullptr;
    TComboBox* GameCategoryComboBox = nullptr;
    TLabel* Label4 = nullptr;
    TEdit* GameVersionEdit = nullptr;
    TCheckBox* SubmitRunCommentsCheckBox = nullptr;
    TPanel* WaitPanel = nullptr;
    TLabel* WaitLabel = nullptr;
    TTimer* CommunicationTimer = nullptr;

    bool Activated = false;
    int LastServerIndex = -1;
    int LastGameIndex = -1;
    int LastCategoryIndex = -1;
    bool AutoMode = false;
    CommunicationThread* Thread = nullptr;
    int RequestKind = 0;
    // Code -> index of its item in the matching combo box (the index kept as the object).
    TStringList ServerCodes;
    TStringList GameCodes;
    TStringList CategoryCodes;
    bool SaveUsername = false;
    bool SavePassword = false;
    // "AutoUpload.ini", owned by the main window.
    IniFileClass* UploadSettings = nullptr;
    // Time limits in milliseconds for every worker this dialog starts, the run submission's
    // included; 0 keeps the worker's own. A silent server then ends in an error, never in an
    // exchange that blocks every later one.
    long ConnectTimeoutMs = 0;
    long TotalTimeoutMs = 0;

    bool IsUploadReady() const;
    // Deletes the object of every item, then empties the combo box and the code list.
    static void ClearComboBox(TComboBox* comboBox, TStringList* codeList);
    // Kept for the callers that announce an open split file; nothing depends on them.
    void RegisterSplits() {}
    void UnregisterSplits() {}

    void LoadUploadSettings();

    // The three requests of the dialog. Each refuses while an exchange is in flight, checks the
    // choices it needs (telling the user what is missing) and starts a worker.
    void VerifyLoginButtonClick(TObject* Sender);
    void ServerComboBoxChange(TObject* Sender);
    void GameListComboBoxChange(TObject* Sender);
    void SendGameListRequest();
    void SendGameCategoriesRequest();

    // A new suspended worker for the selected server, with this dialog's time limits, kept in
    // Thread; null when no server item is selected. The caller fills its Request, then starts
    // it with StartWorker or, when filling failed, calls DropWorker.
    CommunicationThread* CreateWorker();
    // Starts the worker in Thread as an exchange of the given kind and enables the timer. When
    // no thread can be made, the worker is dropped, the user is told as for any failure to send,
    // and the result is false.
    bool StartWorker(int kind);
    void DropWorker();
    // The wait panel covers the dialog while an exchange is under way. It holds the keyboard
    // meanwhile, so that keys pressed during the wait reach no control beneath it, and gives the
    // keyboard back to the control that had it when it goes.
    void ShowWaitPanel();
    void HideWaitPanel();

    void FormActivate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormKeyPress(TObject* Sender, char& Key);
    void BackButtonClick(TObject* Sender);
    void CommunicationTimerTimer(TObject* Sender);

private:
    // In AutoMode, after a reply: sends the next request of the start-up chain.
    void ContinueChain(void (TUploadSplitsForm::*send)());
    void EndChainEarly();
    // A value of [Settings] in "AutoUpload.ini", "" when missing.
    std::string SavedSetting(const char* key) const;

    // The control that had the keyboard when the wait panel came.
    TControl* keyboardBeforeWait_ = nullptr;
};

extern TUploadSplitsForm* UploadSplitsForm;
