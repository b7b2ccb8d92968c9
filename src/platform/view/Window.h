#pragma once

// The application's only window as the delegate builds it: the main screen's frame and the views
// put into it. The main loop shows its first view and sends touches to the controller that owns
// that view.

#include "platform/geometry/Geometry.h"
#include "platform/view/ImageView.h"

#include <memory>
#include <vector>

namespace torvane::platform {

struct Window {
    Rect frame;
    std::vector<std::shared_ptr<ImageView>> subviews;
    bool keyAndVisible{false};

    void addSubview(std::shared_ptr<ImageView> view) { subviews.push_back(std::move(view)); }
    void makeKeyAndVisible() { keyAndVisible = true; }
};

} // namespace torvane::platform
