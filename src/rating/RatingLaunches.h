#pragma once

// The launches that the rating prompt counts (the class side of RatingPrompt): each call of
// `appLaunched` checks one launch on a thread of the application's background work, after the
// checks started before it.
//
//     RatingLaunches launches(environment, context.work);
//     launches.appLaunched();    // each time the opening sequence ends
//     launches.waitForChecks();  // headless: before the clock moves on

#include "platform/core/BackgroundWork.h"
#include "rating/CheckQueue.h"
#include "rating/RatingEnvironment.h"

#include <memory>

namespace torvane::rating {

class RatingLaunches {
  public:
    // `work` runs the checks and must outlive this object's use; stopping it drops the checks
    // that have not begun.
    RatingLaunches(std::shared_ptr<const RatingEnvironment> environment, platform::BackgroundWork& work);

    // Counts one launch: starts the check of a new RatingPrompt and returns at once. Does nothing
    // without an environment.
    void appLaunched();
    // The same with another environment for this launch alone (tests tell launches apart so).
    void appLaunched(std::shared_ptr<const RatingEnvironment> environment);

    // Blocks until every check started so far has ended. A prompt that a check scheduled is then
    // waiting in the main thread's queue (the alert itself is not waited for).
    void waitForChecks() const;

  private:
    std::shared_ptr<const RatingEnvironment> m_environment;
    CheckQueue m_checks;
};

} // namespace torvane::rating
