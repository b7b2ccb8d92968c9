#pragma once

// A 3D transform with the platform's meaning: sixteen 32-bit floats m11 … m44, a point is a row
// vector [x y z 1] multiplied on the left, then divided by its w. The translation sits in
// m41 … m43 and m34 is the perspective term: with m34 = −1/500, a point 500 points in front of
// the screen would be infinitely large.

#include "platform/geometry/AffineTransform.h"

namespace torvane::platform {

struct Transform3D {
    float m11{1}, m12{0}, m13{0}, m14{0};
    float m21{0}, m22{1}, m23{0}, m24{0};
    float m31{0}, m32{0}, m33{1}, m34{0};
    float m41{0}, m42{0}, m43{0}, m44{1};

    // Element (row, column), both from 0 to 3: m11 is (0, 0), m34 is (2, 3). The fields keep their
    // platform names, so indexed loops go through this rather than through the fields' addresses.
    [[nodiscard]] float& at(int row, int column) { return this->*elements[row][column]; }
    [[nodiscard]] float at(int row, int column) const { return this->*elements[row][column]; }

    [[nodiscard]] static Transform3D identity() { return {}; }
    [[nodiscard]] static Transform3D fromAffine(const AffineTransform& t);

    [[nodiscard]] bool operator==(const Transform3D&) const = default;

  private:
    using Element = float Transform3D::*;
    static constexpr Element elements[4][4] = {
        {&Transform3D::m11, &Transform3D::m12, &Transform3D::m13, &Transform3D::m14},
        {&Transform3D::m21, &Transform3D::m22, &Transform3D::m23, &Transform3D::m24},
        {&Transform3D::m31, &Transform3D::m32, &Transform3D::m33, &Transform3D::m34},
        {&Transform3D::m41, &Transform3D::m42, &Transform3D::m43, &Transform3D::m44}};
};

struct Point3D {
    float x{0};
    float y{0};
    float z{0};
    float w{1};
};

// `first` acts on points before `second` (row vectors: p · first · second).
[[nodiscard]] Transform3D concat(const Transform3D& first, const Transform3D& second);

// A rotation by `angle` radians about the axis (x, y, z), acting before `t`. A positive angle about
// (1, 0, 0) turns the lower half of a view (y > 0) towards the viewer (z > 0).
[[nodiscard]] Transform3D rotate(const Transform3D& t, float angle, float x, float y, float z);
[[nodiscard]] Transform3D makeRotation(float angle, float x, float y, float z);

// The point after the transform, before the divide by w.
[[nodiscard]] Point3D multiply(const Transform3D& t, Point3D p);

// Whether the transform is affine in the plane (no perspective, no use of z that reaches x or y
// differently than a flat drawing would): then it can be drawn without subdividing.
[[nodiscard]] bool isAffine2D(const Transform3D& t);

} // namespace torvane::platform
