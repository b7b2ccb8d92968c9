#pragma once

// The alert that asks for a review, as the rating prompt hands it to the platform (the role of
// UIAlertView with its delegate). The application turns it into its own alert.

#include <functional>
#include <string>
#include <vector>

namespace torvane::rating {

struct RatingAlert {
    std::string title;
    std::string message;
    std::string cancelButtonTitle;              // button index 0
    std::vector<std::string> otherButtonTitles; // button indexes 1, 2, ... in this order
    // Called once on the main thread with the alert and the index of the pressed button. It holds
    // the prompt that showed the alert: drop it after the call.
    std::function<void(const RatingAlert& alert, long buttonIndex)> clickedButtonAtIndex;
};

} // namespace torvane::rating
