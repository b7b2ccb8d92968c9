#pragma once

// Keeping a request to HTTP and HTTPS on whatever libcurl the program meets at run time: the named
// list that libcurl takes since 7.85, else the bit mask that older ones take. A request whose
// restriction took neither way is not made, since it could follow a redirect to any protocol.

#include "platform/core/Trace.h"
#include "platform/net/CurlLibrary.h"

namespace torvane::platform {

// The two ways of setting the restriction, apart so that a test can play an older or a broken
// libcurl.
struct ProtocolSetters {
    CURLcode (*byName)(const CurlLibrary& curl, CURL* easy);
    CURLcode (*byMask)(const CurlLibrary& curl, CURL* easy);
};

[[nodiscard]] ProtocolSetters libcurlProtocolSetters();

// False, with a console line for each way that failed, when neither took.
[[nodiscard]] bool restrictToWeb(Trace& trace, const CurlLibrary& curl, CURL* easy,
                                 const ProtocolSetters& setters = libcurlProtocolSetters());

} // namespace torvane::platform
