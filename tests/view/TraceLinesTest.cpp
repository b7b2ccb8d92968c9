#include "platform/alert/AlertPresenter.h"
#include "platform/core/Clock.h"
#include "platform/core/Trace.h"
#include "platform/view/Animator.h"
#include "platform/view/ImageView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace torvane::platform;

namespace {

std::vector<std::string> linesOf(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(line.find(",\"op\""))); // without the time
    return lines;
}

} // namespace

TEST(TraceLines, ViewsAnimationsAndAlertsNameTheirOperations) {
    setClockMode(ClockMode::Virtual);
    animator().reset();
    auto file = std::filesystem::temp_directory_path() / ("torvane-view-trace-" + std::to_string(getpid()));
    ASSERT_TRUE(openTrace(file.string()));

    ImageView tray("controlTrayView", {0, 291, 320, 190});
    tray.setImage(nullptr);
    tray.setHidden(true);
    static const char* const Dismiss = "DismissControlTray";
    for (int i = 0; i < 2; ++i) {
        animator().beginAnimations(Dismiss);
        animator().setAnimationDuration(0.5);
        tray.setTransform(AffineTransform::makeTranslation(0, 156));
        animator().commitAnimations();
        advanceVirtualClock(0.1);
        animator().advance(now());
    }
    advanceVirtualClock(0.5);
    animator().advance(now());

    AlertPresenter alerts;
    alerts.show({"Title", "Message", "Upgrade", {"Not Now"}, {}});
    alerts.pressButton(1);
    closeTrace();

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
    EXPECT_EQ(linesOf(file), expected);
    std::filesystem::remove(file);
    animator().reset();
}
