#include "tests/upload/support/StandInWebService.h"

#include <thread>

namespace {

json::Object Fail(const std::string& message) {
    json::Object reply;
    reply["result"] = "fail";
    reply["message"] = message;
    return reply;
}

// A member as a string, "" when it is missing or not a string (as the program reads replies).
std::string Text(json::Object& object, const char* key) {
    const json::Value& value = object[key];
    return value.Type() == json::StringValue ? value.AsString() : std::string();
}

json::Object Data(const std::map<std::string, std::string>& entries) {
    json::Object data;
    for (const auto& [code, name] : entries) {
        data[code.c_str()] = name;
    }
    json::Object reply;
    reply["result"] = "success";
    reply["data"] = data;
    return reply;
}

} // namespace

StandInWebService::StandInWebService()
    : server_([this](const testnet::Request& request) { return Answer(request); }) {
    testnet::UseProxyPort(server_.Port());
}

StandInWebService::~StandInWebService() = default;

void StandInWebService::AnswerRaw(const std::string& key, const std::string& raw) {
    std::lock_guard<std::mutex> lock(mutex_);
    overrides_["www." + key] = testnet::Reply{raw, false};
}

void StandInWebService::StaySilent(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    overrides_["www." + key] = testnet::Reply{"", true};
}

void StandInWebService::Redirect(const std::string& key, const std::string& location, int status) {
    std::lock_guard<std::mutex> lock(mutex_);
    redirects_["www." + key] =
        testnet::Reply{testnet::HttpReply(status, "", "Location: " + location + "\r\n")};
}

void StandInWebService::AnswerSlowly(const std::string& key, std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> lock(mutex_);
    delays_["www." + key] = delay;
}

std::vector<json::Object> StandInWebService::SubmittedRuns() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return submitted_;
}

testnet::Reply StandInWebService::Answer(const testnet::Request& request) {
    std::chrono::milliseconds delay{0};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto redirect = redirects_.find(request.Host());
        if (redirect != redirects_.end()) {
            const testnet::Reply reply = redirect->second;
            redirects_.erase(redirect);
            return reply;
        }
        const auto found = overrides_.find(request.Host());
        if (found != overrides_.end()) {
            return found->second;
        }
        const auto slow = delays_.find(request.Host());
        if (slow != delays_.end()) {
            delay = slow->second;
        }
    }
    std::this_thread::sleep_for(delay);
    if (request.method != "POST" || request.Path() != "/asup" || request.Host().rfind("www.", 0) != 0) {
        return testnet::Reply{testnet::HttpReply(404, "")};
    }
    json::Value body = json::Deserialize(request.body);
    json::Object reply = body.Type() == json::ObjectValue ? Serve(body.AsObject()) : Fail("Bad request");
    return testnet::Reply{testnet::HttpReply(200, json::Serialize(json::Value(reply)))};
}

json::Object StandInWebService::Serve(json::Object request) {
    const std::string type = Text(request, "type");
    const bool loggedIn = Text(request, "username") == Username && Text(request, "password") == Password;
    if (type == "verifylogin") {
        if (!loggedIn) {
            return Fail("Wrong username or password");
        }
        json::Object reply;
        reply["result"] = "success";
        return reply;
    }
    if (type == "gamelist") {
        return Data(Games);
    }
    if (type == "gamecategories") {
        const auto found = Categories.find(Text(request, "game"));
        return found == Categories.end() ? Fail("Unknown game") : Data(found->second);
    }
    if (type == "submitrun") {
        if (!loggedIn) {
            return Fail("Wrong username or password");
        }
        const auto game = Categories.find(Text(request, "game"));
        if (game == Categories.end() || !game->second.count(Text(request, "category"))) {
            return Fail("Unknown game or category");
        }
        std::lock_guard<std::mutex> lock(mutex_);
        submitted_.push_back(request);
        json::Object reply;
        reply["result"] = "success";
        return reply;
    }
    return Fail("Unknown request");
}

bool WaitUntilFinished(const TThread& thread, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!thread.Finished()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
