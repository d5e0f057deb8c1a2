#pragma once
// A stand-in of the upload web service for the upload tests, on 127.0.0.1 only. While it lives
// the process's http_proxy points at it, so the product's requests to "http://www.<key>/asup"
// reach it unchanged. It speaks the protocol the program relies on: POSTs to "/asup" whose JSON
// object names a "type" ("verifylogin", "gamelist", "gamecategories", "submitrun") and replies
// with "result", "message" and "data". Tests can make the server of one key misbehave: answer
// raw bytes, stay silent, or redirect once. It stops with the object, or by itself after a
// minute.

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/net/Thread.h"
#include "tests/net/support/LoopbackServer.h"
#include "upload/Json.h"

class StandInWebService {
public:
    StandInWebService();
    ~StandInWebService();

    // What the service knows. Set before the first request.
    std::string Username = "runner";
    std::string Password = "secret";
    std::map<std::string, std::string> Games;                             // code -> display name
    std::map<std::string, std::map<std::string, std::string>> Categories; // game code -> code -> name

    // The server "www." + key answers every request with exactly these bytes, then closes.
    void AnswerRaw(const std::string& key, const std::string& raw);
    // The server "www." + key takes the request and never answers.
    void StaySilent(const std::string& key);
    // The server "www." + key answers its next request with a redirect (this status) to location,
    // and later ones as before.
    void Redirect(const std::string& key, const std::string& location, int status = 302);
    // The server "www." + key answers as usual, but only after the delay (the service serves
    // one connection at a time, so later requests wait behind it).
    void AnswerSlowly(const std::string& key, std::chrono::milliseconds delay);

    std::vector<testnet::Request> Requests() const { return server_.Requests(); }
    bool WaitForRequests(std::size_t n, std::chrono::milliseconds timeout) {
        return server_.WaitForRequests(n, timeout);
    }
    // Every run accepted by "submitrun", in arrival order.
    std::vector<json::Object> SubmittedRuns() const;

private:
    testnet::Reply Answer(const testnet::Request& request);
    json::Object Serve(json::Object request);

    mutable std::mutex mutex_;
    std::map<std::string, testnet::Reply> overrides_;
    std::map<std::string, testnet::Reply> redirects_; // each answers one request
    std::map<std::string, std::chrono::milliseconds> delays_;
    std::vector<json::Object> submitted_;
    testnet::LoopbackServer server_;
};

// Polls a worker the way the program's 10 ms timer does; false when it did not finish in time.
bool WaitUntilFinished(const TThread& thread, std::chrono::milliseconds timeout);
