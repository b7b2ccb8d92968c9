#pragma once

// Everything the rating prompt needs from the platform, handed in by the application so that the
// prompt can be tried against fakes. Every function is required unless its comment says otherwise,
// and each must be safe to call from a background thread unless it says "main thread".

#include "rating/RatingAlert.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace torvane::rating {

struct RatingEnvironment {
    // The settings store, the same one the screen uses. An absent key reads as no string, 0.0, 0
    // or false. Setters take the value first, as the store's own do; `setObject` with no value
    // removes the key.
    std::function<std::optional<std::string>(std::string_view key)> stringForKey;
    std::function<void(const std::optional<std::string>& value, std::string_view key)> setObject;
    std::function<double(std::string_view key)> doubleForKey;
    std::function<void(double value, std::string_view key)> setDouble;
    std::function<std::int64_t(std::string_view key)> integerForKey;
    std::function<void(std::int64_t value, std::string_view key)> setInteger;
    std::function<bool(std::string_view key)> boolForKey;
    std::function<void(bool value, std::string_view key)> setBool;
    std::function<void()> synchronize;

    // The application's version; none when the build carries none. May be left empty: no version.
    std::function<std::optional<std::string>()> applicationVersion;
    // Wall-clock time in seconds since 1970-01-01 00:00:00 UTC.
    std::function<double()> now;
    // Reachability flags of the default route, with the platform's values (transient 1, reachable
    // 2, connection required 4); none when they cannot be read.
    std::function<std::optional<std::uint32_t>()> reachabilityFlags;
    // Starts an http GET for `url` that ignores cached copies and gives up after `timeoutSeconds`;
    // its answer is never read. False when no connection could be made.
    std::function<bool(const std::string& url, long timeoutSeconds)> startProbe;
    // Runs `work` later on the main thread; returns at once.
    std::function<void(std::function<void()> work)> postToMain;
    // Main thread: shows the alert; returns at once.
    std::function<void(RatingAlert alert)> showAlert;
    // Main thread: hands the URL to the platform to open; the outcome is not looked at.
    std::function<void(const std::string& url)> openURL;
    // One console line. May be left empty: nothing is logged.
    std::function<void(std::string_view line)> log;

    // Configuration supplied with the build.
    std::string storeHost; // host of the store's review page, may carry a port
    std::string probeHost; // web site whose root page the network probe asks for
    std::int64_t appId{0}; // this application's numeric store id
};

} // namespace torvane::rating
