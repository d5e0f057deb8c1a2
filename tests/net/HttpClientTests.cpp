// The HTTP client: what goes on the wire, and the ways a POST ends early (abort, time limit).
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/net/HttpClient.h"
#include "tests/net/support/LoopbackServer.h"
#include "tests/net/support/StalledNameServer.h"

namespace {

using namespace std::chrono_literals;

TMemoryStream StreamOf(const std::string& text) {
    TMemoryStream stream;
    stream.Write(text.data(), static_cast<std::int64_t>(text.size()));
    return stream;
}

std::string Contents(const TMemoryStream& stream) {
    return std::string(stream.Memory(), static_cast<std::size_t>(stream.Size()));
}

testnet::LoopbackServer::Handler Silent() {
    return [](const testnet::Request&) { return testnet::Reply{"", true}; };
}

TEST(HttpPost, SendsTheWholeBodyThroughTheProxyAndReturnsTheReplyBody) {
    testnet::LoopbackServer server([](const testnet::Request& r) {
        return testnet::Reply{testnet::HttpReply(200, "got " + std::to_string(r.body.size()))};
    });
    testnet::UseProxyPort(server.Port());
    const std::string body(5000, 'b');
    TMemoryStream reply;
    TIdHTTP http;
    http.Post("http://www.any.example/asup", StreamOf(body), reply);
    EXPECT_EQ(Contents(reply), "got 5000");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].body, body);
}

TEST(HttpPost, ARedirectIsNotFollowedUnlessAskedFor) {
    testnet::LoopbackServer server([](const testnet::Request& r) {
        if (r.Path() == "/old") {
            return testnet::Reply{testnet::HttpReply(302, "moved", "Location: /new\r\n")};
        }
        if (r.Path() == "/blank") {
            return testnet::Reply{testnet::HttpReply(302, "stays", "Location: \r\n")};
        }
        if (r.Path() == "/blanks") {
            return testnet::Reply{testnet::HttpReply(303, "stays", "Location: \t  \r\n")};
        }
        return testnet::Reply{testnet::HttpReply(200, "here")};
    });
    testnet::UseProxyPort(server.Port());
    TIdHTTP http;
    TMemoryStream first;
    http.Post("http://www.site.example/old", StreamOf("x"), first);
    EXPECT_EQ(Contents(first), "moved");

    http.SetHandleRedirects(true);
    TMemoryStream second;
    http.Post("http://www.site.example/old", StreamOf("x"), second);
    EXPECT_EQ(Contents(second), "here");

    // A redirect with nowhere to go is an ordinary reply.
    for (const char* path : {"/blank", "/blanks"}) {
        SCOPED_TRACE(path);
        TMemoryStream reply;
        EXPECT_NO_THROW(http.Post(std::string("http://www.site.example") + path, StreamOf("x"), reply));
        EXPECT_EQ(Contents(reply), "stays");
    }
}

TEST(HttpPost, AbortEndsAPostInProgressAtOnce) {
    testnet::LoopbackServer server(Silent());
    testnet::UseProxyPort(server.Port());
    TIdHTTP http;
    std::chrono::steady_clock::duration abortToEnd{};
    std::thread poster([&] {
        TMemoryStream reply;
        EXPECT_THROW(http.Post("http://www.silent.example/asup", StreamOf("x"), reply), EHttpError);
    });
    ASSERT_TRUE(server.WaitForRequests(1, 10s));
    const auto start = std::chrono::steady_clock::now();
    http.Abort();
    poster.join();
    abortToEnd = std::chrono::steady_clock::now() - start;
    EXPECT_LT(abortToEnd, 300ms);
}

TEST(HttpPost, APostAfterAbortFailsWithoutConnecting) {
    testnet::LoopbackServer server(Silent());
    testnet::UseProxyPort(server.Port());
    TIdHTTP http;
    http.Abort();
    TMemoryStream reply;
    EXPECT_THROW(http.Post("http://www.any.example/asup", StreamOf("x"), reply), EHttpError);
    EXPECT_FALSE(server.WaitForRequests(1, 100ms));
}

TEST(HttpPost, TheTotalTimeLimitEndsASilentExchange) {
    testnet::LoopbackServer server(Silent());
    testnet::UseProxyPort(server.Port());
    TIdHTTP http;
    http.SetTotalTimeout(300);
    TMemoryStream reply;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(http.Post("http://www.silent.example/asup", StreamOf("x"), reply), EHttpError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

TEST(HttpPost, AReplyOverTheSizeLimitFailsThePostAsItArrives) {
    testnet::LoopbackServer server([](const testnet::Request&) {
        // No length announced: the reply has to be stopped while it streams in.
        return testnet::Reply{"HTTP/1.0 200 OK\r\n\r\n" + std::string(TIdHTTP::kMaxReplyBytes + 1, 'r')};
    });
    testnet::UseProxyPort(server.Port());
    TIdHTTP http;
    TMemoryStream reply;
    EXPECT_THROW(http.Post("http://www.huge.example/asup", StreamOf("x"), reply), EHttpError);
    EXPECT_LE(reply.Size(), TIdHTTP::kMaxReplyBytes);
}

// libcurl looks names up on a thread of its own that nothing can cut short; neither the connect
// limit nor Abort may wait for it. Runs in a child whose name server never answers.
TEST(HttpPost, AStalledNameLookupEndsAtTheConnectLimitAndAtAbortWithoutWaitingForIt) {
    enum Outcome { Ended, PostSucceeded, LimitDidNotHold, NoLookup, AbortWaited };
    const int outcome = testnet::RunWithStalledNameServer(
        [](const testnet::StalledNameServer& names) {
            unsetenv("http_proxy"); // the name to look up is the server's own
            unsetenv("all_proxy");
            unsetenv("ALL_PROXY");
            {
                TIdHTTP http;
                http.SetConnectTimeout(300);
                TMemoryStream reply;
                const auto start = std::chrono::steady_clock::now();
                try {
                    http.Post("http://www.stalled.example/asup", StreamOf("x"), reply);
                    return PostSucceeded;
                } catch (const EHttpError&) {
                }
                if (std::chrono::steady_clock::now() - start > 3s) {
                    return LimitDidNotHold;
                }
            }
            names.Forget();
            TIdHTTP http; // libcurl's own connect limit: minutes
            std::thread poster([&http] {
                TMemoryStream reply;
                try {
                    http.Post("http://www.stalled.example/asup", StreamOf("x"), reply);
                } catch (const EHttpError&) {
                }
            });
            const bool asked = names.WaitForQuestion(5s);
            const auto start = std::chrono::steady_clock::now();
            http.Abort();
            poster.join();
            if (!asked) {
                return NoLookup;
            }
            return std::chrono::steady_clock::now() - start > 1s ? AbortWaited : Ended;
        },
        10s);
    if (outcome == testnet::kNoSandbox) {
        GTEST_SKIP() << "cannot make the user, mount and network namespaces that stall a name lookup";
    }
    EXPECT_EQ(outcome, Ended) << "1 the POST succeeded, 2 the connect limit did not hold, 3 no lookup "
                                 "was made, 4 Abort waited; -2 the child hung, -3 it crashed";
}

TEST(MemoryStream, ReadsFromItsPositionAndStopsAtTheEnd) {
    TMemoryStream stream = StreamOf("abcdef");
    stream.SetPosition(4);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 2);
    EXPECT_EQ(std::string(buffer), "ef");
    EXPECT_EQ(stream.Read(buffer, 8), 0);
}

} // namespace
