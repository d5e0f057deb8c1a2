#include "platform/net/HttpClient.h"

#include <memory>

#include <curl/curl.h>

namespace {

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t AppendToStream(char* data, size_t size, size_t count, void* stream) {
    return static_cast<size_t>(
        static_cast<TMemoryStream*>(stream)->Write(data, static_cast<std::int64_t>(size * count)));
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
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(e, CURLOPT_POST, 1L);
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, source.Memory());
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(source.Size()));
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, handleRedirects_ ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL));
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, 15L);
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, connectTimeout_);
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, totalTimeout_);
    curl_easy_setopt(e, CURLOPT_FAILONERROR, 1L); // an HTTP error status is a failed POST
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, AppendToStream);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &response);

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
    CURLcode result = CURLE_OK;
    bool done = false;
    if (curl_multi_add_handle(multi, e) != CURLM_OK) {
        result = CURLE_FAILED_INIT;
        done = true;
    }
    while (!done) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
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
        if (aborted_.load() || running == 0) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
    }
    curl_multi_remove_handle(multi, e);
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
