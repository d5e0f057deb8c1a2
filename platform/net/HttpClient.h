#pragma once
// The HTTP client of the upload: one POST of a body to a URL, the reply body returned, over
// libcurl. Redirects are followed when asked, but only to the server that was asked (the same
// host and port, or its https form): a POST stays a POST, body and all, and the body may hold a
// password. A redirect to any other server fails the POST. The standard http_proxy variable is
// honoured; the server is the one the URL names, not the proxy. The request goes out as HTTP/1.0
// with libcurl's default headers. A failure of any kind (no connection, a time limit, an HTTP
// error status, a cut-off reply, a reply over the size limit, an abort) is raised as EHttpError;
// the reply stream then holds whatever had been kept.
//
// One object serves one thread at a time, except Abort, which any thread may call.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>

#include "platform/net/MemoryStream.h"

class EHttpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TIdHTTP {
public:
    TIdHTTP();
    ~TIdHTTP();
    TIdHTTP(const TIdHTTP&) = delete;
    TIdHTTP& operator=(const TIdHTTP&) = delete;

    bool HandleRedirects() const { return handleRedirects_; }
    void SetHandleRedirects(bool value) { handleRedirects_ = value; }

    // Limits in milliseconds for making the connection (the name lookup included) and for the
    // whole exchange; 0 leaves libcurl's own (no limit for the whole exchange). Neither, nor
    // Abort, waits for a name lookup that does not answer.
    long ConnectTimeout() const { return connectTimeout_; }
    void SetConnectTimeout(long milliseconds) { connectTimeout_ = milliseconds; }
    long TotalTimeout() const { return totalTimeout_; }
    void SetTotalTimeout(long milliseconds) { totalTimeout_ = milliseconds; }

    // A longer reply fails the POST as it arrives, the rest unread. Far above any real reply, it
    // keeps a runaway one from filling the memory.
    static constexpr std::int64_t kMaxReplyBytes = 64 * 1024 * 1024;

    // Sends the whole source stream as the body and appends the reply body to response.
    void Post(const std::string& url, const TMemoryStream& source, TMemoryStream& response);

    // Makes a Post in progress on another thread end at once with EHttpError, and every later
    // Post fail before it starts. Safe from any thread.
    void Abort();

private:
    bool handleRedirects_ = false;
    long connectTimeout_ = 0;
    long totalTimeout_ = 0;

    std::mutex mutex_;      // guards multi_ against Abort's wake-up
    void* multi_ = nullptr; // the transfer in progress, for Abort to wake
    std::atomic<bool> aborted_{false};
};
