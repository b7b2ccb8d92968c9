#pragma once

// One HTTP GET whose answer nobody reads (the role of NSURLConnection as the install report and the
// network probe use it), with libcurl on a thread of the application's background work. The caller
// never waits. Time-outs make sure that the thread always ends, and it ends early, at libcurl's
// next progress call, when the background work is stopped.

#include "platform/core/BackgroundWork.h"
#include "platform/core/Trace.h"

#include <functional>
#include <string>
#include <vector>

namespace torvane::platform {

struct UrlResponse {
    bool completed{false}; // an HTTP answer arrived, whatever its status
    long status{0};        // the HTTP status, 0 without an answer
    bool timedOut{false};
    std::string error; // libcurl's reason when there was no answer
};

struct UrlRequest {
    std::string url;
    // Extra header lines, such as "Cache-Control: no-cache".
    std::vector<std::string> headers;
    long connectTimeoutSeconds{10};
    long timeoutSeconds{30};
    // Called once on the request's thread when it ends; for headless runs and tests. Leave empty
    // when nothing needs to know.
    std::function<void(const UrlResponse&)> completion;
};

// Traces `http.get` {url} and starts the request; returns at once. False, with a console line, when
// no thread can be had: the role's "no connection object". libcurl is loaded on the request's
// thread; a request it cannot make (no libcurl, a URL it refuses) ends there, with a console line
// and the reason in the response's `error`.
bool startUrlConnection(Trace& trace, BackgroundWork& work, UrlRequest request);

} // namespace torvane::platform
