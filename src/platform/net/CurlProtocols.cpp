#include "platform/net/CurlProtocols.h"

#include <string>

namespace torvane::platform {

namespace {

CURLcode setByName(const CurlLibrary& curl, CURL* easy) {
#if LIBCURL_VERSION_NUM >= 0x075500
    return curl.easySetopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
#else
    (void)curl;
    (void)easy;
    return CURLE_UNKNOWN_OPTION;
#endif
}

CURLcode setByMask(const CurlLibrary& curl, CURL* easy) {
    // Deprecated where the named list exists, and still honoured there; here it is the fallback.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return curl.easySetopt(easy, CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#pragma GCC diagnostic pop
}

} // namespace

ProtocolSetters libcurlProtocolSetters() {
    return {setByName, setByMask};
}

bool restrictToWeb(Trace& trace, const CurlLibrary& curl, CURL* easy, const ProtocolSetters& setters) {
    CURLcode byName = setters.byName(curl, easy);
    if (byName == CURLE_OK)
        return true;
    CURLcode byMask = setters.byMask(curl, easy);
    if (byMask == CURLE_OK)
        return true;
    trace.log(std::string("http: cannot keep the request to http and https: CURLOPT_PROTOCOLS_STR: ") +
              curl.easyStrerror(byName) + ", CURLOPT_PROTOCOLS: " + curl.easyStrerror(byMask));
    return false;
}

} // namespace torvane::platform
