#include "platform/net/UrlConnection.h"

#include "platform/net/CurlProtocols.h"

#include <memory>
#include <mutex>
#include <string>

namespace torvane::platform {

namespace {

constexpr const char* userAgent = "Torvane";

// The answer is not read; it is swallowed here.
size_t discardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

// Aborts the transfer once the background work is being stopped.
int abortWhenStopped(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<std::stop_token*>(stop)->stop_requested() ? 1 : 0;
}

// The whole request, on its own thread: libcurl is loaded here, not at the start. A request that
// cannot be made says why on the console and ends with that reason.
UrlResponse perform(Trace& trace, const UrlRequest& request, std::stop_token& stop) {
    UrlResponse response;
    auto refuse = [&](const std::string& why) {
        trace.log("http: " + why + "; no request to " + request.url);
        response.error = why;
        return response;
    };
    std::string whyNot;
    auto curl = CurlLibrary::load(whyNot);
    if (!curl)
        return refuse(whyNot);
    std::unique_ptr<CURL, void (*)(CURL*)> easy(curl->easyInit(), curl->easyCleanup);
    if (!easy)
        return refuse("no connection");
    std::unique_ptr<curl_slist, void (*)(curl_slist*)> headers(nullptr, curl->slistFreeAll);
    for (const auto& line : request.headers) {
        curl_slist* list = headers.release();
        curl_slist* longer = curl->slistAppend(list, line.c_str());
        headers.reset(longer ? longer : list);
        if (!longer)
            break;
    }
    CURL* handle = easy.get();
    // Every option matters to the request: without a time-out its thread could hang on, without
    // the write function the answer would land on our standard output.
    std::string failed;
    auto set = [&](const char* name, CURLoption option, auto value) {
        if (curl->easySetopt(handle, option, value) != CURLE_OK)
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
    set("CURLOPT_XFERINFODATA", CURLOPT_XFERINFODATA, &stop);
    set("CURLOPT_NOPROGRESS", CURLOPT_NOPROGRESS, 0L);
    if (!failed.empty())
        return refuse("cannot set " + failed);
    if (!restrictToWeb(trace, *curl, handle))
        return refuse("cannot keep it to the web");
    CURLcode result = curl->easyPerform(handle);
    if (result == CURLE_OK) {
        response.completed = true;
        curl->easyGetinfo(handle, CURLINFO_RESPONSE_CODE, &response.status);
    } else {
        response.timedOut = result == CURLE_OPERATION_TIMEDOUT;
        response.error = curl->easyStrerror(result);
    }
    return response;
}

} // namespace

bool startUrlConnection(Trace& trace, BackgroundWork& work, UrlRequest request) {
    trace.record("http.get", {{"url", request.url}});
    std::string url = request.url;
    bool started = work.start([&trace, request = std::move(request)](std::stop_token stop) {
        UrlResponse response = perform(trace, request, stop);
        if (request.completion)
            request.completion(response);
    });
    if (!started)
        trace.log("http: no thread for the request to " + url);
    return started;
}

} // namespace torvane::platform
