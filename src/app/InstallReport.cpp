// The first-launch install report, a step of the screen controller's `init`. It is sent at most
// once per settings store: the marker is set as soon as the request has been started, whatever
// becomes of the request, so a dead network never makes the report repeat.

#include "screen/TorvaneViewController.h"

#include "platform/core/AdvertisingIdentifier.h"
#include "platform/core/BuildConfiguration.h"
#include "platform/net/UrlConnection.h"
#include "platform/storage/SettingsStore.h"

#include <string>
#include <string_view>

namespace torvane::app {

namespace {

constexpr std::string_view markerKey = "recorded_install";
constexpr std::string_view reportedLine = "####------->recordeding install on vintrel!!!";

// Bounds that let the request's thread always end; nobody waits for it.
constexpr long connectTimeoutSeconds = 10;
constexpr long totalTimeoutSeconds = 30;

// The report's URL. The endpoint reads its keys in this order, and "v" is the report's own format
// version, not the application's.
std::string installReportUrl(std::string_view identifier) {
    return "http://" + platform::build::installHost() + "/app.php?idfa=" + std::string(identifier) +
           "&appid=" + platform::build::appId() + "&v=2.3";
}

} // namespace

void recordInstallIfNeeded(platform::Context& context) {
    auto& store = context.settings;
    // Any string counts as reported, not only the "TRUE" that we write.
    if (store.stringForKey(markerKey))
        return;

    platform::UrlRequest request;
    request.url = installReportUrl(platform::advertisingIdentifier);
    request.connectTimeoutSeconds = connectTimeoutSeconds;
    request.timeoutSeconds = totalTimeoutSeconds;
    // The answer is never looked at, and a request that could not even start is not retried.
    platform::startUrlConnection(context.trace, context.work, std::move(request));

    store.setObject("TRUE", markerKey);
    store.synchronize();
    context.trace.log(reportedLine);
}

} // namespace torvane::app
