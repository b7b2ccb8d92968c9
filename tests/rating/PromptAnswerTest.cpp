// The rating alert and its three answers, and how long the agent of a launch lives.

#include "FakeSystem.h"
#include "rating/RatingPrompt.h"

#include <gtest/gtest.h>

using namespace torvane::rating;
using namespace torvane::rating::test;

namespace {

// A launch that finds the prompt due, with the alert it shows brought up.
void promptingLaunch(FakeSystem& system) {
    std::make_shared<RatingPrompt>(system.environment())->_appLaunched();
    ASSERT_EQ(system.mainQueue.size(), 1u);
    system.runMainQueue();
    ASSERT_EQ(system.alerts.size(), 1u);
}

} // namespace

TEST(RatingAlert, TextsAndButtonsInThePlatformsOrder) {
    FakeSystem system;
    system.inUse(6, 259'201);
    promptingLaunch(system);

    const auto& alert = system.alerts.front();
    EXPECT_EQ(alert.title, "Rate - Torvane");
    EXPECT_EQ(alert.message,
              "If you enjoy using Torvane, would you mind taking a moment to rate it? It won't take "
              "more than a minute. Thanks for your support!");
    EXPECT_EQ(alert.cancelButtonTitle, "No, Thanks");
    EXPECT_EQ(alert.otherButtonTitles, (std::vector<std::string>{"Rate - Torvane", "Remind me later"}));
}

TEST(RatingAlert, RemindMeLaterStoresNothingAndTheNextLaunchAsksAgain) {
    FakeSystem system;
    system.inUse(6, 4 * oneDay);
    promptingLaunch(system);
    system.events.clear();
    system.answer(2);
    EXPECT_EQ(system.events, (std::vector<std::string>{"sync"}));

    system.now += 60;
    promptingLaunch(system);
    EXPECT_EQ(system.count(), 8);
}

TEST(RatingAlert, NoThanksSilencesThisVersionUntilTheVersionChanges) {
    FakeSystem system;
    system.inUse(6, 4 * oneDay);
    promptingLaunch(system);
    system.events.clear();
    system.answer(0);
    EXPECT_EQ(system.events, (std::vector<std::string>{"set kRatingPromptDeclinedToRate true", "sync"}));

    system.events.clear();
    for (int launch = 0; launch < 20; ++launch) {
        system.now += oneDay;
        std::make_shared<RatingPrompt>(system.environment())->_appLaunched();
    }
    EXPECT_TRUE(system.mainQueue.empty());
    EXPECT_EQ(system.probes(), 0u);
    EXPECT_EQ(system.count(), 27);

    system.version = "2.4";
    std::make_shared<RatingPrompt>(system.environment())->_appLaunched();
    EXPECT_FALSE(system.flag("kRatingPromptDeclinedToRate"));
    EXPECT_EQ(system.count(), 1);
    EXPECT_EQ(std::get<double>(system.store.at("kRatingPromptLaunchDate")), system.now);
}

TEST(RatingAlert, RateOpensTheReviewPageThenStoresRated) {
    FakeSystem system;
    system.inUse(6, 4 * oneDay);
    promptingLaunch(system);
    system.events.clear();
    system.answer(1);
    EXPECT_EQ(system.events,
              (std::vector<std::string>{
                  "open itms-apps://store.test/WebObjects/MZStore.woa/wa/viewContentsUserReviews"
                  "?id=284417350&onlyLatestVersion=true&pageNumber=0&sortOrdering=1&type=Purple+Software",
                  "set kRatingPromptRatedCurrentVersion true",
                  "sync",
              }));

    std::make_shared<RatingPrompt>(system.environment())->_appLaunched();
    EXPECT_TRUE(system.mainQueue.empty());
}

TEST(RatingAlert, TheAlertHoldsTheLaunchsAgentUntilItIsAnswered) {
    FakeSystem system;
    system.inUse(6, 4 * oneDay);
    auto prompt = std::make_shared<RatingPrompt>(system.environment());
    std::weak_ptr<RatingPrompt> agent = prompt;
    prompt->_appLaunched();
    prompt.reset();
    EXPECT_FALSE(agent.expired()) << "the scheduled prompt must keep its agent";
    system.runMainQueue();
    EXPECT_FALSE(agent.expired()) << "the alert must keep its agent";
    system.answer(2);
    EXPECT_TRUE(agent.expired()) << "the agent must go once the alert is answered";
}
