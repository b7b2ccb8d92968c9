#pragma once

// libcurl, opened on the request's thread at its first use: the start does not load it (with its
// TLS, Kerberos and LDAP libraries) before the first frame. Each request holds its own reference;
// the library's global set-up is made and undone with it (reference-counted and thread-safe in the
// libcurl 7.84 and later that Debian 12 ships).

#include "platform/core/SharedLibrary.h"

#include <curl/curl.h>

#include <memory>
#include <string>

namespace torvane::platform {

struct CurlLibrary {
    // Null, with the reason in `whyNot`, when libcurl cannot be loaded or set up.
    [[nodiscard]] static std::shared_ptr<const CurlLibrary> load(std::string& whyNot);
    ~CurlLibrary();

    decltype(&curl_global_init) globalInit{};
    decltype(&curl_global_cleanup) globalCleanup{};
    decltype(&curl_easy_init) easyInit{};
    decltype(&curl_easy_setopt) easySetopt{};
    decltype(&curl_easy_perform) easyPerform{};
    decltype(&curl_easy_getinfo) easyGetinfo{};
    decltype(&curl_easy_cleanup) easyCleanup{};
    decltype(&curl_easy_strerror) easyStrerror{};
    decltype(&curl_slist_append) slistAppend{};
    decltype(&curl_slist_free_all) slistFreeAll{};

    std::shared_ptr<SharedLibrary> library;
    bool initialised{false};
};

} // namespace torvane::platform
