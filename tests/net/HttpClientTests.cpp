// The HTTP client: what goes on the wire, and the ways a POST ends early (abort, time limit).
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/net/HttpClient.h"
#include "tests/net/support/LoopbackServer.h"

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

TEST(MemoryStream, ReadsFromItsPositionAndStopsAtTheEnd) {
    TMemoryStream stream = StreamOf("abcdef");
    stream.SetPosition(4);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 2);
    EXPECT_EQ(std::string(buffer), "ef");
    EXPECT_EQ(stream.Read(buffer, 8), 0);
}

} // namespace
