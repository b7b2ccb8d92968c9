#include "rating/RatingPrompt.h"


#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

namespace torvane::rating {

namespace {

// The stored settings that belong to the rating prompt alone.
constexpr std::string_view currentVersionKey = "kRatingPromptCurrentVersion"; // string
constexpr std::string_view launchDateKey = "kRatingPromptLaunchDate";         // double
constexpr std::string_view launchCountKey = "kRatingPromptLaunchCount";       // integer
constexpr std::string_view ratedKey = "kRatingPromptRatedCurrentVersion";     // boolean
constexpr std::string_view declinedKey = "kRatingPromptDeclinedToRate";       // boolean

// Three days of use, and the count read before this launch's increment must reach 6: the earliest
// prompt comes on the seventh counted launch of a version.
constexpr double minimumSecondsInUse = 259'200;
constexpr std::int64_t minimumLaunchCount = 6;

constexpr std::uint32_t transientConnectionFlag = 1;
constexpr std::uint32_t reachableFlag = 2;
constexpr std::uint32_t connectionRequiredFlag = 4;
constexpr long probeTimeoutSeconds = 20;

constexpr std::string_view applicationName = "Torvane";
constexpr std::string_view titleFormat = "Rate - %@";
constexpr std::string_view messageFormat =
    "If you enjoy using %@, would you mind taking a moment to rate it? "
    "It won't take more than a minute. Thanks for your support!";
constexpr std::string_view declineButton = "No, Thanks";
constexpr std::string_view rateButtonFormat = "Rate - %@";
constexpr std::string_view remindButton = "Remind me later";
constexpr long declineButtonIndex = 0;
constexpr long rateButtonIndex = 1;

constexpr std::string_view reviewPath = "/WebObjects/MZStore.woa/wa/viewContentsUserReviews";
constexpr std::string_view reviewQuery =
    "id=APP_ID&onlyLatestVersion=true&pageNumber=0&sortOrdering=1&type=Purple+Software";
constexpr std::string_view appIdPlaceholder = "APP_ID";

constexpr std::string_view unreadableFlagsLine = "Error. Could not recover network reachability flags";

// Every occurrence of `placeholder` in `text` replaced by `replacement`.
std::string replacingAll(std::string_view text, std::string_view placeholder, std::string_view replacement) {
    std::string result;
    for (;;) {
        auto at = text.find(placeholder);
        if (at == std::string_view::npos)
            break;
        result.append(text.substr(0, at)).append(replacement);
        text.remove_prefix(at + placeholder.size());
    }
    result.append(text);
    return result;
}

std::string withApplicationName(std::string_view format) {
    return replacingAll(format, "%@", applicationName);
}

} // namespace

RatingPrompt::RatingPrompt(std::shared_ptr<const RatingEnvironment> environment)
    : m_environment(std::move(environment)) {}

// MARK: - Launch check

void RatingPrompt::_appLaunched() {
    const auto& environment = *m_environment;
    std::optional<std::string> version;
    if (environment.applicationVersion)
        version = environment.applicationVersion();

    auto trackedVersion = environment.stringForKey(currentVersionKey);
    if (!trackedVersion) {
        environment.setObject(version, currentVersionKey);
        trackedVersion = version;
    }

    auto now = environment.now();
    // A missing version equals nothing, not even another missing version.
    if (!version || trackedVersion != version) {
        environment.setObject(version, currentVersionKey);
        environment.setDouble(now, launchDateKey);
        environment.setInteger(1, launchCountKey);
        environment.setBool(false, ratedKey);
        environment.setBool(false, declinedKey);
        environment.synchronize();
        return;
    }

    auto launchDate = environment.doubleForKey(launchDateKey);
    if (launchDate == 0) {
        launchDate = now;
        environment.setDouble(launchDate, launchDateKey);
    }
    auto secondsInUse = now - launchDate;

    auto launchCount = environment.integerForKey(launchCountKey);
    // A count this large only comes from a damaged store; stay there rather than overflow.
    auto nextCount = launchCount < std::numeric_limits<std::int64_t>::max() ? launchCount + 1 : launchCount;
    environment.setInteger(nextCount, launchCountKey);

    auto declined = environment.boolForKey(declinedKey);
    auto rated = environment.boolForKey(ratedKey);

    // In this order, so that a launch that misses a threshold sends nothing over the network.
    auto due = launchCount >= minimumLaunchCount && secondsInUse > minimumSecondsInUse && !declined &&
               !rated && connectedToNetwork();
    if (due)
        environment.postToMain([prompt = shared_from_this()] { prompt->showPrompt(); });
    environment.synchronize();
}

// MARK: - Network test

bool RatingPrompt::connectedToNetwork() {
    const auto& environment = *m_environment;
    auto flags = environment.reachabilityFlags();
    if (!flags) {
        log(unreadableFlagsLine);
        return false;
    }
    // The probe goes out whatever the flags say; its answer is never read.
    auto probeStarted = environment.startProbe("http://" + environment.probeHost + "/", probeTimeoutSeconds);
    auto reachable = (*flags & reachableFlag) != 0 && (*flags & connectionRequiredFlag) == 0;
    auto transient = (*flags & transientConnectionFlag) != 0;
    return probeStarted && (reachable || transient);
}

// MARK: - Alert

void RatingPrompt::showPrompt() {
    RatingAlert alert;
    alert.title = withApplicationName(titleFormat);
    alert.message = withApplicationName(messageFormat);
    alert.cancelButtonTitle = declineButton;
    alert.otherButtonTitles = {withApplicationName(rateButtonFormat), std::string(remindButton)};
    alert.clickedButtonAtIndex = [prompt = shared_from_this()](const RatingAlert& answered,
                                                               long buttonIndex) {
        prompt->alertView(answered, buttonIndex);
    };
    m_environment->showAlert(std::move(alert));
}

void RatingPrompt::alertView(const RatingAlert&, long buttonIndex) {
    const auto& environment = *m_environment;
    if (buttonIndex == declineButtonIndex) {
        environment.setBool(true, declinedKey);
    } else if (buttonIndex == rateButtonIndex) {
        // Marked as rated whether or not the store could be opened: that cannot be known.
        environment.openURL(reviewURL());
        environment.setBool(true, ratedKey);
    }
    environment.synchronize();
}

std::string RatingPrompt::reviewURL() const {
    auto query = replacingAll(reviewQuery, appIdPlaceholder, std::to_string(m_environment->appId));
    return "itms-apps://" + m_environment->storeHost + std::string(reviewPath) + "?" + query;
}

void RatingPrompt::log(std::string_view line) const {
    if (m_environment->log)
        m_environment->log(line);
}

} // namespace torvane::rating
