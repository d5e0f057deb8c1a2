// The upload settings dialog against the loopback stand-in of the web service: loading
// "AutoUpload.ini" and the start-up chain in the automatic mode, the three requests with their
// guards, every reply and message, the refusal to close during an exchange, saving on close,
// and the ready test.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWidget>

#include "core/IniFileClass.h"
#include "platform/forms/Button.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Panel.h"
#include "platform/forms/TestSeams.h"
#include "platform/forms/Timer.h"
#include "tests/upload/support/StandInWebService.h"
#include "upload/CommunicationThread.h"
#include "upload/UploadSplitsUnit.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using Message = ScopedMessageBoxRecorder::Message;

std::string Json(const std::string& body) {
    return testnet::HttpReply(200, body);
}

std::vector<std::string> Items(const TComboBox* box) {
    std::vector<std::string> items;
    for (int i = 0; i < box->Items()->Count(); ++i)
        items.push_back(box->Items()->Strings(i));
    return items;
}

std::vector<std::string> Texts(const std::vector<Message>& messages) {
    std::vector<std::string> texts;
    for (const Message& message : messages)
        texts.push_back(message.caption + ": " + message.text);
    return texts;
}

class UploadDialog : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "lapwren upload XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern + "/";
        Service.Games = {{"smb", "Super Jumper"}, {"zel", "Sword Quest"}, {"met", "Armoured Hunter"}};
        Service.Categories = {{"smb", {{"any", "Any%"}, {"wr", "Warpless"}}}, {"zel", {{"100", "100%"}}}};
        Dialog = new TUploadSplitsForm(nullptr);
        Dialog->UploadSettings = &Settings;
        // A silent server gives up within the test's patience.
        Dialog->ConnectTimeoutMs = 500;
        Dialog->TotalTimeoutMs = 1500;
    }
    void TearDown() override {
        delete Dialog;
        fs::remove_all(dir_);
    }

    void WriteSettings(const std::vector<std::string>& lines) {
        std::ofstream out(dir_ + "AutoUpload.ini", std::ios::binary);
        for (const std::string& line : lines)
            out << line << "\r\n";
        out.close();
        Settings.Load(dir_ + "AutoUpload.ini");
    }
    std::string SettingsPath() const { return dir_ + "AutoUpload.ini"; }
    std::string SavedSettings() const {
        std::ifstream in(SettingsPath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Shows the dialog as the main window does at start-up; true when it closed by itself.
    bool ShowInAutoMode() {
        bool closed = false;
        ScopedModalHandler answer([&](TForm& form) {
            closed = WaitForModalClose(form, 10000);
            return mrNone;
        });
        Dialog->AutoMode = true;
        Dialog->ShowModal();
        Dialog->AutoMode = false;
        return closed;
    }
    // The server list of the file with "(none)" selected, as the start-up leaves it when no
    // server was saved; then the user chooses.
    void LoadServerList() {
        WriteSettings({"[ServerList]", "speedy.example=Speedy", "odd.example=Odd"});
        ASSERT_TRUE(ShowInAutoMode());
        ASSERT_EQ(Items(Dialog->ServerComboBox), (std::vector<std::string>{"(none)", "Odd", "Speedy"}));
    }
    // Picks a server as the user does; index 1 is "Odd", 2 "Speedy".
    void ChooseServer(int index) {
        Dialog->ServerComboBox->SetItemIndex(index);
        Dialog->ServerComboBoxChange(Dialog->ServerComboBox);
    }
    void ChooseGame(int index) {
        Dialog->GameListComboBox->SetItemIndex(index);
        Dialog->GameListComboBoxChange(Dialog->GameListComboBox);
    }
    // Runs the message loop until the exchange in flight has been handled.
    bool WaitForReply(int timeoutMs = 10000) {
        QElapsedTimer clock;
        clock.start();
        while (Dialog->Thread != nullptr || Dialog->CommunicationTimer->Enabled()) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
    std::vector<std::string> RequestTypes() const {
        std::vector<std::string> types;
        for (const testnet::Request& request : Service.Requests()) {
            json::Value body = json::Deserialize(request.body);
            types.push_back(body.Type() == json::ObjectValue ? body.AsObject()["type"].AsString() : "?");
        }
        return types;
    }
    static void AddItem(TComboBox* box, const std::string& text, const std::string& code) {
        auto* data = new ComboBoxDataClass();
        data->Code = code;
        box->Items()->AddObject(text, data);
    }

    StandInWebService Service;
    ScopedMessageBoxRecorder Messages;
    IniFileClass Settings;
    TUploadSplitsForm* Dialog = nullptr;

private:
    std::string dir_;
};

// --- Loading "AutoUpload.ini" ---------------------------------------------------------------------

TEST_F(UploadDialog, ServersFollowNoneInTheOrderOfTheirKeys) {
    WriteSettings({"[ServerList]", "b-key=Alpha", "a-key=Zed", "[Settings]", "Server=b-key"});
    EXPECT_TRUE(ShowInAutoMode());
    EXPECT_EQ(Items(Dialog->ServerComboBox), (std::vector<std::string>{"(none)", "Zed", "Alpha"}));
    EXPECT_EQ(Dialog->ServerComboBox->ItemIndex(), 2);
    int index = -1;
    ASSERT_TRUE(Dialog->ServerCodes.Find("a-key", index));
    EXPECT_EQ(reinterpret_cast<intptr_t>(Dialog->ServerCodes.Objects(index)), 1);
    // Selecting from the program is no change by the user.
    EXPECT_EQ(Dialog->LastServerIndex, -1);
    EXPECT_FALSE(Dialog->WaitPanel->Visible());
}

TEST_F(UploadDialog, AnUnknownSavedServerSelectsNoneAndTheDialogClosesItselfWithoutSending) {
    WriteSettings({"[ServerList]", "a-key=Zed", "[Settings]", "Server=gone", "SaveUsername=Y",
                   "Username=runner", "SavePassword=Y", "Password=secret"});
    EXPECT_TRUE(ShowInAutoMode());
    EXPECT_EQ(Dialog->ServerComboBox->ItemIndex(), 0);
    EXPECT_EQ(Dialog->Thread, nullptr);
    EXPECT_FALSE(Dialog->CommunicationTimer->Enabled());
    EXPECT_TRUE(Service.Requests().empty());
    EXPECT_TRUE(Messages.Messages().empty());
}

struct FlagCase {
    const char* name;
    const char* value;
    bool on;
};

class UploadFlags : public UploadDialog, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(UploadFlags, OnlyYInEitherCaseLoadsTheSavedLogin) {
    WriteSettings({"[Settings]", std::string("SaveUsername=") + GetParam().value,
                   std::string("SavePassword=") + GetParam().value, "Username=runner", "Password=secret",
                   std::string("SubmitRunComments=") + GetParam().value, "Version=1.2"});
    Dialog->UsernameEdit->SetText("typed before");
    EXPECT_TRUE(ShowInAutoMode());
    EXPECT_EQ(Dialog->SaveUsername, GetParam().on);
    EXPECT_EQ(Dialog->UsernameEdit->Text(), GetParam().on ? "runner" : "");
    EXPECT_EQ(Dialog->PasswordEdit->Text(), GetParam().on ? "secret" : "");
    EXPECT_EQ(Dialog->SubmitRunCommentsCheckBox->Checked(), GetParam().on);
    EXPECT_EQ(Dialog->GameVersionEdit->Text(), "1.2");
}

INSTANTIATE_TEST_SUITE_P(AutoUploadIni, UploadFlags,
                         ::testing::Values(FlagCase{"UpperY", "Y", true}, FlagCase{"LowerY", "y", true},
                                           FlagCase{"Yes", "Yes", false}, FlagCase{"Empty", "", false}),
                         [](const ::testing::TestParamInfo<FlagCase>& info) { return info.param.name; });

// --- The start-up chain ---------------------------------------------------------------------------

struct ChainCase {
    const char* name;
    std::vector<std::string> settings; // [Settings] lines beside Server=speedy.example
    std::string raw;                   // what the server answers to everything, "" for the service
    std::vector<std::string> requests;
    std::vector<std::string> messages; // "caption: text"
    std::string game;                  // the selected item's text, "" for none
    std::string category;
};

class StartUpChain : public UploadDialog, public ::testing::WithParamInterface<ChainCase> {};

TEST_P(StartUpChain, RunsByItselfAndClosesTheDialog) {
    const ChainCase& c = GetParam();
    std::vector<std::string> lines = {"[ServerList]", "speedy.example=Speedy", "[Settings]",
                                      "Server=speedy.example"};
    lines.insert(lines.end(), c.settings.begin(), c.settings.end());
    WriteSettings(lines);
    if (!c.raw.empty())
        Service.AnswerRaw("speedy.example", c.raw);

    ASSERT_TRUE(ShowInAutoMode()) << "the dialog must close itself";
    EXPECT_EQ(RequestTypes(), c.requests);
    EXPECT_EQ(Texts(Messages.Messages()), c.messages);
    EXPECT_EQ(Dialog->GameListComboBox->Text(), c.game);
    EXPECT_EQ(Dialog->GameCategoryComboBox->Text(), c.category);
    EXPECT_EQ(Dialog->Thread, nullptr);
    EXPECT_FALSE(Dialog->WaitPanel->Visible());
    // The program's selections are no choices of the user's.
    EXPECT_EQ(Dialog->LastGameIndex, -1);
    EXPECT_EQ(Dialog->LastCategoryIndex, -1);
}

const std::vector<std::string> kLogin = {"SaveUsername=Y", "Username=runner", "SavePassword=Y",
                                         "Password=secret"};

std::vector<std::string> With(std::vector<std::string> lines, std::initializer_list<std::string> more) {
    lines.insert(lines.end(), more);
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    AutoMode, StartUpChain,
    ::testing::Values(ChainCase{"LoginThenGamesThenCategoriesSelectTheSavedOnes",
                                With(kLogin, {"GameCode=smb", "GameCategoryCode=wr"}),
                                "",
                                {"verifylogin", "gamelist", "gamecategories"},
                                {},
                                "Super Jumper",
                                "Warpless"},
                      ChainCase{"WithoutAPasswordTheLoginIsSkipped",
                                {"SaveUsername=Y", "Username=runner", "GameCode=zel", "GameCategoryCode=100"},
                                "",
                                {"gamelist", "gamecategories"},
                                {},
                                "Sword Quest",
                                "100%"},
                      ChainCase{"ARejectedLoginIsShownAndTheListsStillCome",
                                {"SaveUsername=Y", "Username=runner", "SavePassword=Y", "Password=wrong",
                                 "GameCode=smb"},
                                "",
                                {"verifylogin", "gamelist", "gamecategories"},
                                {"Login Verification Failed: Wrong username or password"},
                                "Super Jumper",
                                ""},
                      ChainCase{"ASavedGameNoLongerOfferedEndsAfterTheGameList",
                                With(kLogin, {"GameCode=gone", "GameCategoryCode=any"}),
                                "",
                                {"verifylogin", "gamelist"},
                                {},
                                "",
                                ""},
                      ChainCase{"AFailedGameListEndsTheChainWithoutAWord",
                                {"GameCode=smb"},
                                Json(R"({"result":"FAIL","message":"Down for maintenance"})"),
                                {"gamelist"},
                                {},
                                "",
                                ""},
                      ChainCase{"AnEmptyReplyEndsTheChainWithItsError",
                                kLogin,
                                Json(""),
                                {"verifylogin"},
                                {"Communication Error: No data came back from the server."},
                                "",
                                ""},
                      // The names before the one that is not a text stay; the start-up does not hang on.
                      ChainCase{"ANameThatIsNoTextEndsTheChainWithTheNamesBeforeIt",
                                {"GameCode=a"},
                                Json(R"({"data":{"a":"Alpha","b":5,"c":"Gamma"}})"),
                                {"gamelist"},
                                {},
                                "",
                                ""}),
    [](const ::testing::TestParamInfo<ChainCase>& info) { return std::string(info.param.name); });

TEST_F(UploadDialog, ANameThatIsNoTextKeepsTheItemsBeforeIt) {
    WriteSettings({"[ServerList]", "speedy.example=Speedy", "[Settings]", "Server=speedy.example"});
    Service.AnswerRaw("speedy.example", Json(R"({"data":{"a":"Alpha","b":5,"c":"Gamma"}})"));
    ASSERT_TRUE(ShowInAutoMode());
    EXPECT_EQ(Items(Dialog->GameListComboBox), (std::vector<std::string>{"Alpha"}));
}

// --- The requests chosen by the user --------------------------------------------------------------

TEST_F(UploadDialog, TheGameListFillsInTheOrderOfTheNamesAndEachCodeFindsItsItem) {
    LoadServerList();
    ChooseServer(2);
    EXPECT_TRUE(Dialog->WaitPanel->Visible());
    EXPECT_EQ(Dialog->WaitLabel->Caption(), "Getting game list...");
    ASSERT_TRUE(WaitForReply());
    EXPECT_FALSE(Dialog->WaitPanel->Visible());
    EXPECT_TRUE(Messages.Messages().empty());

    EXPECT_EQ(Items(Dialog->GameListComboBox),
              (std::vector<std::string>{"Armoured Hunter", "Super Jumper", "Sword Quest"}));
    for (const char* code : {"met", "smb", "zel"}) {
        int found = -1;
        ASSERT_TRUE(Dialog->GameCodes.Find(code, found)) << code;
        const auto index = static_cast<int>(reinterpret_cast<intptr_t>(Dialog->GameCodes.Objects(found)));
        EXPECT_EQ(static_cast<ComboBoxDataClass*>(Dialog->GameListComboBox->Items()->Objects(index))->Code,
                  code);
    }

    ChooseGame(1);
    EXPECT_EQ(Dialog->WaitLabel->Caption(), "Getting game categories...");
    ASSERT_TRUE(WaitForReply());
    EXPECT_EQ(Items(Dialog->GameCategoryComboBox), (std::vector<std::string>{"Any%", "Warpless"}));
    EXPECT_EQ(Service.Requests().back().body, R"({"game":"smb","type":"gamecategories"})");
    EXPECT_EQ(Dialog->GameCategoryComboBox->ItemIndex(), -1) << "the user picks the category";
}

// Many servers escape "/" and every non-ASCII character in what they write; the codes must go
// back as the codes they stand for, not with their escapes escaped once more.
TEST_F(UploadDialog, CodesTheServerWroteEscapedGoBackAsTheServerMeantThem) {
    LoadServerList();
    Service.AnswerRaw("speedy.example",
                      Json(R"({"result":"success","data":{"a\/b":"Slash Game","caf\u00e9":"Cafe Game"}})"));
    ChooseServer(2);
    ASSERT_TRUE(WaitForReply());
    ASSERT_EQ(Items(Dialog->GameListComboBox), (std::vector<std::string>{"Cafe Game", "Slash Game"}));
    ChooseGame(1);
    ASSERT_TRUE(WaitForReply());
    EXPECT_EQ(Service.Requests().back().body, R"({"game":"a/b","type":"gamecategories"})");
    ChooseGame(0);
    ASSERT_TRUE(WaitForReply());
    EXPECT_EQ(Service.Requests().back().body, "{\"game\":\"caf\xC3\xA9\",\"type\":\"gamecategories\"}");
}

TEST_F(UploadDialog, OnlyAnotherServerSendsAGameListAndNoneClearsTheLists) {
    LoadServerList();
    ChooseServer(2);
    ASSERT_TRUE(WaitForReply());
    ChooseGame(1);
    ASSERT_TRUE(WaitForReply());
    ASSERT_EQ(Service.Requests().size(), 2u);

    ChooseServer(2); // the same item again
    EXPECT_EQ(Dialog->Thread, nullptr);
    EXPECT_EQ(Dialog->GameListComboBox->Items()->Count(), 3);

    ChooseServer(0); // "(none)"
    EXPECT_EQ(Dialog->Thread, nullptr);
    EXPECT_EQ(Dialog->GameListComboBox->Items()->Count(), 0);
    EXPECT_EQ(Dialog->GameCategoryComboBox->Items()->Count(), 0);
    EXPECT_EQ(Dialog->GameCodes.Count(), 0);
    EXPECT_EQ(Dialog->LastGameIndex, -1);
    EXPECT_TRUE(Messages.Messages().empty());

    ChooseServer(1);
    ASSERT_TRUE(WaitForReply());
    EXPECT_EQ(Service.Requests().size(), 3u);
    EXPECT_EQ(Service.Requests().back().target, "http://www.odd.example/asup");
}

struct GuardCase {
    const char* name;
    std::function<void(TUploadSplitsForm&)> prepare;
    std::function<void(TUploadSplitsForm&)> send;
    std::string message; // "" when nothing is said
};

class RequestGuards : public UploadDialog, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(RequestGuards, RefuseBeforeAnyExchange) {
    LoadServerList();
    Dialog->ServerComboBox->SetItemIndex(2);
    Dialog->UsernameEdit->SetText("runner");
    Dialog->PasswordEdit->SetText("secret");
    GetParam().prepare(*Dialog);
    GetParam().send(*Dialog);
    EXPECT_EQ(Dialog->Thread, nullptr);
    EXPECT_FALSE(Dialog->WaitPanel->Visible());
    const std::vector<std::string> expected = GetParam().message.empty()
                                                  ? std::vector<std::string>{}
                                                  : std::vector<std::string>{": " + GetParam().message};
    EXPECT_EQ(Texts(Messages.Messages()), expected);
    EXPECT_FALSE(Service.WaitForRequests(1, 50ms));
}

void Verify(TUploadSplitsForm& d) {
    d.VerifyLoginButtonClick(d.VerifyLoginButton);
}
void GameList(TUploadSplitsForm& d) {
    d.SendGameListRequest();
}
void Categories(TUploadSplitsForm& d) {
    d.SendGameCategoriesRequest();
}
void NoServerItem(TUploadSplitsForm& d) {
    d.ServerComboBox->SetItemIndex(-1);
}
void ServerNone(TUploadSplitsForm& d) {
    d.ServerComboBox->SetItemIndex(0);
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, RequestGuards,
    ::testing::Values(
        GuardCase{"VerifyWithoutAServerItem", NoServerItem, Verify, "Please choose a server"},
        GuardCase{"GameListWithoutAServerItem", NoServerItem, GameList, "Please choose a server"},
        GuardCase{"CategoriesWithoutAServerItem", NoServerItem, Categories, "Please choose a server"},
        GuardCase{"VerifyWithNone", ServerNone, Verify, ""},
        GuardCase{"GameListWithNone", ServerNone, GameList, ""},
        GuardCase{"CategoriesWithNone", ServerNone, Categories, ""},
        GuardCase{"VerifyWithoutUsername", [](TUploadSplitsForm& d) { d.UsernameEdit->SetText(""); }, Verify,
                  "Please enter the username"},
        GuardCase{"VerifyWithoutPassword", [](TUploadSplitsForm& d) { d.PasswordEdit->SetText(""); }, Verify,
                  "Please enter the password"},
        GuardCase{"CategoriesWithoutAGame", [](TUploadSplitsForm&) {}, Categories, "Please choose a game"}),
    [](const ::testing::TestParamInfo<GuardCase>& info) { return std::string(info.param.name); });

// --- Replies --------------------------------------------------------------------------------------

struct ReplyCase {
    const char* name;
    std::function<void(TUploadSplitsForm&)> send;
    std::string raw; // "" for the service's own answer
    std::string caption;
    std::string text;
};

class InteractiveReplies : public UploadDialog, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(InteractiveReplies, AreShownAndLeaveTheDialogFreeToClose) {
    const ReplyCase& c = GetParam();
    LoadServerList();
    Dialog->ServerComboBox->SetItemIndex(2);
    Dialog->UsernameEdit->SetText("runner");
    Dialog->PasswordEdit->SetText("secret");
    AddItem(Dialog->GameListComboBox, "Super Jumper", "smb");
    Dialog->GameListComboBox->SetItemIndex(0);
    if (!c.raw.empty())
        Service.AnswerRaw("speedy.example", c.raw);

    c.send(*Dialog);
    ASSERT_NE(Dialog->Thread, nullptr);
    ASSERT_TRUE(WaitForReply());
    ASSERT_EQ(Messages.Messages().size(), 1u);
    EXPECT_EQ(Messages.Messages()[0].caption, c.caption);
    EXPECT_EQ(Messages.Messages()[0].text, c.text);
    EXPECT_EQ(Messages.Messages()[0].flags, MB_OK);
    EXPECT_FALSE(Dialog->WaitPanel->Visible());

    Dialog->BackButtonClick(Dialog->BackButton);
    EXPECT_EQ(Messages.Messages().size(), 1u) << "closing is no longer refused";
}

const std::string kHtml = "<html><body>Moved</body></html>";

INSTANTIATE_TEST_SUITE_P(
    Dialog, InteractiveReplies,
    ::testing::Values(
        ReplyCase{"LoginVerified", Verify, "", "Login Verification Successful", "Login verified!"},
        ReplyCase{"SuccessInCapitalsCounts", Verify, Json(R"({"result":"SUCCESS"})"),
                  "Login Verification Successful", "Login verified!"},
        ReplyCase{"LoginRejected", Verify, Json(R"({"result":"fail","message":"Wrong password"})"),
                  "Login Verification Failed", "Wrong password"},
        ReplyCase{"LoginWithoutResultFails", Verify, Json(R"({"message":7})"), "Login Verification Failed",
                  ""},
        ReplyCase{"GameListFailed", GameList, Json(R"({"result":"fail","message":"Closed"})"),
                  "Game List Failed", "Closed"},
        ReplyCase{"CategoriesFailed", Categories, Json(R"({"result":"Fail","message":"No such game"})"),
                  "Game Categories Failed", "No such game"},
        ReplyCase{"NothingCameBack", GameList, Json(""), "Communication Error",
                  "No data came back from the server."},
        ReplyCase{"AnHtmlPage", Categories, Json(kHtml), "Communication Error",
                  "Could not read JSON: " + kHtml},
        ReplyCase{"TheServersOwnError", Verify, Json(R"({"ServerError":"Maintenance","result":"success"})"),
                  "Communication Error", "Maintenance"},
        ReplyCase{"AnErrorStatus", GameList, testnet::HttpReply(503, "{}"), "Communication Error",
                  "Could not send the data."}),
    [](const ::testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

TEST_F(UploadDialog, ASilentServerEndsInAnErrorAndTheDialogCanBeClosedAgain) {
    LoadServerList();
    Service.StaySilent("speedy.example");
    ChooseServer(2);
    Dialog->BackButtonClick(Dialog->BackButton);
    ASSERT_TRUE(WaitForReply());
    EXPECT_EQ(Texts(Messages.Messages()),
              (std::vector<std::string>{"Please Wait: Please wait for the communication to finish",
                                        "Communication Error: Could not send the data."}));
    Dialog->BackButtonClick(Dialog->BackButton);
    EXPECT_EQ(Messages.Messages().size(), 2u);
}

TEST_F(UploadDialog, VerifyWhileAReplyIsAwaitedDoesNothing) {
    LoadServerList();
    Service.AnswerSlowly("speedy.example", 300ms);
    Dialog->ServerComboBox->SetItemIndex(2);
    Dialog->UsernameEdit->SetText("runner");
    Dialog->PasswordEdit->SetText("secret");
    Verify(*Dialog);
    CommunicationThread* first = Dialog->Thread;
    Verify(*Dialog);
    Dialog->SendGameListRequest();
    EXPECT_EQ(Dialog->Thread, first);
    EXPECT_EQ(Dialog->WaitLabel->Caption(), "Verifying login...");
    ASSERT_TRUE(WaitForReply());
    EXPECT_EQ(RequestTypes(), (std::vector<std::string>{"verifylogin"}));
    EXPECT_EQ(Texts(Messages.Messages()),
              (std::vector<std::string>{"Login Verification Successful: Login verified!"}));
    EXPECT_EQ(Service.Requests()[0].body,
              R"({"password":"secret","type":"verifylogin","username":"runner"})");
}

// Space starts the timer, so it is a likely key while the start-up waits for the server; Tab and
// Down would move the keyboard or the choice of a list beneath the wait panel.
TEST_F(UploadDialog, KeysPressedDuringAnExchangeReachNoControlBeneathTheWaitPanel) {
    WriteSettings({"[ServerList]", "speedy.example=Speedy", "odd.example=Odd", "[Settings]",
                   "Server=speedy.example", "SaveUsername=Y", "Username=runner", "SavePassword=Y",
                   "Password=secret"});
    Service.AnswerSlowly("speedy.example", 200ms);
    // As the keyboard sends them: to the dialog's focused widget, or to the dialog itself.
    auto pressKeys = [&] {
        const std::pair<int, QString> keys[] = {{Qt::Key_Space, " "}, {Qt::Key_Space, " "},
                                                {Qt::Key_A, "a"},     {Qt::Key_Tab, "\t"},
                                                {Qt::Key_B, "b"},     {Qt::Key_Down, ""}};
        for (const auto& [key, text] : keys) {
            QWidget* window = Dialog->Widget()->window();
            QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
            QCoreApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
            QCoreApplication::sendEvent(target, &release);
        }
    };
    bool closed = false;
    {
        ScopedModalHandler answer([&](TForm& form) {
            EXPECT_TRUE(Dialog->WaitPanel->Visible());
            pressKeys();
            closed = WaitForModalClose(form, 10000);
            return mrNone;
        });
        Dialog->AutoMode = true;
        Dialog->ShowModal();
        Dialog->AutoMode = false;
    }
    ASSERT_TRUE(closed);
    EXPECT_EQ(Dialog->UsernameEdit->Text(), "runner");
    EXPECT_EQ(Dialog->PasswordEdit->Text(), "secret");

    // Shown by the user, who picks another server: once the list has come, the keyboard is back
    // on the server list, which still shows the server picked.
    ScopedModalHandler answer([&](TForm&) {
        Dialog->ServerComboBox->SetFocus();
        ChooseServer(1);
        pressKeys();
        EXPECT_TRUE(WaitForReply());
        EXPECT_TRUE(Dialog->ServerComboBox->Focused());
        EXPECT_EQ(Dialog->ServerComboBox->ItemIndex(), 1);
        Dialog->BackButtonClick(Dialog->BackButton);
        return mrNone;
    });
    Dialog->ShowModal();
    EXPECT_NE(SavedSettings().find("Server=odd.example\r\nSubmitRunComments=N\r\nUsername=runner\r\n"),
              std::string::npos)
        << SavedSettings();
    EXPECT_EQ(Service.Requests().back().target, "http://www.odd.example/asup");
}

// --- Closing --------------------------------------------------------------------------------------

TEST_F(UploadDialog, ClosingDuringAnExchangeIsRefusedAndWritesNothing) {
    WriteSettings({"[ServerList]", "speedy.example=Speedy", "[Settings]", "Version=old"});
    ASSERT_TRUE(ShowInAutoMode());
    const std::string before = SavedSettings();
    Service.AnswerSlowly("speedy.example", 300ms);
    ChooseServer(1);
    Dialog->GameVersionEdit->SetText("new");

    char escape = 27;
    Dialog->FormKeyPress(Dialog, escape);
    EXPECT_EQ(escape, 0);
    Dialog->BackButtonClick(Dialog->BackButton);
    ASSERT_EQ(Messages.Messages().size(), 2u);
    for (const Message& message : Messages.Messages()) {
        EXPECT_EQ(message.text, "Please wait for the communication to finish");
        EXPECT_EQ(message.caption, "Please Wait");
    }
    EXPECT_EQ(SavedSettings(), before);

    ASSERT_TRUE(WaitForReply());
    Dialog->BackButtonClick(Dialog->BackButton);
    EXPECT_EQ(Messages.Messages().size(), 2u);
    EXPECT_NE(SavedSettings().find("Version=new\r\n"), std::string::npos);
}

TEST_F(UploadDialog, ClosingSavesTheChoicesThatHoldAndKeepsTheRest) {
    WriteSettings({"[ServerList]", "a-key=Zed", "[Settings]", "Server=a-key", "SaveUsername=Y",
                   "SavePassword=N", "Password=old", "GameCode=old-game", "GameCategoryCode=old-cat"});
    Service.AnswerRaw("a-key", Json(R"({"result":"fail"})")); // the start-up chain ends at once
    ASSERT_TRUE(ShowInAutoMode());
    Dialog->UsernameEdit->SetText("runner");
    Dialog->PasswordEdit->SetText("typed");
    Dialog->GameVersionEdit->SetText("v2");
    AddItem(Dialog->GameCategoryComboBox, "Any%", "any");
    Dialog->GameCategoryComboBox->SetItemIndex(0);
    Dialog->SubmitRunCommentsCheckBox->SetChecked(true);

    Dialog->BackButtonClick(nullptr);

    // No game is selected, so the earlier game stays; the password is not saved.
    EXPECT_EQ(SavedSettings(), "[ServerList]\r\na-key=Zed\r\n\r\n"
                               "[Settings]\r\nGameCategoryCode=any\r\nGameCode=old-game\r\nPassword=old\r\n"
                               "SavePassword=N\r\nSaveUsername=Y\r\nServer=a-key\r\nSubmitRunComments=Y\r\n"
                               "Username=runner\r\nVersion=v2\r\n\r\n");
}

TEST_F(UploadDialog, ClosingKeepsThePermissionsOfTheFileThatHoldsThePassword) {
    WriteSettings({"[ServerList]", "a-key=Zed", "[Settings]", "SavePassword=Y"});
    const fs::path file = fs::path(SettingsPath());
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(ShowInAutoMode());
    Dialog->PasswordEdit->SetText("secret");
    Dialog->BackButtonClick(nullptr);
    EXPECT_NE(SavedSettings().find("Password=secret\r\n"), std::string::npos);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(UploadDialog, ClosingPutsBackTheShortWaitText) {
    Dialog->WaitPanel->SetVisible(true);
    TCloseAction action = caHide;
    Dialog->FormClose(Dialog, action);
    EXPECT_FALSE(Dialog->WaitPanel->Visible());
    EXPECT_FALSE(Dialog->Activated);
    EXPECT_EQ(Dialog->WaitLabel->Caption(), "Please wait for server...");
}

// --- The ready test and the lists -----------------------------------------------------------------

TEST_F(UploadDialog, UploadIsReadyOnlyWithEveryChoiceMade) {
    AddItem(Dialog->ServerComboBox, "(none)", "");
    AddItem(Dialog->GameListComboBox, "Game", "g");
    AddItem(Dialog->GameCategoryComboBox, "Any%", "any");
    auto fill = [&] {
        Dialog->ServerComboBox->SetItemIndex(0); // "(none)" counts as a choice here
        Dialog->UsernameEdit->SetText("runner");
        Dialog->PasswordEdit->SetText("secret");
        Dialog->GameListComboBox->SetItemIndex(0);
        Dialog->GameCategoryComboBox->SetItemIndex(0);
        Dialog->GameVersionEdit->SetText("1.0");
    };
    fill();
    EXPECT_TRUE(Dialog->IsUploadReady());
    const std::pair<const char*, std::function<void()>> missing[] = {
        {"server", [&] { Dialog->ServerComboBox->SetItemIndex(-1); }},
        {"username", [&] { Dialog->UsernameEdit->SetText(""); }},
        {"password", [&] { Dialog->PasswordEdit->SetText(""); }},
        {"game", [&] { Dialog->GameListComboBox->SetItemIndex(-1); }},
        {"category", [&] { Dialog->GameCategoryComboBox->SetItemIndex(-1); }},
        {"version", [&] { Dialog->GameVersionEdit->SetText(""); }},
    };
    for (const auto& [name, clear] : missing) {
        fill();
        clear();
        EXPECT_FALSE(Dialog->IsUploadReady()) << "without " << name;
    }
}

TEST_F(UploadDialog, ClearingAListEmptiesItAndItsCodes) {
    AddItem(Dialog->GameListComboBox, "B", "b");
    AddItem(Dialog->GameListComboBox, "A", "a");
    Dialog->GameCodes.AddObject("a", nullptr);
    TUploadSplitsForm::ClearComboBox(Dialog->GameListComboBox, &Dialog->GameCodes);
    EXPECT_EQ(Dialog->GameListComboBox->Items()->Count(), 0);
    EXPECT_EQ(Dialog->GameCodes.Count(), 0);
}

} // namespace
