#pragma once

// Asks the user to rate the application in the store once a version has been used long enough:
// launches and days of use are counted per version in the settings store, and when both pass
// their thresholds, the user has neither rated this version nor declined, and the network can be
// reached, an alert offers to open the store's review page.
//
// RatingLaunches.h starts one instance per launch. An instance is the agent of that launch: its
// check runs on a background thread, which holds it; when the alert is shown the alert holds it
// until the user answers. The alert is shown and answered on the main thread.

#include "rating/RatingAlert.h"
#include "rating/RatingEnvironment.h"

#include <memory>
#include <string>

namespace torvane::rating {

class RatingPrompt : public std::enable_shared_from_this<RatingPrompt> {
  public:
    explicit RatingPrompt(std::shared_ptr<const RatingEnvironment> environment);

    // The launch check, on the background thread: counts the launch and, when the prompt is due,
    // asks the main thread to show it.
    void _appLaunched();
    // The network test: true when the default route's flags say reachable and a probe request
    // could be started. Logs one line when the flags cannot be read, and then makes no probe.
    [[nodiscard]] bool connectedToNetwork();
    // Main thread: shows the alert, which holds this instance until it is answered.
    void showPrompt();
    // Main thread: records the answer to the alert (0 "No, Thanks", 1 rate, 2 "Remind me later").
    void alertView(const RatingAlert& alertView, long buttonIndex);

    // The store's review page for this application.
    [[nodiscard]] std::string reviewURL() const;

    // One console line, when the environment has a log.
    void log(std::string_view line) const;

  private:
    std::shared_ptr<const RatingEnvironment> m_environment;
};

} // namespace torvane::rating
