#pragma once

// An alert (the platform's UIAlertView): a title, a message and buttons. Buttons are numbered
// as the platform numbers them: the cancel button is 0 and the others follow from 1 in order;
// without a cancel button the others start at 0.

#include <functional>
#include <string>
#include <vector>

namespace torvane::platform {

struct Alert {
    std::string title;
    std::string message;
    std::string cancelButtonTitle; // empty: no cancel button
    std::vector<std::string> otherButtonTitles;
    // The delegate's alertView:clickedButtonAtIndex:, called once on the main thread.
    std::function<void(int index)> onClick;
};

// Every button's title in index order.
[[nodiscard]] std::vector<std::string> buttonTitles(const Alert& alert);

} // namespace torvane::platform
