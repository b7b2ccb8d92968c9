#pragma once

// The platform's error object: a domain, a negative code and a user-info table whose one entry
// the JSON scanner fills is the localized description.

#include <map>
#include <string>

namespace torvane {

struct Error {
    static constexpr const char* localizedDescriptionKey = "NSLocalizedDescription";

    std::string domain;
    long code{0};
    std::map<std::string, std::string> userInfo;

    // Empty when the error carries no description.
    [[nodiscard]] std::string localizedDescription() const {
        auto entry = userInfo.find(localizedDescriptionKey);
        return entry == userInfo.end() ? std::string() : entry->second;
    }
};

} // namespace torvane
