#include "rating/RatingLaunches.h"

#include "rating/RatingPrompt.h"

#include <exception>
#include <string>

namespace torvane::rating {

RatingLaunches::RatingLaunches(std::shared_ptr<const RatingEnvironment> environment,
                               platform::BackgroundWork& work)
    : m_environment(std::move(environment)), m_checks(work) {}

void RatingLaunches::appLaunched() {
    appLaunched(m_environment);
}

void RatingLaunches::appLaunched(std::shared_ptr<const RatingEnvironment> environment) {
    if (!environment)
        return;
    auto prompt = std::make_shared<RatingPrompt>(std::move(environment));
    auto started = m_checks.start([prompt]() {
        // Nothing may escape the thread: an exception there would end the process.
        try {
            prompt->_appLaunched();
        } catch (const std::exception& error) {
            prompt->log(std::string("rating: launch check failed: ") + error.what());
        }
    });
    if (!started)
        prompt->log("rating: could not start a thread for the launch check; this launch is not counted");
}

void RatingLaunches::waitForChecks() const {
    m_checks.waitUntilIdle();
}

} // namespace torvane::rating
