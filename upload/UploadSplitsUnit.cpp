// The upload settings dialog as designed, its settings file and the ready test; the three
// requests it sends (login check, game list, categories) and the one reply handler that takes
// every exchange, the run submission's included. At start-up in AutoMode the handler chains
// login -> game list -> categories and closes the dialog when the chain ends.

#include "upload/UploadSplitsUnit.h"

#include "core/IniFileClass.h"
#include "core/TextHelpers.h"
#include "platform/forms/Application.h"
#include "platform/forms/Button.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Panel.h"
#include "platform/forms/Timer.h"
#include "upload/CommunicationThread.h"

#include <cstdint>
#include <functional>
#include <string>

TUploadSplitsForm* UploadSplitsForm = nullptr;

namespace {

template <class T> T* Place(TUploadSplitsForm* form, TControl* parent, const char* name, int left, int top) {
    auto* control = new T(form);
    control->SetName(name);
    control->SetParent(parent);
    control->SetLeft(left);
    control->SetTop(top);
    return control;
}

TLabel* PlaceLabel(TUploadSplitsForm* form, const char* name, int left, int top, const char* caption) {
    TLabel* label = Place<TLabel>(form, form, name, left, top);
    label->SetCaption(caption);
    return label;
}

// The code of the selected item of a combo box; false when no item is selected.
bool SelectedCode(const TComboBox* box, std::string& code) {
    const int index = box->ItemIndex();
    if (index < 0)
        return false;
    auto* data = static_cast<ComboBoxDataClass*>(box->Items()->Objects(index));
    code = data != nullptr ? data->Code : std::string();
    return true;
}

void Tell(const std::string& text, const std::string& caption = std::string()) {
    Application.MessageBox(text, caption, MB_OK);
}

// A member of a reply read as a text; "" when it is missing or not a string.
std::string ReplyText(json::Object& reply, const char* key) {
    const json::Value& value = reply[key];
    return value.Type() == json::StringValue ? value.AsString() : std::string();
}

void* IndexObject(int index) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(index));
}

int ObjectIndex(void* object) {
    return static_cast<int>(reinterpret_cast<intptr_t>(object));
}

// Selects the item whose code the list finds; false when the code is empty or not offered.
bool SelectCode(TComboBox* box, const TStringList& codes, const std::string& code) {
    int found = -1;
    if (code.empty() || !codes.Find(code, found))
        return false;
    const int index = ObjectIndex(codes.Objects(found));
    if (index < 0 || index >= box->Items()->Count())
        return false;
    box->SetItemIndex(index);
    return true;
}

// Fills a sorted combo box from the "data" object of a reply (code -> display name), then the
// code list from the items in their final order. A value that is not a text ends the filling
// there: the items before it stay and the answer is false.
bool FillFromData(TComboBox* box, TStringList& codes, json::Value& data) {
    if (data.Type() != json::ObjectValue)
        return true;
    // Handed over in one batch, so that a list of many thousand games is sorted once.
    TStringList names;
    bool whole = true;
    for (auto& [code, name] : data.AsObject()) {
        if (name.Type() != json::StringValue) {
            whole = false;
            break;
        }
        auto* item = new ComboBoxDataClass();
        item->Code = code;
        names.AddObject(name.AsString(), item);
    }
    box->Items()->AddStrings(names);
    if (!whole)
        return false;
    TStrings* items = box->Items();
    TStringList itemCodes;
    for (int i = 0; i < items->Count(); ++i) {
        const auto* item = static_cast<const ComboBoxDataClass*>(items->Objects(i));
        itemCodes.AddObject(item != nullptr ? item->Code : std::string(), IndexObject(i));
    }
    codes.AddStrings(itemCodes);
    return true;
}

} // namespace

TUploadSplitsForm::TUploadSplitsForm(TComponent* owner) : TForm(owner) {
    SetName("UploadSplitsForm");
    SetBorderStyle(bsNone);
    SetKeyPreview(true);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    SetClientWidth(342);
    SetClientHeight(156);

    Label5 = PlaceLabel(this, "Label5", 31, 4, "Server");
    ServerComboBox = Place<TComboBox>(this, this, "ServerComboBox", 66, 0);
    ServerComboBox->SetStyle(csDropDownList);
    ServerComboBox->SetWidth(250);
    ServerComboBox->OnChange = [this](TObject* sender) { ServerComboBoxChange(sender); };
    BackButton = Place<TButton>(this, this, "BackButton", 326, 0);
    BackButton->SetBounds(326, 0, 15, 21);
    BackButton->SetCaption("X");
    BackButton->OnClick = [this](TObject* sender) { BackButtonClick(sender); };
    Label1 = PlaceLabel(this, "Label1", 14, 29, "Username");
    UsernameEdit = Place<TEdit>(this, this, "UsernameEdit", 66, 25);
    UsernameEdit->SetWidth(200);
    UsernameEdit->SetTabOrder(0);
    Label2 = PlaceLabel(this, "Label2", 16, 49, "Password");
    PasswordEdit = Place<TEdit>(this, this, "PasswordEdit", 66, 45);
    PasswordEdit->SetWidth(200);
    PasswordEdit->SetPasswordChar('*');
    VerifyLoginButton = Place<TButton>(this, this, "VerifyLoginButton", 274, 36);
    VerifyLoginButton->SetBounds(274, 36, 40, 23);
    VerifyLoginButton->SetCaption("Verify");
    VerifyLoginButton->OnClick = [this](TObject* sender) { VerifyLoginButtonClick(sender); };
    Label3 = PlaceLabel(this, "Label3", 3, 74, "Game Name");
    GameListComboBox = Place<TComboBox>(this, this, "GameListComboBox", 66, 70);
    GameListComboBox->SetStyle(csDropDownList);
    GameListComboBox->SetSorted(true);
    GameListComboBox->SetWidth(275);
    GameListComboBox->OnChange = [this](TObject* sender) { GameListComboBoxChange(sender); };
    Label7 = PlaceLabel(this, "Label7", 20, 95, "Category");
    GameCategoryComboBox = Place<TComboBox>(this, this, "GameCategoryComboBox", 66, 91);
    GameCategoryComboBox->SetStyle(csDropDownList);
    GameCategoryComboBox->SetSorted(true);
    GameCategoryComboBox->SetWidth(275);
    Label4 = PlaceLabel(this, "Label4", 27, 116, "Version");
    GameVersionEdit = Place<TEdit>(this, this, "GameVersionEdit", 66, 112);
    GameVersionEdit->SetWidth(259);
    SubmitRunCommentsCheckBox = Place<TCheckBox>(this, this, "SubmitRunCommentsCheckBox", 2, 136);
    SubmitRunCommentsCheckBox->SetBounds(2, 136, 130, 17);
    SubmitRunCommentsCheckBox->SetCaption("Submit Run Comments");
    SubmitRunCommentsCheckBox->SetAlignment(taLeftJustify); // the box to the right of the text

    // The wait panel covers the whole dialog while an exchange is under way.
    WaitPanel = Place<TPanel>(this, this, "WaitPanel", 0, 0);
    WaitPanel->SetBounds(0, 0, 342, 156);
    WaitPanel->SetVisible(false);
    WaitLabel = Place<TLabel>(this, WaitPanel, "WaitLabel", 2, 60);
    WaitLabel->SetAutoSize(false);
    WaitLabel->SetBounds(2, 60, 339, 29);
    WaitLabel->SetAlignment(taCenter);
    WaitLabel->Font().SetColor(clRed);
    WaitLabel->Font().SetHeight(-24);
    WaitLabel->SetCaption("Please wait for the server...");

    CommunicationTimer = new TTimer(this);
    CommunicationTimer->SetName("CommunicationTimer");
    CommunicationTimer->SetEnabled(false);
    CommunicationTimer->SetInterval(10);
    CommunicationTimer->OnTimer = [this](TObject* sender) { CommunicationTimerTimer(sender); };

    ServerCodes.SetSorted(true);
    GameCodes.SetSorted(true);
    CategoryCodes.SetSorted(true);

    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    OnKeyPress = [this](TObject* sender, char& key) { FormKeyPress(sender, key); };
}

TUploadSplitsForm::~TUploadSplitsForm() {
    delete Thread;
    Thread = nullptr;
    // The items' objects are the dialog's; the combo boxes go with the form.
    ClearComboBox(ServerComboBox, &ServerCodes);
    ClearComboBox(GameListComboBox, &GameCodes);
    ClearComboBox(GameCategoryComboBox, &CategoryCodes);
    if (UploadSplitsForm == this)
        UploadSplitsForm = nullptr;
}

void TUploadSplitsForm::ClearComboBox(TComboBox* comboBox, TStringList* codeList) {
    if (comboBox != nullptr) {
        TStrings* items = comboBox->Items();
        for (int i = 0; i < items->Count(); ++i) {
            delete static_cast<ComboBoxDataClass*>(items->Objects(i));
            items->SetObjects(i, nullptr);
        }
        comboBox->Clear();
    }
    if (codeList != nullptr)
        codeList->Clear();
}

bool TUploadSplitsForm::IsUploadReady() const {
    return ServerComboBox->ItemIndex() != -1 && !UsernameEdit->Text().empty() &&
           !PasswordEdit->Text().empty() && GameListComboBox->ItemIndex() != -1 &&
           GameCategoryComboBox->ItemIndex() != -1 && !GameVersionEdit->Text().empty();
}

void TUploadSplitsForm::FormActivate(TObject* /*Sender*/) {
    if (Activated)
        return;
    Activated = true;
    UsernameEdit->SetFocus();
    if (AutoMode)
        LoadUploadSettings();
}

void TUploadSplitsForm::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
    Activated = false;
    WaitLabel->SetCaption("Please wait for server...");
    HideWaitPanel();
}

void TUploadSplitsForm::FormKeyPress(TObject* Sender, char& Key) {
    if (Key == 27) {
        Key = 0;
        BackButtonClick(Sender);
    }
}

void TUploadSplitsForm::LoadUploadSettings() {
    ShowWaitPanel();

    ServerComboBox->Items()->AddObject("(none)", new ComboBoxDataClass());
    IniFileClass empty;
    const IniFileClass& ini = UploadSettings != nullptr ? *UploadSettings : empty;
    // Servers follow "(none)" in the byte order of their keys.
    for (const auto& [key, text] : ini.GetSection("ServerList")) {
        auto* data = new ComboBoxDataClass();
        data->Code = key;
        const int index = ServerComboBox->Items()->AddObject(text, data);
        ServerCodes.AddObject(key, IndexObject(index));
    }

    ServerComboBox->SetItemIndex(0);
    SelectCode(ServerComboBox, ServerCodes, ini.GetString("Settings", "Server", ""));

    SaveUsername = ToUpperCase(ini.GetString("Settings", "SaveUsername", "")) == "Y";
    UsernameEdit->SetText(SaveUsername ? ini.GetString("Settings", "Username", "") : std::string());
    SavePassword = ToUpperCase(ini.GetString("Settings", "SavePassword", "")) == "Y";
    PasswordEdit->SetText(SavePassword ? ini.GetString("Settings", "Password", "") : std::string());
    GameVersionEdit->SetText(ini.GetString("Settings", "Version", ""));
    SubmitRunCommentsCheckBox->SetChecked(ToUpperCase(ini.GetString("Settings", "SubmitRunComments", "")) ==
                                          "Y");

    // A chosen server starts the chain login -> game list -> categories, which the reply
    // handler carries on; without one the first tick finds no worker and closes the dialog.
    if (ServerComboBox->ItemIndex() > 0) {
        if (!UsernameEdit->Text().empty() && !PasswordEdit->Text().empty())
            VerifyLoginButtonClick(nullptr);
        else
            SendGameListRequest();
        if (Thread != nullptr)
            return;
    }
    DropWorker();
    CommunicationTimer->SetEnabled(true);
}

void TUploadSplitsForm::BackButtonClick(TObject* /*Sender*/) {
    if (Thread != nullptr || CommunicationTimer->Enabled()) {
        Application.MessageBox("Please wait for the communication to finish", "Please Wait", MB_OK);
        return;
    }
    if (UploadSettings != nullptr) {
        IniFileClass& ini = *UploadSettings;
        std::string code;
        if (SelectedCode(ServerComboBox, code))
            ini.SetString("Settings", "Server", code);
        if (SaveUsername)
            ini.SetString("Settings", "Username", UsernameEdit->Text());
        if (SavePassword)
            ini.SetString("Settings", "Password", PasswordEdit->Text());
        if (SelectedCode(GameListComboBox, code))
            ini.SetString("Settings", "GameCode", code);
        if (SelectedCode(GameCategoryComboBox, code))
            ini.SetString("Settings", "GameCategoryCode", code);
        ini.SetString("Settings", "Version", GameVersionEdit->Text());
        ini.SetString("Settings", "SubmitRunComments", BoolToYN(SubmitRunCommentsCheckBox->Checked()));
        ini.Save();
    }
    Close();
}

// --- Requests --------------------------------------------------------------------------------------

CommunicationThread* TUploadSplitsForm::CreateWorker() {
    std::string server;
    if (!SelectedCode(ServerComboBox, server))
        return nullptr;
    auto* worker = new CommunicationThread(true);
    worker->ServerKey = server;
    if (ConnectTimeoutMs > 0)
        worker->ConnectTimeoutMs = ConnectTimeoutMs;
    if (TotalTimeoutMs > 0)
        worker->TotalTimeoutMs = TotalTimeoutMs;
    Thread = worker;
    return worker;
}

void TUploadSplitsForm::DropWorker() {
    delete Thread;
    Thread = nullptr;
}

void TUploadSplitsForm::ShowWaitPanel() {
    // In the start-up chain the panel stays up from one request to the next.
    if (!WaitPanel->Visible())
        keyboardBeforeWait_ = ActiveControl();
    WaitPanel->SetVisible(true);
    WaitPanel->SetFocus();
}

void TUploadSplitsForm::HideWaitPanel() {
    // Given back before the panel goes, or Qt would hand the keyboard on to the next control.
    if (WaitPanel->Visible() && WaitPanel->Focused() && keyboardBeforeWait_ != nullptr)
        keyboardBeforeWait_->SetFocus();
    keyboardBeforeWait_ = nullptr;
    WaitPanel->SetVisible(false);
}

bool TUploadSplitsForm::StartWorker(int kind) {
    RequestKind = kind;
    try {
        Thread->Resume();
    } catch (...) {
        // No thread could be made: as far as the user is concerned the data was not sent.
        DropWorker();
        Tell("Could not send the data.", "Communication Error");
        if (AutoMode)
            Close();
        return false;
    }
    CommunicationTimer->SetEnabled(true);
    return true;
}

namespace {

// The guards every dialog request shares after its lists are cleared: a server item must be
// selected, and "(none)" (item 0) sends nothing without a word.
bool ServerChosen(const TComboBox* servers) {
    const int index = servers->ItemIndex();
    if (index < 0) {
        Tell("Please choose a server");
        return false;
    }
    return index != 0;
}

// Creates the worker, fills its request and starts it with the wait panel shown. A request that
// cannot be built is abandoned without an exchange.
void SendRequest(TUploadSplitsForm& form, int kind, const char* waitText,
                 const std::function<void(json::Object&)>& fill) {
    CommunicationThread* worker = form.CreateWorker();
    if (worker == nullptr)
        return;
    try {
        fill(worker->Request);
    } catch (...) {
        form.DropWorker();
        Tell("Could not generate the JSON");
        return;
    }
    if (!form.StartWorker(kind))
        return;
    form.WaitLabel->SetCaption(waitText);
    form.ShowWaitPanel();
}

} // namespace

void TUploadSplitsForm::VerifyLoginButtonClick(TObject* /*Sender*/) {
    if (Thread != nullptr || !ServerChosen(ServerComboBox))
        return;
    if (UsernameEdit->Text().empty()) {
        Tell("Please enter the username");
        return;
    }
    if (PasswordEdit->Text().empty()) {
        Tell("Please enter the password");
        return;
    }
    SendRequest(*this, VerifyLoginRequest, "Verifying login...", [this](json::Object& request) {
        request["type"] = "verifylogin";
        request["username"] = UsernameEdit->Text();
        request["password"] = PasswordEdit->Text();
    });
}

void TUploadSplitsForm::ServerComboBoxChange(TObject* /*Sender*/) {
    if (AutoMode || ServerComboBox->ItemIndex() == LastServerIndex)
        return;
    LastServerIndex = ServerComboBox->ItemIndex();
    SendGameListRequest();
}

void TUploadSplitsForm::GameListComboBoxChange(TObject* /*Sender*/) {
    if (AutoMode || GameListComboBox->ItemIndex() == LastGameIndex)
        return;
    LastGameIndex = GameListComboBox->ItemIndex();
    SendGameCategoriesRequest();
}

void TUploadSplitsForm::SendGameListRequest() {
    if (Thread != nullptr)
        return;
    ClearComboBox(GameListComboBox, &GameCodes);
    ClearComboBox(GameCategoryComboBox, &CategoryCodes);
    LastGameIndex = -1;
    LastCategoryIndex = -1;
    if (!ServerChosen(ServerComboBox))
        return;
    SendRequest(*this, GameListRequest, "Getting game list...",
                [](json::Object& request) { request["type"] = "gamelist"; });
}

void TUploadSplitsForm::SendGameCategoriesRequest() {
    if (Thread != nullptr)
        return;
    ClearComboBox(GameCategoryComboBox, &CategoryCodes);
    LastCategoryIndex = -1;
    if (!ServerChosen(ServerComboBox))
        return;
    std::string game;
    if (!SelectedCode(GameListComboBox, game)) {
        Tell("Please choose a game");
        return;
    }
    SendRequest(*this, GameCategoriesRequest, "Getting game categories...", [game](json::Object& request) {
        request["type"] = "gamecategories";
        request["game"] = game;
    });
}

// --- Replies ---------------------------------------------------------------------------------------

void TUploadSplitsForm::CommunicationTimerTimer(TObject* /*Sender*/) {
    if (Thread == nullptr) {
        CommunicationTimer->SetEnabled(false);
        HideWaitPanel();
        if (AutoMode)
            Close();
        return;
    }
    if (!Thread->Finished())
        return;

    CommunicationTimer->SetEnabled(false);
    if (!AutoMode)
        HideWaitPanel();
    json::Object reply;
    bool taken = true;
    try {
        reply = Thread->Result;
    } catch (...) {
        taken = false;
    }
    DropWorker();
    if (!taken) {
        Tell("JSON error", "Communication Error");
        if (AutoMode)
            Close();
        return;
    }

    const std::string error = ReplyText(reply, "ServerError");
    if (!error.empty()) {
        Tell(error, "Communication Error");
        if (AutoMode)
            Close();
        return;
    }

    const std::string result = ToLowerCase(ReplyText(reply, "result"));
    const std::string message = ReplyText(reply, "message");
    switch (RequestKind) {
    case VerifyLoginRequest:
        if (result == "success") {
            if (!AutoMode)
                Tell("Login verified!", "Login Verification Successful");
        } else {
            Tell(message, "Login Verification Failed");
        }
        if (AutoMode)
            ContinueChain(&TUploadSplitsForm::SendGameListRequest);
        break;

    case GameListRequest:
        if (result == "fail") {
            if (AutoMode)
                Close();
            else
                Tell(message, "Game List Failed");
            break;
        }
        if (!FillFromData(GameListComboBox, GameCodes, reply["data"])) {
            EndChainEarly();
            break;
        }
        if (AutoMode) {
            if (SelectCode(GameListComboBox, GameCodes, SavedSetting("GameCode")))
                ContinueChain(&TUploadSplitsForm::SendGameCategoriesRequest);
            else
                Close();
        }
        break;

    case GameCategoriesRequest:
        if (result == "fail") {
            if (AutoMode)
                Close();
            else
                Tell(message, "Game Categories Failed");
            break;
        }
        if (!FillFromData(GameCategoryComboBox, CategoryCodes, reply["data"])) {
            EndChainEarly();
            break;
        }
        if (AutoMode) {
            SelectCode(GameCategoryComboBox, CategoryCodes, SavedSetting("GameCategoryCode"));
            Close();
        }
        break;

    case SubmitRunRequest:
        if (result != "success")
            Tell(message, "Could not submit a run");
        break;

    default:
        break;
    }
}

void TUploadSplitsForm::ContinueChain(void (TUploadSplitsForm::*send)()) {
    (this->*send)();
    // A request that was not sent would leave the start-up waiting for a reply that never
    // comes: the next tick finds no worker and closes the dialog.
    if (Thread == nullptr)
        CommunicationTimer->SetEnabled(true);
}

void TUploadSplitsForm::EndChainEarly() {
    // A list that could not be read whole ends the start-up chain as any failed reply does;
    // otherwise the dialog would wait at start-up, covered by its wait panel, for nothing.
    if (AutoMode)
        Close();
}

std::string TUploadSplitsForm::SavedSetting(const char* key) const {
    return UploadSettings != nullptr ? UploadSettings->GetString("Settings", key, "") : std::string();
}
