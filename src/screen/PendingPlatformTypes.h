#pragma once

// Placeholder for the one platform type that the delegate holds but whose real version comes
// with the application's integration: the window. It carries just enough for the delegate to be
// built and tested; integration replaces it with the main loop's window.

#include "platform/geometry/Geometry.h"
#include "platform/view/ImageView.h"

#include <memory>
#include <vector>

namespace torvane::platform {

// The application's only window: it holds the controller's view.
struct Window {
    Rect frame;
    std::vector<std::shared_ptr<ImageView>> subviews;
    bool keyAndVisible{false};

    void addSubview(std::shared_ptr<ImageView> view) { subviews.push_back(std::move(view)); }
    void makeKeyAndVisible() { keyAndVisible = true; }
};

} // namespace torvane::platform
