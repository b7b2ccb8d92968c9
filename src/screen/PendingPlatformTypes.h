#pragma once

// Placeholders for the platform types that the screen's fields hold but whose real versions come
// with later work (views, layers, windows and transforms with the screen's drawing, alerts with
// the prompts). They carry just enough for the
// controller's state and the delegate to compile and be tested; integration replaces each with
// the real type of the same name from src/platform and deletes it here.

#include "platform/Geometry.h"

#include <memory>
#include <vector>

namespace torvane::platform {

// A 2D affine transform with the platform's meaning (CGAffineTransform).
struct AffineTransform {
    float a{1}, b{0}, c{0}, d{1}, tx{0}, ty{0};
};

// A 3D transform with the platform's meaning (CATransform3D); m34 is the perspective term.
struct Transform3D {
    float m11{1}, m12{0}, m13{0}, m14{0};
    float m21{0}, m22{1}, m23{0}, m24{0};
    float m31{0}, m32{0}, m33{1}, m34{0};
    float m41{0}, m42{0}, m43{0}, m44{1};
};

struct View {};
struct ImageView : View {};
struct Layer {};
struct AlertView {};

// The application's only window: it holds the controller's view.
struct Window {
    Rect frame;
    std::vector<std::shared_ptr<View>> subviews;
    bool keyAndVisible{false};

    void addSubview(std::shared_ptr<View> view) { subviews.push_back(std::move(view)); }
    void makeKeyAndVisible() { keyAndVisible = true; }
};

} // namespace torvane::platform
