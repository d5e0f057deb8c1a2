#include "platform/net/HttpClient.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include <curl/curl.h>

namespace {

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A loop of redirects ends after this many.
constexpr int kMaxRedirects = 15;

// True when the reply, once its head is in, is a redirect with somewhere to go. A Location of
// nothing but blanks (libcurl hands over "Location: " as a lone CR) goes nowhere: such a 3xx is
// an ordinary reply.
bool IsRedirect(CURL* easy) {
    long status = 0;
    curl_header* location = nullptr;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    return status >= 300 && status < 400 &&
           curl_easy_header(easy, "Location", 0, CURLH_HEADER, -1, &location) == CURLHE_OK &&
           std::strspn(location->value, " \t\r\n") < std::strlen(location->value);
}

struct Receiver {
    CURL* easy;
    TMemoryStream* stream;
    bool followRedirects;
    std::int64_t kept = 0;
};

size_t Receive(char* data, size_t size, size_t count, void* context) {
    auto* receiver = static_cast<Receiver*>(context);
    const size_t n = size * count;
    if (receiver->followRedirects && IsRedirect(receiver->easy)) {
        return n; // the page that comes with a redirect is not the reply
    }
    if (static_cast<std::int64_t>(n) > TIdHTTP::kMaxReplyBytes - receiver->kept) {
        return 0; // fails the transfer
    }
    receiver->kept += static_cast<std::int64_t>(n);
    return static_cast<size_t>(receiver->stream->Write(data, static_cast<std::int64_t>(n)));
}

struct Server {
    std::string scheme;
    std::string host;
    std::string port;
};

bool ServerOf(const char* url, Server& server) {
    CURLU* parsed = curl_url();
    const auto part = [parsed](CURLUPart which, unsigned flags, std::string& out) {
        char* text = nullptr;
        if (curl_url_get(parsed, which, &text, flags) != CURLUE_OK) {
            return false;
        }
        out = text;
        curl_free(text);
        std::transform(out.begin(), out.end(), out.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return true;
    };
    const bool ok = parsed && url && curl_url_set(parsed, CURLUPART_URL, url, 0) == CURLUE_OK &&
                    part(CURLUPART_SCHEME, 0, server.scheme) && part(CURLUPART_HOST, 0, server.host) &&
                    part(CURLUPART_PORT, CURLU_DEFAULT_PORT, server.port);
    curl_url_cleanup(parsed);
    return ok;
}

// Whether a redirect from one URL to the other stays with the server that was asked: the same
// host and port. The one change of scheme allowed is from http to https on their usual ports,
// which still reaches the same server.
bool SameServer(const std::string& from, const char* to) {
    Server a;
    Server b;
    if (!ServerOf(from.c_str(), a) || !ServerOf(to, b) || a.host != b.host) {
        return false;
    }
    if (a.scheme == b.scheme) {
        return a.port == b.port;
    }
    return a.scheme == "http" && a.port == "80" && b.scheme == "https" && b.port == "443";
}

// Runs one transfer on the multi handle to its end, or until Abort.
CURLcode Transfer(CURLM* multi, CURL* easy, const std::atomic<bool>& aborted) {
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        return CURLE_FAILED_INIT;
    }
    CURLcode result = CURLE_OK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        bool done = false;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                result = message->data.result;
                done = true;
            }
        }
        if (done) {
            break;
        }
        if (aborted.load() || running == 0) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
    }
    curl_multi_remove_handle(multi, easy);
    return result;
}

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

} // namespace

TIdHTTP::TIdHTTP() {
    InitialiseCurlOnce();
}

TIdHTTP::~TIdHTTP() = default;

void TIdHTTP::Post(const std::string& url, const TMemoryStream& source, TMemoryStream& response) {
    std::unique_ptr<CURL, EasyCleanup> easy(curl_easy_init());
    if (!easy) {
        throw EHttpError("cannot start a transfer");
    }
    CURL* e = easy.get();
    char errorText[CURL_ERROR_SIZE] = {};
    Receiver receiver{e, &response, handleRedirects_};
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(e, CURLOPT_POST, 1L);
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, source.Memory());
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(source.Size()));
    // Redirects are followed here rather than by libcurl, which would follow them to any host
    // and send the body, password and all, there too.
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, connectTimeout_);
    // A name lookup runs on a thread of libcurl's that nothing can cut short. Ending a transfer
    // (its connect limit, Abort) leaves a lookup still under way to finish by itself rather than
    // wait for it: a silent name server would otherwise hold the request, and the closing
    // program, for minutes.
    curl_easy_setopt(e, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(e, CURLOPT_FAILONERROR, 1L); // an HTTP error status is a failed POST
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, Receive);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &receiver);

    // The multi interface lets Abort wake the transfer out of its wait at once.
    CURLM* multi = curl_multi_init();
    if (!multi) {
        throw EHttpError("cannot start a transfer");
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (aborted_.load()) {
            curl_multi_cleanup(multi);
            throw EHttpError("aborted");
        }
        multi_ = multi;
    }
    // The time limit is for the whole exchange, redirects included.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(totalTimeout_);
    std::string target = url;
    CURLcode result = CURLE_OK;
    for (int redirects = 0;; ++redirects) {
        long timeout = totalTimeout_;
        if (totalTimeout_ > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            timeout = std::max<long>(static_cast<long>(left.count()), 1);
        }
        curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, timeout);
        curl_easy_setopt(e, CURLOPT_URL, target.c_str());
        result = Transfer(multi, e, aborted_);
        if (result != CURLE_OK || !receiver.followRedirects || !IsRedirect(e)) {
            break;
        }
        if (redirects == kMaxRedirects) {
            result = CURLE_TOO_MANY_REDIRECTS;
            break;
        }
        const char* location = nullptr; // made absolute by libcurl
        curl_easy_getinfo(e, CURLINFO_REDIRECT_URL, &location);
        if (!SameServer(target, location)) {
            std::snprintf(errorText, sizeof errorText, "refused a redirect to another server");
            result = CURLE_UNSUPPORTED_PROTOCOL;
            break;
        }
        target = location;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        multi_ = nullptr;
    }
    curl_multi_cleanup(multi);
    if (result != CURLE_OK) {
        throw EHttpError(errorText[0] ? errorText : curl_easy_strerror(result));
    }
}

void TIdHTTP::Abort() {
    std::lock_guard<std::mutex> lock(mutex_);
    aborted_.store(true);
    if (multi_) {
        curl_multi_wakeup(static_cast<CURLM*>(multi_));
    }
}
