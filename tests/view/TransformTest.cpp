#include "platform/geometry/AffineTransform.h"
#include "platform/geometry/Transform3D.h"
#include "platform/geometry/TransformInterpolation.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace torvane::platform;

namespace {

constexpr float halfPi = 1.5707964f;
constexpr float perspective = -0.002f;

Transform3D withPerspective() {
    Transform3D t;
    t.m34 = perspective;
    return t;
}

void expectNear(const Transform3D& expected, const Transform3D& actual, float tolerance = 1e-4f) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(expected.at(i, j), actual.at(i, j), tolerance) << "m" << i + 1 << j + 1;
}

Point project(const Transform3D& t, float x, float y) {
    Point3D p = multiply(t, {x, y, 0, 1});
    return {p.x / p.w, p.y / p.w};
}

} // namespace

TEST(AffineTransform, ScaleActsBeforeTheTranslation) {
    // The body's zoom: translated, then scaled; the translation is not scaled.
    AffineTransform zoom = scale(AffineTransform::makeTranslation(0, 202), 1.52f, 1.52f);
    EXPECT_EQ(zoom, (AffineTransform{1.52f, 0, 0, 1.52f, 0, 202}));
    Point p = apply(zoom, {10, 10});
    EXPECT_FLOAT_EQ(p.x, 15.2f);
    EXPECT_FLOAT_EQ(p.y, 217.2f);
}

TEST(AffineTransform, TranslationPassesThroughTheLinearPart) {
    EXPECT_EQ(translate(AffineTransform::identity(), 0, -670), AffineTransform::makeTranslation(0, -670));
    AffineTransform zoom{1.52f, 0, 0, 1.52f, 0, 290};
    AffineTransform lens = translate(zoom, 0, -670);
    EXPECT_FLOAT_EQ(lens.ty, -670 * 1.52f + 290);
    EXPECT_FLOAT_EQ(lens.a, 1.52f);
    // A slide composed twice is the sum of both slides.
    AffineTransform twice = translate(translate(AffineTransform::identity(), 0, 156), 0, 156);
    EXPECT_FLOAT_EQ(twice.ty, 312);
    // With a rotation the offset turns with it.
    AffineTransform quarter{0, 1, -1, 0, 0, 0};
    AffineTransform moved = translate(quarter, 5, 0);
    EXPECT_FLOAT_EQ(moved.tx, 0);
    EXPECT_FLOAT_EQ(moved.ty, 5);
}

TEST(Transform3D, FromAffineMapsPointsTheSameWay) {
    AffineTransform t{1.5f, 0.25f, -0.5f, 2, 7, -3};
    Point flat = apply(t, {4, 9});
    Point deep = project(Transform3D::fromAffine(t), 4, 9);
    EXPECT_FLOAT_EQ(flat.x, deep.x);
    EXPECT_FLOAT_EQ(flat.y, deep.y);
    EXPECT_TRUE(isAffine2D(Transform3D::fromAffine(t)));
    // A flat view has z = 0: the perspective term alone changes nothing of it, a tilt does.
    EXPECT_TRUE(isAffine2D(withPerspective()));
    EXPECT_FALSE(isAffine2D(rotate(withPerspective(), 0.5f, 1, 0, 0)));
}

TEST(Transform3D, PerspectiveDividesByWInRowVectorOrder) {
    // A point 100 points in front of the screen, with a viewing distance of 500, is 1.25 times larger.
    Point3D p = multiply(withPerspective(), {10, -20, 100, 1});
    EXPECT_FLOAT_EQ(p.w, 0.8f);
    EXPECT_FLOAT_EQ(p.x / p.w, 12.5f);
    EXPECT_FLOAT_EQ(p.y / p.w, -25);
}

TEST(Transform3D, RotationActsBeforeTheTransform) {
    // The tray turned edge-on: its lower edge comes towards the viewer and its height vanishes.
    Transform3D edgeOn = rotate(withPerspective(), halfPi, 1, 0, 0);
    Point3D lower = multiply(edgeOn, {0, 95, 0, 1});
    EXPECT_NEAR(lower.y, 0, 1e-4);
    EXPECT_NEAR(lower.z, 95, 1e-4);
    EXPECT_NEAR(lower.w, 1 + 95 * perspective, 1e-6);
    // The other order would put the perspective before the rotation: no depth, no divide.
    Transform3D wrongOrder = concat(withPerspective(), makeRotation(halfPi, 1, 0, 0));
    EXPECT_NE(edgeOn, wrongOrder);
    EXPECT_FLOAT_EQ(multiply(wrongOrder, {0, 95, 0, 1}).w, 1);

    // Half-way, the nearer lower edge is wider on screen than the upper one.
    Transform3D half = rotate(withPerspective(), halfPi / 2, 1, 0, 0);
    float lowerWidth = project(half, 160, 95).x * 2;
    float upperWidth = project(half, 160, -95).x * 2;
    EXPECT_GT(lowerWidth, 320);
    EXPECT_LT(upperWidth, 320);

    // Rotating back by the opposite angle returns to the perspective-only transform.
    expectNear(withPerspective(), rotate(edgeOn, -halfPi, 1, 0, 0));
}

TEST(Transform3D, RotationAboutZMatchesThePlatformsTwoDimensionalRotation) {
    Transform3D r = makeRotation(0.5f, 0, 0, 1);
    EXPECT_FLOAT_EQ(r.m11, std::cos(0.5f));
    EXPECT_FLOAT_EQ(r.m12, std::sin(0.5f));
    EXPECT_FLOAT_EQ(r.m21, -std::sin(0.5f));
    EXPECT_EQ(makeRotation(1, 0, 0, 0), Transform3D::identity()); // no axis: no rotation
}

TEST(Transform3D, ElementsAreAddressedByRowAndColumn) {
    Transform3D t;
    t.at(2, 3) = perspective;
    t.at(3, 1) = 7;
    t.at(1, 0) = 3;
    EXPECT_EQ(t, (Transform3D{1, 0, 0, 0, 3, 1, 0, 0, 0, 0, 1, perspective, 0, 7, 0, 1}));
    const Transform3D& same = t;
    EXPECT_EQ(same.at(3, 3), 1);
}

TEST(TransformInterpolation, EndpointsAreExact) {
    Transform3D from = withPerspective();
    Transform3D to = rotate(from, halfPi, 1, 0, 0);
    EXPECT_EQ(interpolate(from, to, 0), from);
    EXPECT_EQ(interpolate(from, to, 1), to);
}

TEST(TransformInterpolation, DecompositionRoundTrips) {
    Transform3D samples[] = {
        withPerspective(),
        rotate(withPerspective(), halfPi, 1, 0, 0),
        Transform3D::fromAffine({1.52f, 0, 0, 1.52f, 0, 290}),
        Transform3D::fromAffine({-1, 0, 0, 2, 3, 4}), // a mirror
        rotate(Transform3D::fromAffine({1, 0.3f, 0, 1, 5, 0}), 0.7f, 0.2f, 1, 0.4f),
    };
    for (const auto& sample : samples) {
        auto parts = decompose(sample);
        ASSERT_TRUE(parts);
        expectNear(sample, recompose(*parts), 1e-4f);
    }
    Transform3D collapsed = Transform3D::fromAffine({0, 0, 0, 0, 1, 1});
    EXPECT_FALSE(decompose(collapsed));
    // Without a decomposition the parts are mixed element by element, never garbage.
    Transform3D mid = interpolate(collapsed, Transform3D::identity(), 0.5f);
    EXPECT_FLOAT_EQ(mid.m11, 0.5f);
    EXPECT_FLOAT_EQ(mid.m42, 0.5f);
    EXPECT_FLOAT_EQ(mid.m44, 1);
}

TEST(TransformInterpolation, TheFlipFromEdgeOnToFlatIsARotation) {
    Transform3D flat = withPerspective();
    Transform3D edgeOn = rotate(flat, halfPi, 1, 0, 0);
    for (float progress : {0.25f, 0.5f, 0.75f})
        expectNear(rotate(flat, halfPi * (1 - progress), 1, 0, 0), interpolate(edgeOn, flat, progress));
}

TEST(TransformInterpolation, TranslationAndScaleMoveSeparately) {
    Transform3D zoom = Transform3D::fromAffine({1.52f, 0, 0, 1.52f, 0, 202});
    Transform3D mid = interpolate(Transform3D::identity(), zoom, 0.5f);
    EXPECT_NEAR(mid.m11, 1.26f, 1e-5);
    EXPECT_NEAR(mid.m22, 1.26f, 1e-5);
    EXPECT_NEAR(mid.m42, 101, 1e-4);
    EXPECT_NEAR(mid.m12, 0, 1e-6);
}
