#include "platform/alert/AlertLayout.h"
#include "platform/alert/AlertPresenter.h"

#include "../support/TestContext.h"

#include <gtest/gtest.h>

#include <vector>

using namespace torvane::platform;

namespace {

// A monospaced stand-in for the font: 8 points a character.
float fakeWidth(std::string_view text, AlertFont) {
    return float(text.size()) * 8;
}

Alert upgradeAlert(std::vector<int>* clicks = nullptr) {
    Alert alert{
        "Use Your FlashLight Slider!",
        "Upgrade to the PRO version of Torvane and use your slider to dim or make your Flashlight even "
        "brighter!",
        "Upgrade",
        {"Not Now"},
        {}};
    if (clicks)
        alert.onClick = [clicks](int index) { clicks->push_back(index); };
    return alert;
}

Point centre(const Rect& r) {
    return r.center();
}

} // namespace

TEST(AlertLayout, TwoButtonsSitSideBySideWithTheCancelButtonOnTheLeft) {
    AlertLayout layout = layoutAlert(upgradeAlert(), {320, 568}, fakeWidth);
    ASSERT_EQ(layout.buttons.size(), 2u);
    EXPECT_EQ(layout.buttons[0].title, "Upgrade");
    EXPECT_EQ(layout.buttons[0].index, 0);
    EXPECT_EQ(layout.buttons[1].index, 1);
    EXPECT_EQ(layout.buttons[0].font(), AlertFont::BoldButton); // the cancel button's title is bold
    EXPECT_EQ(layout.buttons[1].font(), AlertFont::Button);
    EXPECT_LT(layout.buttons[0].frame.x, layout.buttons[1].frame.x);
    EXPECT_EQ(layout.buttons[0].frame.y, layout.buttons[1].frame.y);
    EXPECT_EQ(buttonAt(layout, centre(layout.buttons[0].frame)), 0);
    EXPECT_EQ(buttonAt(layout, centre(layout.buttons[1].frame)), 1);
    // The panel is centred and the text above the buttons is not a button.
    EXPECT_FLOAT_EQ(layout.panel.x, 25);
    EXPECT_FALSE(buttonAt(layout, {160, layout.panel.y + 10}));
    EXPECT_FALSE(buttonAt(layout, {5, 5}));
}

TEST(AlertLayout, ThreeOrMoreButtonsAreStackedWithTheCancelButtonLast) {
    Alert alert{"Rate", "Please", "No, Thanks", {"Rate It Now", "Remind me later"}, {}};
    AlertLayout layout = layoutAlert(alert, {320, 480}, fakeWidth);
    ASSERT_EQ(layout.buttons.size(), 3u);
    EXPECT_EQ(layout.buttons[0].index, 1);
    EXPECT_EQ(layout.buttons[1].index, 2);
    EXPECT_EQ(layout.buttons[2].index, 0);
    EXPECT_TRUE(layout.buttons[2].isCancel);
    EXPECT_LT(layout.buttons[0].frame.y, layout.buttons[1].frame.y);
    EXPECT_LT(layout.buttons[1].frame.y, layout.buttons[2].frame.y);
    for (const auto& button : layout.buttons)
        EXPECT_EQ(buttonAt(layout, centre(button.frame)), button.index);
}

TEST(AlertLayout, WithoutACancelButtonTheOthersCountFromZero) {
    Alert alert{"Title", "", "", {"One", "Two"}, {}};
    EXPECT_EQ(buttonTitles(alert), (std::vector<std::string>{"One", "Two"}));
    AlertLayout layout = layoutAlert(alert, {320, 480}, fakeWidth);
    ASSERT_EQ(layout.buttons.size(), 2u);
    EXPECT_EQ(layout.buttons[0].index, 0);
    EXPECT_FALSE(layout.buttons[0].isCancel);
}

TEST(AlertLayout, TheMessageIsWrappedToThePanel) {
    AlertLayout layout = layoutAlert(upgradeAlert(), {320, 568}, fakeWidth);
    ASSERT_GT(layout.messageLines.size(), 1u);
    for (const auto& line : layout.messageLines)
        EXPECT_LE(fakeWidth(line, AlertFont::Message), alertPanelWidth - 2 * alertPadding);
    auto measure = [](std::string_view text) { return float(text.size()); };
    EXPECT_EQ(wrapText("aaa bbb ccc", 7, measure), (std::vector<std::string>{"aaa bbb", "ccc"}));
    EXPECT_EQ(wrapText("averyveryverylongword x", 5, measure),
              (std::vector<std::string>{"averyveryverylongword", "x"}));
    EXPECT_EQ(wrapText("one\ntwo", 100, measure), (std::vector<std::string>{"one", "two"}));
}

TEST(AlertPresenter, ATouchOnAButtonAnswersOnceThenTheNextAlertTakesItsTurn) {
    std::vector<int> first, second;
    TestContext t;
    AlertPresenter alerts(t.context.trace, t.context.needsDisplay);
    alerts.setScreen({320, 568}, 1);
    alerts.show(upgradeAlert(&first));
    Alert next = upgradeAlert(&second);
    next.title = "Second";
    alerts.show(next);
    EXPECT_EQ(alerts.waiting(), 1u);
    ASSERT_EQ(alerts.top()->title, "Use Your FlashLight Slider!");

    auto layout = alerts.layout();
    ASSERT_TRUE(layout);
    // A touch beside the buttons is the alert's but answers nothing.
    EXPECT_TRUE(alerts.touch({2, 2}));
    EXPECT_TRUE(first.empty());
    EXPECT_TRUE(alerts.touch(centre(layout->buttons[1].frame)));
    EXPECT_EQ(first, std::vector<int>{1});
    EXPECT_TRUE(second.empty());
    ASSERT_TRUE(alerts.isShowing());
    EXPECT_EQ(alerts.top()->title, "Second");

    EXPECT_FALSE(alerts.pressButton(2)); // no such button: nothing happens
    EXPECT_TRUE(alerts.pressButton(0));
    EXPECT_EQ(second, std::vector<int>{0});
    EXPECT_EQ(first.size(), 1u);
    EXPECT_FALSE(alerts.isShowing());
    EXPECT_FALSE(alerts.touch({160, 300})); // gone: touches go to the screen again
    EXPECT_FALSE(alerts.pressButton(0));
}

TEST(AlertPresenter, AnAlertShownByAnAnswerWaitsForNoOne) {
    TestContext t;
    AlertPresenter alerts(t.context.trace, t.context.needsDisplay);
    alerts.setScreen({320, 480}, 2);
    int answers = 0;
    Alert chained = upgradeAlert();
    chained.onClick = [&](int) {
        ++answers;
        alerts.show(upgradeAlert());
    };
    alerts.show(chained);
    EXPECT_TRUE(alerts.pressButton(1));
    EXPECT_EQ(answers, 1);
    EXPECT_TRUE(alerts.isShowing());
    EXPECT_EQ(alerts.waiting(), 0u);
}
