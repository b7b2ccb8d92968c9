#include "platform/geometry/Transform3D.h"

#include <cmath>

namespace torvane::platform {

Transform3D Transform3D::fromAffine(const AffineTransform& t) {
    Transform3D r;
    r.m11 = t.a;
    r.m12 = t.b;
    r.m21 = t.c;
    r.m22 = t.d;
    r.m41 = t.tx;
    r.m42 = t.ty;
    return r;
}

Transform3D concat(const Transform3D& first, const Transform3D& second) {
    Transform3D r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += first.at(i, k) * second.at(k, j);
            r.at(i, j) = sum;
        }
    return r;
}

Transform3D makeRotation(float angle, float x, float y, float z) {
    float length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0) || !std::isfinite(length))
        return {};
    x /= length;
    y /= length;
    z /= length;
    float c = std::cos(angle), s = std::sin(angle), k = 1 - c;
    // The transpose of the usual column-vector rotation, since points are rows here; about z it
    // gives the 2D platform rotation (m12 = sin).
    Transform3D r;
    r.m11 = c + k * x * x;
    r.m12 = k * x * y + s * z;
    r.m13 = k * x * z - s * y;
    r.m21 = k * x * y - s * z;
    r.m22 = c + k * y * y;
    r.m23 = k * y * z + s * x;
    r.m31 = k * x * z + s * y;
    r.m32 = k * y * z - s * x;
    r.m33 = c + k * z * z;
    return r;
}

Transform3D rotate(const Transform3D& t, float angle, float x, float y, float z) {
    return concat(makeRotation(angle, x, y, z), t);
}

Point3D multiply(const Transform3D& t, Point3D p) {
    return {p.x * t.m11 + p.y * t.m21 + p.z * t.m31 + p.w * t.m41,
            p.x * t.m12 + p.y * t.m22 + p.z * t.m32 + p.w * t.m42,
            p.x * t.m13 + p.y * t.m23 + p.z * t.m33 + p.w * t.m43,
            p.x * t.m14 + p.y * t.m24 + p.z * t.m34 + p.w * t.m44};
}

bool isAffine2D(const Transform3D& t) {
    // Points of a flat view have z = 0, so only the x, y and w columns of rows 1, 2 and 4 matter.
    return t.m14 == 0 && t.m24 == 0 && t.m44 == 1;
}

} // namespace torvane::platform
