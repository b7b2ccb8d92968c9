#include "platform/geometry/TransformInterpolation.h"

#include <array>
#include <cmath>
#include <utility>

namespace torvane::platform {

namespace {

constexpr float tiny = 1e-6f;

struct Matrix {
    double m[4][4];
};

Matrix toMatrix(const Transform3D& t) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = t.at(i, j);
    return r;
}

Transform3D toTransform(const Matrix& r) {
    Transform3D t;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            t.at(i, j) = float(r.m[i][j]);
    return t;
}

double determinant3(const double a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

// Solves n · x = rhs for a 4×4 n by Gaussian elimination with pivoting.
std::optional<std::array<double, 4>> solve(Matrix n, std::array<double, 4> rhs) {
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 4; ++row)
            if (std::fabs(n.m[row][col]) > std::fabs(n.m[pivot][col]))
                pivot = row;
        if (std::fabs(n.m[pivot][col]) < 1e-12)
            return std::nullopt;
        std::swap(n.m[pivot], n.m[col]);
        std::swap(rhs[pivot], rhs[col]);
        for (int row = 0; row < 4; ++row) {
            if (row == col)
                continue;
            double f = n.m[row][col] / n.m[col][col];
            for (int k = col; k < 4; ++k)
                n.m[row][k] -= f * n.m[col][k];
            rhs[row] -= f * rhs[col];
        }
    }
    std::array<double, 4> x;
    for (int i = 0; i < 4; ++i)
        x[i] = rhs[i] / n.m[i][i];
    return x;
}

double dot3(const double* a, const double* b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void quaternionFromRows(const double r[3][3], float q[4]) {
    double trace = r[0][0] + r[1][1] + r[2][2];
    double x, y, z, w;
    if (trace > 0) {
        double s = std::sqrt(trace + 1.0) * 2;
        w = 0.25 * s;
        x = (r[1][2] - r[2][1]) / s;
        y = (r[2][0] - r[0][2]) / s;
        z = (r[0][1] - r[1][0]) / s;
    } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
        double s = std::sqrt(1.0 + r[0][0] - r[1][1] - r[2][2]) * 2;
        w = (r[1][2] - r[2][1]) / s;
        x = 0.25 * s;
        y = (r[1][0] + r[0][1]) / s;
        z = (r[2][0] + r[0][2]) / s;
    } else if (r[1][1] > r[2][2]) {
        double s = std::sqrt(1.0 + r[1][1] - r[0][0] - r[2][2]) * 2;
        w = (r[2][0] - r[0][2]) / s;
        x = (r[1][0] + r[0][1]) / s;
        y = 0.25 * s;
        z = (r[2][1] + r[1][2]) / s;
    } else {
        double s = std::sqrt(1.0 + r[2][2] - r[0][0] - r[1][1]) * 2;
        w = (r[0][1] - r[1][0]) / s;
        x = (r[2][0] + r[0][2]) / s;
        y = (r[2][1] + r[1][2]) / s;
        z = 0.25 * s;
    }
    q[0] = float(x);
    q[1] = float(y);
    q[2] = float(z);
    q[3] = float(w);
}

// The inverse of quaternionFromRows: the rows of the rotation as points see it (row vectors).
void rowsFromQuaternion(const float q[4], double r[3][3]) {
    double x = q[0], y = q[1], z = q[2], w = q[3];
    r[0][0] = 1 - 2 * (y * y + z * z);
    r[0][1] = 2 * (x * y + z * w);
    r[0][2] = 2 * (x * z - y * w);
    r[1][0] = 2 * (x * y - z * w);
    r[1][1] = 1 - 2 * (x * x + z * z);
    r[1][2] = 2 * (y * z + x * w);
    r[2][0] = 2 * (x * z + y * w);
    r[2][1] = 2 * (y * z - x * w);
    r[2][2] = 1 - 2 * (x * x + y * y);
}

void slerp(const float a[4], const float b[4], float t, float out[4]) {
    double d = double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2] + double(a[3]) * b[3];
    double sign = 1;
    if (d < 0) { // take the short way round
        d = -d;
        sign = -1;
    }
    double wa, wb;
    if (d > 0.9995) {
        wa = 1 - t;
        wb = t;
    } else {
        double theta = std::acos(d);
        double s = std::sin(theta);
        wa = std::sin((1 - t) * theta) / s;
        wb = std::sin(t * theta) / s;
    }
    double length = 0;
    double r[4];
    for (int i = 0; i < 4; ++i) {
        r[i] = wa * a[i] + wb * sign * b[i];
        length += r[i] * r[i];
    }
    length = std::sqrt(length);
    for (int i = 0; i < 4; ++i)
        out[i] = float(r[i] / length);
}

float mix(float a, float b, float t) {
    return a + (b - a) * t;
}

} // namespace

std::optional<DecomposedTransform> decompose(const Transform3D& t) {
    Matrix m = toMatrix(t);
    const double w = m.m[3][3];
    if (std::fabs(w) < tiny)
        return std::nullopt;
    for (auto& row : m.m)
        for (double& v : row)
            v /= w;

    DecomposedTransform parts;
    // The matrix is an affine part followed by a pure perspective: m = a · p. Its last column is
    // then a's rows applied to p's last column, so p follows from one linear solve.
    Matrix affine = m;
    for (int i = 0; i < 3; ++i)
        affine.m[i][3] = 0;
    affine.m[3][3] = 1;
    if (m.m[0][3] != 0 || m.m[1][3] != 0 || m.m[2][3] != 0) {
        auto p = solve(affine, {m.m[0][3], m.m[1][3], m.m[2][3], m.m[3][3]});
        if (!p)
            return std::nullopt;
        for (int i = 0; i < 4; ++i)
            parts.perspective[i] = float((*p)[i]);
    }
    for (int i = 0; i < 3; ++i)
        parts.translation[i] = float(m.m[3][i]);

    // Gram–Schmidt on the rows of the linear part: rows = scaleSkew · rotation.
    double rows[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            rows[i][j] = m.m[i][j];
    double l[3][3] = {};
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < i; ++k) {
            l[i][k] = dot3(rows[i], rows[k]);
            for (int j = 0; j < 3; ++j)
                rows[i][j] -= l[i][k] * rows[k][j];
        }
        double length = std::sqrt(dot3(rows[i], rows[i]));
        if (length < tiny)
            return std::nullopt;
        l[i][i] = length;
        for (int j = 0; j < 3; ++j)
            rows[i][j] /= length;
    }
    if (determinant3(rows) < 0) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                rows[i][j] = -rows[i][j];
                l[i][j] = -l[i][j];
            }
    }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            parts.scaleSkew[i][j] = float(l[i][j]);
    quaternionFromRows(rows, parts.quaternion);
    return parts;
}

Transform3D recompose(const DecomposedTransform& parts) {
    double rotation[3][3];
    rowsFromQuaternion(parts.quaternion, rotation);
    Matrix affine{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += double(parts.scaleSkew[i][k]) * rotation[k][j];
            affine.m[i][j] = sum;
        }
    for (int j = 0; j < 3; ++j)
        affine.m[3][j] = parts.translation[j];
    affine.m[3][3] = 1;
    Matrix perspective{};
    for (int i = 0; i < 4; ++i) {
        perspective.m[i][i] = 1;
        perspective.m[i][3] = parts.perspective[i];
    }
    return concat(toTransform(affine), toTransform(perspective));
}

Transform3D interpolate(const Transform3D& from, const Transform3D& to, float progress) {
    if (progress <= 0)
        return from;
    if (progress >= 1)
        return to;
    auto a = decompose(from);
    auto b = decompose(to);
    if (!a || !b) {
        Transform3D r;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                r.at(i, j) = mix(from.at(i, j), to.at(i, j), progress);
        return r;
    }
    DecomposedTransform r;
    for (int i = 0; i < 3; ++i)
        r.translation[i] = mix(a->translation[i], b->translation[i], progress);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.scaleSkew[i][j] = mix(a->scaleSkew[i][j], b->scaleSkew[i][j], progress);
    for (int i = 0; i < 4; ++i)
        r.perspective[i] = mix(a->perspective[i], b->perspective[i], progress);
    slerp(a->quaternion, b->quaternion, progress, r.quaternion);
    return recompose(r);
}

} // namespace torvane::platform
