#include "platform/net/UrlConnection.h"

#include "platform/net/CurlProtocols.h"

#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <string>

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
    // libcurl's global set-up is the library's own process-wide state, made once before any handle
    // and never undone while a request may still run.
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result == CURLE_OK;
}

// Aborts the transfer once the background work is being stopped.
int abortWhenStopped(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<std::stop_token*>(stop)->stop_requested() ? 1 : 0;
}

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

bool startUrlConnection(Trace& trace, BackgroundWork& work, UrlRequest request) {
    trace.record("http.get", {{"url", request.url}});
    if (!initialiseCurl()) {
        trace.log("http: libcurl cannot start; no request to " + request.url);
        return false;
    }
    std::unique_ptr<CURL, EasyCleanup> easy(curl_easy_init());
    if (!easy) {
        trace.log("http: no connection for " + request.url);
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
    // The progress call is where a request hears that the application is ending.
    set("CURLOPT_XFERINFOFUNCTION", CURLOPT_XFERINFOFUNCTION, &abortWhenStopped);
    set("CURLOPT_NOPROGRESS", CURLOPT_NOPROGRESS, 0L);
    if (!failed.empty()) {
        trace.log("http: cannot set " + failed + "; no request to " + request.url);
        return false;
    }
    if (!restrictToWeb(trace, handle)) {
        trace.log("http: no request to " + request.url);
        return false;
    }
    // The work is a copyable function, so the handle is shared with it rather than moved in.
    std::shared_ptr<CURL> handleForThread(easy.release(), EasyCleanup{});
    std::shared_ptr<curl_slist> headersForThread(headers.release(), ListFree{});
    bool started = work.start([handleForThread, headersForThread,
                               completion = std::move(request.completion)](std::stop_token stop) {
        curl_easy_setopt(handleForThread.get(), CURLOPT_XFERINFODATA, &stop);
        perform(handleForThread.get(), completion);
    });
    if (!started)
        trace.log("http: no thread for the request to " + request.url);
    return started;
}

} // namespace torvane::platform
