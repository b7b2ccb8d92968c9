#include "platform/net/UrlConnection.h"

#include "platform/core/ConsoleLog.h"
#include "platform/core/Trace.h"
#include "platform/net/CurlProtocols.h"

#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

namespace torvane::platform {

namespace {

constexpr const char* userAgent = "Torvane";

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// The answer is not read; it is swallowed here.
size_t discardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

bool initialiseCurl() {
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result == CURLE_OK;
}

// Runs on the request's own thread; touches nothing but what it owns, since the application may
// be ending around it.
void perform(CURL* easy, const std::function<void(const UrlResponse&)>& completion) {
    UrlResponse response;
    CURLcode result = curl_easy_perform(easy);
    if (result == CURLE_OK) {
        response.completed = true;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response.status);
    } else {
        response.timedOut = result == CURLE_OPERATION_TIMEDOUT;
        response.error = curl_easy_strerror(result);
    }
    if (completion)
        completion(response);
}

} // namespace

bool startUrlConnection(UrlRequest request) {
    trace("http.get", {{"url", request.url}});
    if (!initialiseCurl()) {
        consoleLog("http: libcurl cannot start; no request to " + request.url);
        return false;
    }
    std::unique_ptr<CURL, EasyCleanup> easy(curl_easy_init());
    if (!easy) {
        consoleLog("http: no connection for " + request.url);
        return false;
    }
    std::unique_ptr<curl_slist, ListFree> headers;
    for (const auto& line : request.headers) {
        curl_slist* list = headers.release();
        curl_slist* longer = curl_slist_append(list, line.c_str());
        headers.reset(longer ? longer : list);
        if (!longer)
            break;
    }
    CURL* handle = easy.get();
    // Every option matters to the request: without a time-out its thread could hang on, without
    // the write function the answer would land on our standard output.
    std::string failed;
    auto set = [&](const char* name, CURLoption option, auto value) {
        if (curl_easy_setopt(handle, option, value) != CURLE_OK)
            failed += std::string(failed.empty() ? "" : ", ") + name;
    };
    set("CURLOPT_URL", CURLOPT_URL, request.url.c_str());
    set("CURLOPT_HTTPGET", CURLOPT_HTTPGET, 1L);
    set("CURLOPT_HTTPHEADER", CURLOPT_HTTPHEADER, headers.get());
    set("CURLOPT_CONNECTTIMEOUT", CURLOPT_CONNECTTIMEOUT, request.connectTimeoutSeconds);
    set("CURLOPT_TIMEOUT", CURLOPT_TIMEOUT, request.timeoutSeconds);
    // Signals for DNS time-outs would hit whichever thread of the application runs.
    set("CURLOPT_NOSIGNAL", CURLOPT_NOSIGNAL, 1L);
    set("CURLOPT_USERAGENT", CURLOPT_USERAGENT, userAgent);
    set("CURLOPT_WRITEFUNCTION", CURLOPT_WRITEFUNCTION, &discardBody);
    if (!failed.empty()) {
        consoleLog("http: cannot set " + failed + "; no request to " + request.url);
        return false;
    }
    if (!restrictToWeb(handle)) {
        consoleLog("http: no request to " + request.url);
        return false;
    }
    try {
        std::thread([easy = std::move(easy), headers = std::move(headers),
                     completion = std::move(request.completion)]() {
            perform(easy.get(), completion);
        }).detach();
    } catch (const std::system_error& error) {
        consoleLog(std::string("http: no thread for the request: ") + error.what());
        return false;
    }
    return true;
}

} // namespace torvane::platform
