#pragma once

// Interpolating transforms the way the platform animates them: each end is decomposed into
// translation, scale and skew, rotation (a quaternion) and perspective, the parts are
// interpolated separately and put back together. So a flip from edge-on to flat passes through
// true rotations instead of squashing the picture.

#include "platform/geometry/Transform3D.h"

#include <optional>

namespace torvane::platform {

struct DecomposedTransform {
    float translation[3]{0, 0, 0};
    // Lower-triangular scale and skew: rows of the linear part are combinations of the rotation's
    // rows; the diagonal holds the scales.
    float scaleSkew[3][3]{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    float quaternion[4]{0, 0, 0, 1}; // x, y, z, w
    float perspective[4]{0, 0, 0, 1};
};

// Empty when the transform has no usable decomposition (a collapsed linear part or w = 0).
[[nodiscard]] std::optional<DecomposedTransform> decompose(const Transform3D& t);
[[nodiscard]] Transform3D recompose(const DecomposedTransform& parts);

// `progress` 0 gives `from`, 1 gives `to`. Transforms that do not decompose are interpolated
// element by element.
[[nodiscard]] Transform3D interpolate(const Transform3D& from, const Transform3D& to, float progress);

} // namespace torvane::platform
