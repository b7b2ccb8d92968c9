#pragma once

// Points, sizes and rectangles in points: origin at the top left, y downwards.

namespace torvane::platform {

struct Point {
    float x{0};
    float y{0};
};

struct Size {
    float width{0};
    float height{0};
};

struct Rect {
    float x{0};
    float y{0};
    float width{0};
    float height{0};

    [[nodiscard]] Point center() const { return {x + width / 2, y + height / 2}; }
};

} // namespace torvane::platform
