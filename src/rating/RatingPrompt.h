#pragma once

// Asks the user to rate the application in the store once a version has been used long enough:
// launches and days of use are counted per version in the settings store, and when both pass
// their thresholds, the user has neither rated this version nor declined, and the network can be
// reached, an alert offers to open the store's review page.
//
//     RatingPrompt::setEnvironment(environment); // once, at start
//     RatingPrompt::appLaunched();               // each time the opening sequence ends
//     RatingPrompt::waitForChecks();             // headless: before the clock moves on
//
// Each launch is checked on a new background thread of its own; the checks run one at a time, in
// the order of the calls, so that no launch is lost. The alert is shown and answered on the main
// thread. An instance is the agent of one launch: its thread holds it for the check, and when the
// alert is shown the alert holds it until the user answers.

#include "rating/RatingAlert.h"
#include "rating/RatingEnvironment.h"

#include <memory>
#include <string>

namespace torvane::rating {

class RatingPrompt : public std::enable_shared_from_this<RatingPrompt> {
  public:
    // The environment that `appLaunched()` uses; set it before the first launch.
    static void setEnvironment(std::shared_ptr<const RatingEnvironment> environment);

    // Counts one launch: starts a new thread that runs `_appLaunched` on a new instance, after
    // the checks started before it. Returns at once. Does nothing without an environment.
    static void appLaunched();
    static void appLaunched(std::shared_ptr<const RatingEnvironment> environment);

    // Blocks until every check started so far has ended. A prompt that a check scheduled is then
    // waiting in the main thread's queue (the alert itself is not waited for).
    static void waitForChecks();

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

  private:
    void log(std::string_view line) const;

    std::shared_ptr<const RatingEnvironment> m_environment;
};

} // namespace torvane::rating
