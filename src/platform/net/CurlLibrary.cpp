#include "platform/net/CurlLibrary.h"

namespace torvane::platform {

std::shared_ptr<const CurlLibrary> CurlLibrary::load(std::string& whyNot) {
    auto curl = std::make_shared<CurlLibrary>();
    curl->library = SharedLibrary::open("libcurl.so.4", whyNot);
    if (!curl->library)
        return nullptr;
    const auto& lib = *curl->library;
    bool found = lib.find("curl_global_init", curl->globalInit, whyNot) &&
                 lib.find("curl_global_cleanup", curl->globalCleanup, whyNot) &&
                 lib.find("curl_easy_init", curl->easyInit, whyNot) &&
                 lib.find("curl_easy_setopt", curl->easySetopt, whyNot) &&
                 lib.find("curl_easy_perform", curl->easyPerform, whyNot) &&
                 lib.find("curl_easy_getinfo", curl->easyGetinfo, whyNot) &&
                 lib.find("curl_easy_cleanup", curl->easyCleanup, whyNot) &&
                 lib.find("curl_easy_strerror", curl->easyStrerror, whyNot) &&
                 lib.find("curl_slist_append", curl->slistAppend, whyNot) &&
                 lib.find("curl_slist_free_all", curl->slistFreeAll, whyNot);
    if (!found)
        return nullptr;
    if (CURLcode result = curl->globalInit(CURL_GLOBAL_DEFAULT); result != CURLE_OK) {
        whyNot = std::string("libcurl cannot start: ") + curl->easyStrerror(result);
        return nullptr;
    }
    curl->initialised = true;
    return curl;
}

CurlLibrary::~CurlLibrary() {
    if (initialised)
        globalCleanup();
}

} // namespace torvane::platform
