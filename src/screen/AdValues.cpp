// What an ad banner hosted by this screen would be given. No banner exists: nothing calls these.

#include "screen/TorvaneViewController.h"

namespace torvane::screen {

std::string_view TorvaneViewController::publisherId() const {
    return "c2f9e04b7d13a58";
}

TorvaneViewController& TorvaneViewController::currentViewController() {
    return *this;
}

platform::Color TorvaneViewController::adBackgroundColor() const {
    return {0.0f, 0.0f, 0.0f, 1.0f};
}

platform::Color TorvaneViewController::primaryTextColor() const {
    return {1.0f, 1.0f, 1.0f, 1.0f};
}

platform::Color TorvaneViewController::secondaryTextColor() const {
    return {1.0f, 1.0f, 1.0f, 1.0f};
}

} // namespace torvane::screen
