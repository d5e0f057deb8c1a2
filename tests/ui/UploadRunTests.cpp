// The run upload seen from the main window, against the loopback stand-in of the web service:
// the start-up chain with "AutoUpload.ini" present, the "Auto-upload Splits" toggle, and the
// submission of each finished run from the keyboard (its exact body, the comment, the guards,
// a second run while the server is busy, the window ticking on while the server answers).

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include "platform/forms/Button.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"
#include "platform/forms/TestSeams.h"
#include "platform/forms/Timer.h"
#include "support/RunWindowFixture.h"
#include "ui/TextSettingsUnit.h"
#include "upload/CommunicationThread.h"
#include "upload/UploadSplitsUnit.h"
// The stand-in service lives with the upload tests; the window tests build it in.
#include "tests/upload/support/StandInWebService.cpp"

using namespace std::chrono_literals;

namespace {

using Message = ScopedMessageBoxRecorder::Message;

std::string Json(const std::string& body) {
    return testnet::HttpReply(200, body);
}

std::vector<std::string> Texts(const std::vector<Message>& messages) {
    std::vector<std::string> texts;
    for (const Message& message : messages)
        texts.push_back(message.caption + ": " + message.text);
    return texts;
}

std::vector<std::string> Items(const TComboBox* box) {
    std::vector<std::string> items;
    for (int i = 0; i < box->Items()->Count(); ++i)
        items.push_back(box->Items()->Strings(i));
    return items;
}

// Runs the message loop for a while, or until done says so; false when it never did.
bool Pump(int ms, const std::function<bool()>& done = {}) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        if (done && done())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(1ms);
    }
    return !done || done();
}

// Until the upload dialog has handled the exchange in flight.
bool WaitForUpload() {
    return Pump(10000, [] {
        return UploadSplitsForm->Thread == nullptr && !UploadSplitsForm->CommunicationTimer->Enabled();
    });
}

const std::vector<std::string> kReadyUpload = {"[ServerList]",    "b.example=Beta",       "a.example=Alpha",
                                               "[Settings]",      "Server=b.example",     "SaveUsername=Y",
                                               "Username=runner", "SavePassword=Y",       "Password=secret",
                                               "GameCode=smb",    "GameCategoryCode=any", "Version=1.0"};

// One split of a run: the run's time at the split in seconds, or a skip.
struct Step {
    std::optional<double> at;
};
const Step Skip{std::nullopt};

class UploadRun : public RunWindowTest {
protected:
    void SetUp() override {
        RunWindowTest::SetUp();
        TextSettingsForm = new TTextSettingsForm(nullptr);
        Service.Games = {{"smb", "Super Jumper"}, {"zel", "Sword Quest"}};
        Service.Categories = {{"smb", {{"any", "Any%"}, {"wr", "Warpless"}}}, {"zel", {{"100", "100%"}}}};
    }
    void TearDown() override {
        RunWindowTest::TearDown();
        delete TextSettingsForm;
        TextSettingsForm = nullptr;
    }

    // Starts the example window with this "AutoUpload.ini" (none for an empty list); the upload
    // dialog, shown at start-up, runs its chain and closes by itself.
    void Start(const std::vector<std::string>& upload, const Overrides& overrides = {}) {
        if (!upload.empty())
            WriteTextFile("AutoUpload.ini", upload);
        ScopedModalHandler answer([this](TForm& form) {
            if (&form == UploadSplitsForm) {
                shownAtStartUp_ = UploadSplitsForm->AutoMode;
                EXPECT_TRUE(WaitForModalClose(form, 10000)) << "the start-up dialog did not close itself";
            }
            return mrNone;
        });
        StartExample(overrides);
        startUpRequests_ = Service.Requests().size();
    }

    // Opens a three-row race; with auto-upload on the upload dialog shows and is closed with X.
    void OpenRace() {
        WriteSplitFile("race.txt", "Race", {"PB"},
                       {SplitRowSpec("One", {"10.00", "11.00"}), SplitRowSpec("Two", {"20.00", "32.00"}),
                        SplitRowSpec("Three", {"30.00", "1:05.00"})});
        ScopedModalHandler close([](TForm& form) {
            if (&form == UploadSplitsForm)
                UploadSplitsForm->BackButtonClick(UploadSplitsForm->BackButton);
            return mrNone;
        });
        OpenWithKeys(Dir + "race.txt");
        ASSERT_TRUE(Form->SplitData->HasFile());
    }

    // Starts a run from zero and splits (or skips) at the given run times.
    void Run(const std::vector<Step>& steps) {
        Press("Space");
        double now = 0;
        for (const Step& step : steps) {
            const double at = step.at.value_or(now + 0.5);
            Advance(at - now);
            now = at;
            Press(step.at ? "Space" : "S");
        }
    }

    // The bodies of the submissions that reached the server since start-up.
    std::vector<std::string> Submissions() const {
        std::vector<std::string> bodies;
        const auto requests = Service.Requests();
        for (size_t i = startUpRequests_; i < requests.size(); ++i)
            bodies.push_back(requests[i].body);
        return bodies;
    }

    StandInWebService Service;
    ScopedMessageBoxRecorder Messages;
    bool shownAtStartUp_ = false;
    size_t startUpRequests_ = 0;
};

// --- Start-up --------------------------------------------------------------------------------------

struct StartUpCase {
    const char* name;
    std::vector<std::string> upload;
    std::vector<std::string> requests;
    bool ready;
};

class UploadStartUp : public UploadRun, public ::testing::WithParamInterface<StartUpCase> {};

TEST_P(UploadStartUp, RunsTheChainAndSwitchesAutoUploadOnWhenReady) {
    Start(GetParam().upload);
    EXPECT_TRUE(shownAtStartUp_);
    std::vector<std::string> types;
    for (const testnet::Request& request : Service.Requests()) {
        json::Value body = json::Deserialize(request.body);
        types.push_back(body.AsObject()["type"].AsString());
        EXPECT_EQ(request.target, "http://www.b.example/asup");
    }
    EXPECT_EQ(types, GetParam().requests);
    EXPECT_TRUE(Messages.Messages().empty());

    TUploadSplitsForm* upload = UploadSplitsForm;
    EXPECT_EQ(Items(upload->ServerComboBox), (std::vector<std::string>{"(none)", "Alpha", "Beta"}));
    EXPECT_EQ(upload->ServerComboBox->Text(), "Beta");
    EXPECT_EQ(upload->GameListComboBox->Text(), "Super Jumper");
    EXPECT_EQ(upload->GameCategoryComboBox->Text(), "Any%");
    EXPECT_EQ(Form->AutoUploadSplits, GetParam().ready);
    EXPECT_EQ(Form->AutoUploadSplitsMenuItem->Checked(), GetParam().ready);
    EXPECT_FALSE(upload->AutoMode);
}

std::vector<std::string> WithoutPassword() {
    std::vector<std::string> lines = kReadyUpload;
    std::erase(lines, "Password=secret");
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    AutoUploadIni, UploadStartUp,
    ::testing::Values(
        StartUpCase{
            "LoginGamesAndCategories", kReadyUpload, {"verifylogin", "gamelist", "gamecategories"}, true},
        StartUpCase{
            "WithoutAPasswordTheLoginIsSkipped", WithoutPassword(), {"gamelist", "gamecategories"}, false}),
    [](const ::testing::TestParamInfo<StartUpCase>& info) { return std::string(info.param.name); });

// --- The toggle ------------------------------------------------------------------------------------

TEST_F(UploadRun, WithoutAnUploadFileTheToggleShowsTheDialogStaysOffAndWritesNothing) {
    Start({});
    EXPECT_FALSE(shownAtStartUp_);
    int shown = 0;
    {
        ScopedModalHandler answer([&](TForm& form) {
            EXPECT_EQ(&form, UploadSplitsForm);
            EXPECT_FALSE(UploadSplitsForm->AutoMode);
            EXPECT_EQ(form.Left(), Form->Left());
            EXPECT_EQ(form.Top(), Form->Top() + (Form->Height() - Form->ClientHeight()) - 3);
            ++shown;
            UploadSplitsForm->GameVersionEdit->SetText("1.0");
            UploadSplitsForm->VerifyLoginButtonClick(UploadSplitsForm->VerifyLoginButton);
            UploadSplitsForm->BackButtonClick(UploadSplitsForm->BackButton);
            return mrNone;
        });
        Form->AutoUploadSplitsMenuItemClick(Form->AutoUploadSplitsMenuItem);
    }
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(Texts(Messages.Messages()), (std::vector<std::string>{": Please choose a server"}));
    EXPECT_FALSE(Form->AutoUploadSplits);
    EXPECT_FALSE(Form->AutoUploadSplitsMenuItem->Checked());
    EXPECT_FALSE(FileExistsInDir("AutoUpload.ini"));
    EXPECT_TRUE(Service.Requests().empty());
}

// The dialog that opening a file shows can end the upload too: the tick goes with it, so that the
// next click on the item offers the dialog again, as the unticked item says.
TEST_F(UploadRun, TheTickGoesOffWithTheUploadWhenTheDialogShownOnOpeningIsLeftIncomplete) {
    Start(kReadyUpload);
    ASSERT_TRUE(Form->AutoUploadSplitsMenuItem->Checked());
    OpenRace();
    ASSERT_TRUE(Form->AutoUploadSplits);
    {
        ScopedModalHandler clear([](TForm& form) {
            if (&form == UploadSplitsForm) {
                UploadSplitsForm->GameVersionEdit->SetText("");
                UploadSplitsForm->BackButtonClick(UploadSplitsForm->BackButton);
            }
            return mrNone;
        });
        OpenWithKeys(Dir + "race.txt");
    }
    EXPECT_FALSE(Form->AutoUploadSplits);
    EXPECT_FALSE(Form->AutoUploadSplitsMenuItem->Checked());
}

TEST_F(UploadRun, ANewUserSetsUpTheUploadAndTheFinishedRunArrives) {
    Start({"[ServerList]", "b.example=Beta", "a.example=Alpha", "[Settings]", "SaveUsername=Y",
           "SavePassword=Y"});
    ASSERT_FALSE(Form->AutoUploadSplits);
    {
        ScopedModalHandler user([&](TForm& form) {
            if (&form != UploadSplitsForm)
                return mrNone;
            TUploadSplitsForm& d = *UploadSplitsForm;
            d.ServerComboBox->SetItemIndex(2);
            d.ServerComboBoxChange(d.ServerComboBox);
            EXPECT_TRUE(WaitForUpload());
            d.UsernameEdit->SetText("runner");
            d.PasswordEdit->SetText("secret");
            d.VerifyLoginButtonClick(d.VerifyLoginButton);
            EXPECT_TRUE(WaitForUpload());
            d.GameListComboBox->SetItemIndex(1); // "Sword Quest"
            d.GameListComboBoxChange(d.GameListComboBox);
            EXPECT_TRUE(WaitForUpload());
            d.GameCategoryComboBox->SetItemIndex(0);
            d.GameVersionEdit->SetText("PAL");
            d.BackButtonClick(d.BackButton);
            return mrNone;
        });
        Form->AutoUploadSplitsMenuItemClick(Form->AutoUploadSplitsMenuItem);
    }
    EXPECT_EQ(Texts(Messages.Messages()),
              (std::vector<std::string>{"Login Verification Successful: Login verified!"}));
    ASSERT_TRUE(Form->AutoUploadSplits);
    EXPECT_TRUE(Form->AutoUploadSplitsMenuItem->Checked());
    EXPECT_EQ(ReadFile("AutoUpload.ini"), "[ServerList]\r\na.example=Alpha\r\nb.example=Beta\r\n\r\n"
                                          "[Settings]\r\nGameCategoryCode=100\r\nGameCode=zel\r\n"
                                          "Password=secret\r\nSavePassword=Y\r\nSaveUsername=Y\r\n"
                                          "Server=b.example\r\nSubmitRunComments=N\r\nUsername=runner\r\n"
                                          "Version=PAL\r\n\r\n");

    OpenRace();
    startUpRequests_ = Service.Requests().size();
    Run({{10.0}, {31.5}, {64.0}});
    ASSERT_TRUE(WaitForUpload());
    ASSERT_EQ(Service.SubmittedRuns().size(), 1u);
    EXPECT_EQ(Submissions(),
              (std::vector<std::string>{
                  R"({"category":"100","game":"zel","password":"secret","runtime":"00:01:04.00",)"
                  R"("splits":["10.00","31.50","01:04.00"],"type":"submitrun","username":"runner",)"
                  R"("version":"PAL"})"}));
    EXPECT_EQ(Messages.Messages().size(), 1u) << "an accepted run is not reported";

    // Switching it off shows nothing and submits nothing more.
    Form->AutoUploadSplitsMenuItemClick(Form->AutoUploadSplitsMenuItem);
    EXPECT_FALSE(Form->AutoUploadSplits);
    EXPECT_FALSE(Form->AutoUploadSplitsMenuItem->Checked());
    Press("R");
    Advance(1);
    Run({{10.0}, {20.0}, {30.0}});
    EXPECT_EQ(UploadSplitsForm->Thread, nullptr);
}

// --- Submission ------------------------------------------------------------------------------------

struct BodyCase {
    const char* name;
    std::vector<Step> steps;
    std::string runtime;
    std::string splits;
};

class SubmittedBody : public UploadRun, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(SubmittedBody, HoldsTheRunAsTheServiceReadsIt) {
    Start(kReadyUpload);
    ASSERT_TRUE(Form->AutoUploadSplits);
    OpenRace();
    Run(GetParam().steps);
    ASSERT_NE(UploadSplitsForm->Thread, nullptr) << "the submission is under way when Make Split returns";
    EXPECT_EQ(UploadSplitsForm->RequestKind, TUploadSplitsForm::SubmitRunRequest);
    ASSERT_TRUE(WaitForUpload());

    // Members in byte order of their names, no comment.
    EXPECT_EQ(Submissions(),
              (std::vector<std::string>{R"({"category":"any","game":"smb","password":"secret",)"
                                        R"("runtime":")" +
                                        GetParam().runtime + R"(","splits":[)" + GetParam().splits +
                                        R"(],"type":"submitrun","username":"runner","version":"1.0"})"}));
    EXPECT_EQ(Service.Requests().back().target, "http://www.b.example/asup");
    EXPECT_TRUE(Messages.Messages().empty());
    EXPECT_FALSE(UploadSplitsForm->WaitPanel->Visible());
}

INSTANTIATE_TEST_SUITE_P(Runs, SubmittedBody,
                         ::testing::Values(
                             // The last split of the same time shows with one digit in "splits".
                             BodyCase{"UnderAMinuteWithASkippedSplit",
                                      {{20.0}, Skip, {59.99}},
                                      "00:00:59.99",
                                      R"("20.00","0.00","59.99")"},
                             BodyCase{"MinutesAndHoursGetTwoDigits",
                                      {{5.2}, {65.2}, {3723.04}},
                                      "01:02:03.04",
                                      R"("5.20","01:05.20","01:02:03.04")"},
                             BodyCase{"TenHours",
                                      {{754.3}, {3725.5}, {36000.0}},
                                      "10:00:00.00",
                                      R"("12:34.30","01:02:05.50","10:00:00.00")"}),
                         [](const ::testing::TestParamInfo<BodyCase>& info) {
                             return std::string(info.param.name);
                         });

struct CommentCase {
    const char* name;
    bool horizontal;
    // The window moved by hand against the screen's right edge, where the dialog over its title
    // would run past it.
    bool atTheRightEdge = false;
};

class RunComment : public UploadRun, public ::testing::WithParamInterface<CommentCase> {};

TEST_P(RunComment, IsAskedOverTheTitleAndSentOnlyWhenTyped) {
    std::vector<std::string> upload = kReadyUpload;
    upload.push_back("SubmitRunComments=Y");
    Start(upload, {{"Window/HorizontalMode", GetParam().horizontal ? "Y" : "N"}});
    OpenRace();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    if (GetParam().atTheRightEdge)
        Form->SetLeft(screen.x() + screen.width() - Form->Width());
    TTextSettingsForm& dialog = *TextSettingsForm;
    // The label is right-justified: its right edge is what stays put.
    const int labelRight = dialog.Entry1Label->Left() + dialog.Entry1Label->Width();
    const int editLeft = dialog.Entry1Edit->Left();
    const int editWidth = dialog.Entry1Edit->Width();
    dialog.Entry1Edit->SetText("left over");

    for (const std::string typed : {"", "Clean \"run\", no \\ deaths"}) {
        int asked = 0;
        {
            ScopedModalHandler user([&](TForm& form) {
                if (&form != TextSettingsForm)
                    return mrNone;
                ++asked;
                EXPECT_EQ(dialog.Entry1Label->Caption(), "Comment");
                EXPECT_EQ(dialog.Entry1Edit->Text(), "");
                EXPECT_EQ(dialog.EntryCount, 1);
                EXPECT_EQ(dialog.Entry1Label->Left(), 2);
                EXPECT_EQ(dialog.Entry1Edit->Left(), 50);
                EXPECT_EQ(dialog.Entry1Edit->Width(), 225);
                const int frameWidth = Form->Width() - Form->ClientWidth();
                const int frameHeight = Form->Height() - Form->ClientHeight();
                if (GetParam().horizontal) {
                    // No title image: at the left edge, as in the vertical layout.
                    EXPECT_EQ(form.Top(), Form->Top() + frameHeight);
                } else {
                    EXPECT_EQ(form.Top(), Form->Top() + Form->SplitData->titleLabel->Top() + frameHeight - 3);
                }
                // Wholly on the screen: moved only as far as it runs past the edge.
                EXPECT_EQ(form.Left(), std::min(Form->Left() + frameWidth - 3,
                                                screen.x() + screen.width() - form.Width()));
                EXPECT_TRUE(screen.contains(QRect(form.Left(), form.Top(), form.Width(), form.Height())));
                dialog.Entry1Edit->SetText(typed);
                dialog.BackButtonClick(dialog.BackButton);
                return mrNone;
            });
            Press("R");
            Advance(1);
            Run({{10.0}, {20.0}, {30.0}});
        }
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(dialog.Entry1Label->Left() + dialog.Entry1Label->Width(), labelRight);
        EXPECT_EQ(dialog.Entry1Edit->Left(), editLeft);
        EXPECT_EQ(dialog.Entry1Edit->Width(), editWidth);
        ASSERT_TRUE(WaitForUpload());
    }

    const std::vector<std::string> bodies = Submissions();
    ASSERT_EQ(bodies.size(), 2u);
    EXPECT_EQ(bodies[0].find("comment"), std::string::npos) << "an empty comment is left out";
    EXPECT_EQ(bodies[1].substr(0, bodies[1].find(",\"game\"")),
              R"({"category":"any","comment":"Clean \"run\", no \\ deaths")");
    ASSERT_EQ(Service.SubmittedRuns().size(), 2u);
    EXPECT_EQ(Service.SubmittedRuns()[1]["comment"].AsString(), "Clean \"run\", no \\ deaths");
}

INSTANTIATE_TEST_SUITE_P(Layouts, RunComment,
                         ::testing::Values(CommentCase{"Vertical", false}, CommentCase{"Horizontal", true},
                                           CommentCase{"VerticalAtTheScreensRightEdge", false, true}),
                         [](const ::testing::TestParamInfo<CommentCase>& info) { return info.param.name; });

struct GuardCase {
    const char* name;
    std::function<void(TMainForm&)> prepare;
    std::vector<Step> steps;
};

class SubmissionGuards : public UploadRun, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(SubmissionGuards, SendNothingAndSayNothing) {
    Start(kReadyUpload);
    OpenRace();
    GetParam().prepare(*Form);
    Run(GetParam().steps);
    EXPECT_EQ(UploadSplitsForm->Thread, nullptr);
    Pump(100);
    EXPECT_TRUE(Submissions().empty());
    EXPECT_TRUE(Messages.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Runs, SubmissionGuards,
    ::testing::Values(GuardCase{"AutoUploadOff",
                                [](TMainForm& f) { f.AutoUploadSplits = false; },
                                {{10.0}, {20.0}, {30.0}}},
                      GuardCase{"RunNotFinished", [](TMainForm&) {}, {{10.0}, {20.0}}},
                      GuardCase{"ServerNone",
                                [](TMainForm&) { UploadSplitsForm->ServerComboBox->SetItemIndex(0); },
                                {{10.0}, {20.0}, {30.0}}},
                      GuardCase{"NoVersion",
                                [](TMainForm&) { UploadSplitsForm->GameVersionEdit->SetText(""); },
                                {{10.0}, {20.0}, {30.0}}}),
    [](const ::testing::TestParamInfo<GuardCase>& info) { return std::string(info.param.name); });

TEST_F(UploadRun, ARunFinishedWhileTheServerIsBusyIsNotSubmitted) {
    Start(kReadyUpload);
    OpenRace();
    Service.AnswerSlowly("b.example", 800ms);
    Run({{10.0}, {20.0}, {30.0}});
    CommunicationThread* first = UploadSplitsForm->Thread;
    ASSERT_NE(first, nullptr);
    Press("R");
    Advance(1);
    Run({{9.0}, {18.0}, {27.0}});
    EXPECT_EQ(UploadSplitsForm->Thread, first);
    ASSERT_TRUE(WaitForUpload());
    Pump(200);
    ASSERT_EQ(Service.SubmittedRuns().size(), 1u);
    EXPECT_EQ(Service.SubmittedRuns()[0]["runtime"].AsString(), "00:00:30.00");
    EXPECT_EQ(Submissions().size(), 1u);
}

TEST_F(UploadRun, TheWindowKeepsTickingWhileTheServerAnswers) {
    Start(kReadyUpload);
    OpenRace();
    Service.AnswerSlowly("b.example", 1000ms);
    int ticks = 0;
    const TNotifyEvent tick = Form->DisplayTimer->OnTimer;
    Form->DisplayTimer->OnTimer = [&](TObject* sender) {
        ++ticks;
        tick(sender);
    };
    Form->DisplayTimer->SetEnabled(true);

    Run({{10.0}, {20.0}});
    Advance(10);
    QElapsedTimer clock;
    clock.start();
    Press("Space");
    EXPECT_LT(clock.elapsed(), 500) << "Make Split returned at once";
    ASSERT_NE(UploadSplitsForm->Thread, nullptr);
    ASSERT_TRUE(WaitForUpload());
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_GE(ticks, 5) << "the display ticked on while the server took a second";
    EXPECT_EQ(Service.SubmittedRuns().size(), 1u);
    Form->DisplayTimer->SetEnabled(false);
}

struct FailureCase {
    const char* name;
    std::string raw;
    std::vector<std::string> messages;
};

class SubmissionReplies : public UploadRun, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SubmissionReplies, OnlyARefusalOrAFailureIsShown) {
    Start(kReadyUpload);
    OpenRace();
    UploadSplitsForm->ConnectTimeoutMs = 500;
    UploadSplitsForm->TotalTimeoutMs = 1000;
    if (GetParam().raw == "silent")
        Service.StaySilent("b.example");
    else
        Service.AnswerRaw("b.example", GetParam().raw);
    Run({{10.0}, {20.0}, {30.0}});
    ASSERT_TRUE(WaitForUpload());
    EXPECT_EQ(Texts(Messages.Messages()), GetParam().messages);
    EXPECT_TRUE(Form->AutoUploadSplits);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, SubmissionReplies,
    ::testing::Values(
        FailureCase{"AcceptedInCapitals", Json(R"({"result":"SUCCESS"})"), {}},
        FailureCase{
            "WithoutResult", Json(R"({"message":"Run rejected"})"), {"Could not submit a run: Run rejected"}},
        FailureCase{"FailedWithoutMessage", Json(R"({"result":"fail"})"), {"Could not submit a run: "}},
        FailureCase{
            "AnErrorStatus", testnet::HttpReply(500, ""), {"Communication Error: Could not send the data."}},
        FailureCase{"ASilentServer", "silent", {"Communication Error: Could not send the data."}}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

} // namespace
