#include "upload/CommunicationThread.h"

#include <cstring>

namespace {

const char* const kServerError = "ServerError";

// The start of a reply that is not JSON, for the message: a whole error page would freeze the
// message box. The cut never splits a UTF-8 character.
std::string StartOf(const std::string& reply) {
    constexpr std::size_t kShown = 300;
    if (reply.size() <= kShown) {
        return reply;
    }
    std::size_t end = kShown;
    for (int i = 0; i < 3 && (static_cast<unsigned char>(reply[end]) & 0xC0) == 0x80; ++i) {
        --end;
    }
    return reply.substr(0, end) + "...";
}

} // namespace

CommunicationThread::CommunicationThread(bool createSuspended) : Http(std::make_unique<TIdHTTP>()) {
    if (!createSuspended) {
        Resume();
    }
}

CommunicationThread::~CommunicationThread() {
    // The program may be closing with an exchange under way: end it now rather than wait for the
    // server, and only then let the members go.
    if (Http) {
        Http->Abort();
    }
    WaitFor();
}

void CommunicationThread::Execute() {
    if (ServerKey.empty()) {
        Result[kServerError] = "No server was chosen.";
        return;
    }
    if (Request.IsEmpty()) {
        Result[kServerError] = "No data to send.";
        return;
    }

    TMemoryStream reply;
    try {
        const std::string url = "http://www." + ServerKey + "/asup";
        const std::string body = json::Serialize(json::Value(Request));
        TMemoryStream source;
        source.Write(body.data(), static_cast<std::int64_t>(body.size()));
        Http->SetHandleRedirects(true);
        Http->SetConnectTimeout(ConnectTimeoutMs);
        Http->SetTotalTimeout(TotalTimeoutMs);
        Http->Post(url, source, reply);
    } catch (...) {
        Result[kServerError] = "Could not send the data.";
        return;
    }

    // Read back in pieces of 1,024 bytes, each taken up to its first zero byte.
    std::string text;
    try {
        reply.SetPosition(0);
        char buffer[1025];
        for (;;) {
            std::memset(buffer, 0, sizeof buffer);
            if (reply.Read(buffer, 1024) == 0) {
                break;
            }
            text += buffer;
        }
    } catch (...) {
        Result[kServerError] = "Could not send the data.";
        return;
    }
    if (text.empty()) {
        Result[kServerError] = "No data came back from the server.";
        return;
    }

    try {
        json::Value value = json::Deserialize(text);
        if (value.Type() == json::ObjectValue) {
            Result = std::move(value.AsObject());
        }
    } catch (...) {
        Result.Clear();
    }
    if (Result.IsEmpty()) {
        try {
            Result[kServerError] = "Could not read JSON: " + StartOf(text);
        } catch (...) {
            Result.Clear();
            Result[kServerError] = "Could not read JSON: ";
        }
    }
}
