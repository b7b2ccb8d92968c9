#include "app/RatingWiring.h"

#include "platform/core/BuildConfiguration.h"
#include "platform/net/OpenURL.h"
#include "platform/net/Reachability.h"
#include "platform/net/UrlConnection.h"
#include "platform/storage/SettingsStore.h"
#include "platform/view/MainLoop.h"
#include "rating/RatingPrompt.h"

#include <charconv>
#include <chrono>
#include <system_error>

namespace torvane::app {

namespace {

// The review page needs the store's numeric id; an id that is not a number is said once at start
// rather than sending the user to the page of application 0.
std::int64_t numericAppId(platform::Trace& trace) {
    std::string text = platform::build::appId();
    std::int64_t id = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size() || id <= 0) {
        trace.log("rating: the application id \"" + text.substr(0, 80) + "\" is not a store id; the review page has none");
        return 0;
    }
    return id;
}

platform::Alert platformAlert(rating::RatingAlert alert) {
    platform::Alert shown{alert.title, alert.message, alert.cancelButtonTitle, alert.otherButtonTitles, {}};
    shown.onClick = [alert = std::move(alert)](int index) mutable {
        auto answer = std::move(alert.clickedButtonAtIndex);
        // The answer holds the prompt; it is dropped with `answer` once it has run.
        if (answer)
            answer(alert, index);
    };
    return shown;
}

} // namespace

std::shared_ptr<rating::RatingEnvironment> ratingEnvironment(platform::Context& context, platform::MainLoop& loop) {
    auto store = [&context]() -> platform::SettingsStore& { return context.settings; };
    auto environment = std::make_shared<rating::RatingEnvironment>();
    environment->stringForKey = [store](std::string_view key) { return store().stringForKey(key); };
    environment->setObject = [store](const std::optional<std::string>& value, std::string_view key) {
        if (value)
            store().setObject(*value, key);
        else
            store().removeObject(key);
    };
    environment->doubleForKey = [store](std::string_view key) { return store().doubleForKey(key); };
    environment->setDouble = [store](double value, std::string_view key) { store().setDouble(value, key); };
    environment->integerForKey = [store](std::string_view key) { return store().integerForKey(key); };
    environment->setInteger = [store](std::int64_t value, std::string_view key) {
        store().setInteger(value, key);
    };
    environment->boolForKey = [store](std::string_view key) { return store().boolForKey(key); };
    environment->setBool = [store](bool value, std::string_view key) { store().setBool(value, key); };
    environment->synchronize = [store] { store().synchronize(); };
    environment->applicationVersion = [] { return std::optional(platform::build::appVersion()); };
    environment->now = [] {
        return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    };
    environment->reachabilityFlags = [] { return platform::defaultRouteReachabilityFlags(); };
    environment->startProbe = [&context](const std::string& url, long timeoutSeconds) {
        platform::UrlRequest probe{url, {"Cache-Control: no-cache"}, timeoutSeconds, timeoutSeconds, {}};
        return platform::startUrlConnection(context.trace, context.work, std::move(probe));
    };
    environment->postToMain = [&context](std::function<void()> work) { context.mainQueue.post(std::move(work)); };
    environment->showAlert = [&loop](rating::RatingAlert alert) {
        loop.alerts().show(platformAlert(std::move(alert)));
    };
    environment->openURL = [&context](const std::string& url) {
        platform::openURL(context.trace, context.work, url);
    };
    environment->log = [&context](std::string_view line) { context.trace.log(line); };
    environment->storeHost = platform::build::storeHost();
    environment->probeHost = platform::build::probeHost();
    environment->appId = numericAppId(context.trace);
    return environment;
}

} // namespace torvane::app
