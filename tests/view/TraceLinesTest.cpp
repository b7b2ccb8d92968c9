#include "platform/alert/AlertPresenter.h"
#include "platform/view/Animator.h"
#include "platform/view/ImageView.h"

#include "../support/TestContext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace torvane::platform;

TEST(TraceLines, ViewsAnimationsAndAlertsNameTheirOperations) {
    TestContext t;
    Clock& clock = t.context.clock;
    Animator& animator = t.context.animator;
    clock.setMode(ClockMode::Virtual);
    t.startTrace();
    ASSERT_TRUE(t.context.trace.isOpen());

    ImageView tray(animator, "controlTrayView", {0, 291, 320, 190});
    tray.setImage(nullptr);
    tray.setHidden(true);
    static const char* const Dismiss = "DismissControlTray";
    for (int i = 0; i < 2; ++i) {
        animator.beginAnimations(Dismiss);
        animator.setAnimationDuration(0.5);
        tray.setTransform(AffineTransform::makeTranslation(0, 156));
        animator.commitAnimations();
        clock.advance(0.1);
        animator.advance(clock.now());
    }
    clock.advance(0.5);
    animator.advance(clock.now());

    AlertPresenter alerts(t.context.trace, t.context.needsDisplay);
    alerts.show({"Title", "Message", "Upgrade", {"Not Now"}, {}});
    alerts.pressButton(1);
    t.stopTrace();

    std::vector<std::string> expected = {
        R"(,"op":"view.image","view":"controlTrayView","image":null})",
        R"(,"op":"view.hidden","view":"controlTrayView","hidden":true})",
        R"(,"op":"anim.begin","id":"DismissControlTray","duration":0.5})",
        R"(,"op":"anim.begin","id":"DismissControlTray","duration":0.5})",
        R"(,"op":"anim.end","id":"DismissControlTray","finished":false})",
        R"(,"op":"anim.end","id":"DismissControlTray","finished":true})",
        R"(,"op":"alert.show","title":"Title","message":"Message","buttons":"Upgrade|Not Now"})",
        R"(,"op":"alert.answer","index":1})",
    };
    std::vector<std::string> lines;
    for (const auto& line : t.traceLines())
        lines.push_back(line.substr(line.find(",\"op\""))); // without the time
    EXPECT_EQ(lines, expected);
}
