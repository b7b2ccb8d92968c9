#pragma once

// A 2D affine transform with the platform's meaning: a point (x, y) maps to
// (a·x + c·y + tx, b·x + d·y + ty). Six 32-bit floats, as the screen's fields hold them.

#include "platform/geometry/Geometry.h"

namespace torvane::platform {

struct AffineTransform {
    float a{1};
    float b{0};
    float c{0};
    float d{1};
    float tx{0};
    float ty{0};

    [[nodiscard]] static AffineTransform identity() { return {}; }
    [[nodiscard]] static AffineTransform makeTranslation(float dx, float dy) { return {1, 0, 0, 1, dx, dy}; }

    [[nodiscard]] bool operator==(const AffineTransform&) const = default;
};

// The scale acts before `t`: a and b take the x factor, c and d the y factor, tx and ty stay.
[[nodiscard]] AffineTransform scale(const AffineTransform& t, float sx, float sy);

// The translation acts before `t`, so it passes through t's linear part.
[[nodiscard]] AffineTransform translate(const AffineTransform& t, float dx, float dy);

[[nodiscard]] Point apply(const AffineTransform& t, Point p);

} // namespace torvane::platform
