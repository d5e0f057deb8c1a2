// The worker's one exchange with the server, against the loopback stand-in of the web service.
#include <chrono>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/upload/support/StandInWebService.h"
#include "upload/CommunicationThread.h"

namespace {

using namespace std::chrono_literals;

std::unique_ptr<CommunicationThread> GameListWorker(const std::string& key) {
    auto worker = std::make_unique<CommunicationThread>(true);
    worker->ServerKey = key;
    worker->Request["type"] = "gamelist";
    return worker;
}

// The single "ServerError" text of a finished worker, "" when its result is something else.
std::string ServerError(CommunicationThread& worker) {
    if (worker.Result.Count() != 1) {
        return "";
    }
    const json::Value& error = worker.Result["ServerError"];
    return error.Type() == json::StringValue ? error.AsString() : "";
}

// Runs one exchange to its end.
void Exchange(CommunicationThread& worker) {
    worker.Resume();
    ASSERT_TRUE(WaitUntilFinished(worker, 20s));
}

class CommunicationThreadTest : public ::testing::Test {
protected:
    StandInWebService service;
};

TEST_F(CommunicationThreadTest, WithoutServerKeyItFailsWithoutTouchingTheNetwork) {
    CommunicationThread worker(true);
    worker.Request["type"] = "gamelist";
    Exchange(worker);
    EXPECT_EQ(ServerError(worker), "No server was chosen.");
    EXPECT_TRUE(service.Requests().empty());
}

TEST_F(CommunicationThreadTest, WithoutRequestMembersItHasNoDataToSend) {
    CommunicationThread worker(true);
    worker.ServerKey = "speedy.example";
    Exchange(worker);
    EXPECT_EQ(ServerError(worker), "No data to send.");
    EXPECT_TRUE(service.Requests().empty());
}

TEST_F(CommunicationThreadTest, GameListIsPostedToTheServersAsupPathAndTheReplyBecomesTheResult) {
    service.Games = {{"smb", "Super Jumper"}, {"zel", "Sword Quest"}};
    auto worker = GameListWorker("speedy.example");
    Exchange(*worker);

    const auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "http://www.speedy.example/asup");
    EXPECT_EQ(requests[0].version, "HTTP/1.0");
    EXPECT_EQ(requests[0].body, R"({"type":"gamelist"})");

    EXPECT_EQ(worker->Result["result"].AsString(), "success");
    EXPECT_EQ(worker->Result["data"].AsObject()["zel"].AsString(), "Sword Quest");
}

TEST_F(CommunicationThreadTest, TypedTextArrivesAsOneEscapedMemberOfAValidRequest) {
    service.Games = {{"smb", "Super Jumper"}};
    service.Categories = {{"smb", {{"any", "Any%"}}}};
    CommunicationThread worker(true);
    worker.ServerKey = "speedy.example";
    worker.Request["type"] = "submitrun";
    worker.Request["username"] = "runner";
    worker.Request["password"] = "secret";
    worker.Request["game"] = "smb";
    worker.Request["category"] = "any";
    worker.Request["comment"] = "nice\",\"category\":\"other\\";
    json::Array splits;
    splits.Append("01:05.20");
    splits.Append("0.00");
    worker.Request["splits"] = splits;
    Exchange(worker);

    EXPECT_EQ(worker.Result["result"].AsString(), "success");
    ASSERT_EQ(service.SubmittedRuns().size(), 1u);
    json::Object run = service.SubmittedRuns()[0];
    EXPECT_EQ(run["category"].AsString(), "any");
    EXPECT_EQ(run["comment"].AsString(), "nice\",\"category\":\"other\\");
    EXPECT_EQ(run["splits"].AsArray().Count(), 2u);
}

struct ReplyCase {
    const char* name;
    std::string raw;      // what the server sends back
    std::string expected; // "ServerError" text, or "" when the reply object is the result
};

std::string Body(const std::string& body) {
    return testnet::HttpReply(200, body);
}

// A reply whose first 1,024-byte piece holds a zero byte in the middle of the message.
std::string ReplyWithAZeroByte() {
    const std::string head = R"({"result":"success","message":"ab)";
    return head + '\0' + std::string(1024 - head.size() - 1, 'x') + "cd\"}";
}

class CommunicationThreadReply : public CommunicationThreadTest,
                                 public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(CommunicationThreadReply, EndsInTheReplyOrInTheRightServerError) {
    const ReplyCase& c = GetParam();
    service.AnswerRaw("odd.example", c.raw);
    auto worker = GameListWorker("odd.example");
    Exchange(*worker);
    if (c.expected.empty()) {
        EXPECT_EQ(ServerError(*worker), "");
        EXPECT_FALSE(worker->Result.IsEmpty());
    } else {
        EXPECT_EQ(ServerError(*worker), c.expected);
    }
}

const std::string kHtml = "<html><body><h1>Welcome</h1></body></html>";
const std::string kServersOwnError = R"({"ServerError":"Maintenance until noon"})";
// A page far too long for a message, with a two-byte character on its 300th and 301st bytes.
const std::string kLongPage =
    "<html>" + std::string(293, '.') + "\xC3\xA9" + std::string(5000, '.') + "</html>";

INSTANTIATE_TEST_SUITE_P(
    Replies, CommunicationThreadReply,
    ::testing::Values(ReplyCase{"AnObjectIsTheResult", Body(R"({"result":"fail","message":"No"})"), ""},
                      ReplyCase{"AnObjectWithItsOwnServerErrorIsPassedOn", Body(kServersOwnError),
                                "Maintenance until noon"},
                      ReplyCase{"AnEmptyBodyMeansNoData", Body(""), "No data came back from the server."},
                      ReplyCase{"AnHtmlPageIsShownWhole", Body(kHtml), "Could not read JSON: " + kHtml},
                      ReplyCase{"ALongPageIsShownCutBeforeTheCharacterAtTheLimit", Body(kLongPage),
                                "Could not read JSON: " + kLongPage.substr(0, 299) + "..."},
                      ReplyCase{"AnEmptyObjectIsUnreadable", Body("{}"), "Could not read JSON: {}"},
                      ReplyCase{"AnArrayIsUnreadable", Body("[1,2]"), "Could not read JSON: [1,2]"},
                      ReplyCase{"AnErrorStatusFailsThePost",
                                testnet::HttpReply(500, R"({"result":"success"})"),
                                "Could not send the data."},
                      ReplyCase{"AReplyCutOffMidwayFailsThePost",
                                "HTTP/1.0 200 OK\r\nContent-Length: 500\r\n\r\n{\"result\":\"succ",
                                "Could not send the data."}),
    [](const ::testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

TEST_F(CommunicationThreadTest, AReplyOfThreeThousandBytesIsReadWhole) {
    const std::string head = R"({"result":"success","message":")";
    const std::string message(3000 - head.size() - 2, 'm');
    service.AnswerRaw("big.example", Body(head + message + "\"}"));
    auto worker = GameListWorker("big.example");
    Exchange(*worker);
    EXPECT_EQ(worker->Result["message"].AsString(), message);
}

TEST_F(CommunicationThreadTest, AZeroByteInAReplyDropsTheRestOfItsPieceOnly) {
    service.AnswerRaw("odd.example", Body(ReplyWithAZeroByte()));
    auto worker = GameListWorker("odd.example");
    Exchange(*worker);
    EXPECT_EQ(worker->Result["message"].AsString(), "abcd");
}

TEST_F(CommunicationThreadTest, ARedirectIsFollowedWithTheSameRequest) {
    service.Games = {{"smb", "Super Jumper"}};
    service.Redirect("speedy.example", "http://www.speedy.example/asup"); // 302: still a POST
    auto worker = GameListWorker("speedy.example");
    Exchange(*worker);

    const auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "http://www.speedy.example/asup");
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].body, R"({"type":"gamelist"})");
    EXPECT_EQ(worker->Result["result"].AsString(), "success");
}

// The body holds the password: it must not follow a redirect to anyone else.
TEST_F(CommunicationThreadTest, ARedirectToAnotherServerSendsNothingThereAndFails) {
    for (const char* location : {"http://www.evil.example/asup", "http://www.speedy.example:8080/asup"}) {
        SCOPED_TRACE(location);
        const std::size_t before = service.Requests().size();
        service.Redirect("speedy.example", location, 307);
        auto worker = GameListWorker("speedy.example");
        Exchange(*worker);
        EXPECT_EQ(ServerError(*worker), "Could not send the data.");
        EXPECT_EQ(service.Requests().size(), before + 1);
    }
}

TEST_F(CommunicationThreadTest, AnUnreachableServerFailsThePostAndTheWorkerStillFinishes) {
    testnet::UseProxyPort(testnet::ClosedPort());
    auto worker = GameListWorker("speedy.example");
    Exchange(*worker);
    EXPECT_EQ(ServerError(*worker), "Could not send the data.");
}

TEST_F(CommunicationThreadTest, ASilentServerRunsOutOfTimeAndFailsThePost) {
    service.StaySilent("silent.example");
    auto worker = GameListWorker("silent.example");
    worker->ConnectTimeoutMs = 500;
    worker->TotalTimeoutMs = 800;
    const auto start = std::chrono::steady_clock::now();
    Exchange(*worker);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(ServerError(*worker), "Could not send the data.");
    EXPECT_EQ(service.Requests().size(), 1u);
}

TEST_F(CommunicationThreadTest, DestroyingAWorkerInFlightNeitherWaitsForTheServerNorCrashes) {
    service.StaySilent("silent.example");
    auto worker = GameListWorker("silent.example"); // the default limits: half a minute
    worker->Resume();
    ASSERT_TRUE(service.WaitForRequests(1, 10s));
    const auto start = std::chrono::steady_clock::now();
    worker.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
}

TEST_F(CommunicationThreadTest, DestroyingAWorkerRightAfterItsStartIsSafe) {
    service.StaySilent("silent.example");
    for (int i = 0; i < 20; ++i) {
        auto worker = GameListWorker("silent.example");
        worker->Resume();
    }
    SUCCEED();
}

TEST_F(CommunicationThreadTest, AWorkerNeverStartedIsDestroyedWithoutAnExchange) {
    { auto worker = GameListWorker("speedy.example"); }
    EXPECT_FALSE(service.WaitForRequests(1, 100ms));
}

} // namespace
