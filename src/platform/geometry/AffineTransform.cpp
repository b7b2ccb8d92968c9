#include "platform/geometry/AffineTransform.h"

namespace torvane::platform {

AffineTransform scale(const AffineTransform& t, float sx, float sy) {
    return {sx * t.a, sx * t.b, sy * t.c, sy * t.d, t.tx, t.ty};
}

AffineTransform translate(const AffineTransform& t, float dx, float dy) {
    return {t.a, t.b, t.c, t.d, dx * t.a + dy * t.c + t.tx, dx * t.b + dy * t.d + t.ty};
}

Point apply(const AffineTransform& t, Point p) {
    return {t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}

} // namespace torvane::platform
