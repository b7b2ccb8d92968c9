#include "screen/ScreenEnvironment.h"

#include "platform/net/OpenURL.h"

namespace torvane::screen {

void ScreenEnvironment::show(platform::Alert alert) const {
    if (showAlert)
        showAlert(std::move(alert));
}

void ScreenEnvironment::open(const std::string& url) const {
    if (openURL)
        openURL(url);
    else
        platform::openURL(context.trace, context.work, url);
}

} // namespace torvane::screen
