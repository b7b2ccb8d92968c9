#include "platform/view/Animator.h"
#include "platform/core/Clock.h"
#include "platform/geometry/TransformInterpolation.h"
#include "platform/view/ImageView.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace torvane::platform;

namespace {

// Identifiers are compared by address, as the controller's completion handler does.
const char* const First = "First";
const char* const Second = "Second";
const char* const Empty = "Empty";

struct Ended {
    const char* id;
    bool finished;
};

class AnimatorTest : public ::testing::Test {
  protected:
    void begin(const char* id, double duration) {
        animator.beginAnimations(id);
        animator.setAnimationDelegate([this](const char* ended, bool finished) {
            ends.push_back({ended, finished});
        });
        animator.setAnimationDuration(duration);
    }
    void step(double seconds) {
        clock.advance(seconds);
        animator.advance(clock.now());
    }
    int endsOf(const char* id) const {
        int count = 0;
        for (const auto& end : ends)
            count += end.id == id;
        return count;
    }

    Clock clock{ClockMode::Virtual};
    Trace trace{clock};
    NeedsDisplay needsDisplay;
    Animator animator{clock, trace, needsDisplay};
    std::vector<Ended> ends;
};

Transform3D down(float dy) {
    return Transform3D::fromAffine(AffineTransform::makeTranslation(0, dy));
}

} // namespace

TEST(EaseInEaseOut, FollowsThePlatformsDefaultCurve) {
    EXPECT_EQ(easeInEaseOut(0), 0);
    EXPECT_EQ(easeInEaseOut(1), 1);
    EXPECT_EQ(easeInEaseOut(-3), 0);
    EXPECT_EQ(easeInEaseOut(7), 1);
    EXPECT_NEAR(easeInEaseOut(0.5), 0.5, 1e-9); // the curve is symmetric
    EXPECT_LT(easeInEaseOut(0.1), 0.1);         // slow out of the start
    EXPECT_GT(easeInEaseOut(0.9), 0.9);         // slow into the end
    EXPECT_NEAR(easeInEaseOut(0.25) + easeInEaseOut(0.75), 1, 1e-9);
    double previous = 0;
    for (int i = 1; i <= 100; ++i) {
        double value = easeInEaseOut(i / 100.0);
        EXPECT_GE(value, previous);
        previous = value;
    }
}

TEST_F(AnimatorTest, AChangeInsideABlockAnimatesFromTheScreenToTheNewValue) {
    ImageView view(animator, "lens", {0, 0, 100, 100});
    begin(First, 0.5);
    view.setTransform(AffineTransform::makeTranslation(0, -200));
    animator.commitAnimations();
    EXPECT_EQ(view.transform(), down(-200)); // the model value is the new one at once
    EXPECT_EQ(view.presentationTransform(clock.now()), Transform3D::identity());
    step(0.25);
    EXPECT_NEAR(view.presentationTransform(clock.now()).m42, -100, 1e-3);
    step(0.25);
    EXPECT_EQ(view.presentationTransform(clock.now()), down(-200));
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].id, First);
    EXPECT_TRUE(ends[0].finished);
    EXPECT_FALSE(animator.isAnimating(clock.now()));
}

TEST_F(AnimatorTest, AChangeOutsideABlockAppliesAtOnce) {
    ImageView view(animator, "base", {0, 0, 10, 10});
    view.setTransform(AffineTransform::makeTranslation(5, 5));
    EXPECT_EQ(view.presentationTransform(clock.now()),
              Transform3D::fromAffine(AffineTransform::makeTranslation(5, 5)));
    EXPECT_FALSE(animator.isAnimating(clock.now()));
}

TEST_F(AnimatorTest, AReplacedBlockEndsAtOnceUnfinishedAndOnlyOnce) {
    ImageView tray(animator, "controlTrayView", {0, 291, 320, 190});
    begin(First, 0.5);
    tray.setTransform(AffineTransform::makeTranslation(0, 156));
    animator.commitAnimations();
    step(0.25);
    Transform3D halfway = tray.presentationTransform(clock.now());

    begin(Second, 0.5);
    tray.setTransform(AffineTransform::makeTranslation(0, 156));
    animator.commitAnimations();
    // The new block starts from what is on screen, not from the old block's end.
    EXPECT_EQ(tray.presentationTransform(clock.now()), halfway);
    EXPECT_TRUE(ends.empty()); // reported from the loop, not from inside the setter

    step(1.0 / 60);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].id, First);
    EXPECT_FALSE(ends[0].finished);

    step(0.5);
    EXPECT_EQ(endsOf(First), 1); // never again, though its time has now passed
    ASSERT_EQ(endsOf(Second), 1);
    EXPECT_TRUE(ends.back().finished);
    EXPECT_EQ(tray.presentationTransform(clock.now()), down(156));
}

TEST_F(AnimatorTest, TwoChangesInOneBlockKeepTheFirstStartingPoint) {
    ImageView view(animator, "lens", {0, 0, 10, 10});
    begin(First, 0.5);
    view.setTransform(AffineTransform::makeTranslation(0, 100));
    view.setTransform(AffineTransform::makeTranslation(0, 200));
    animator.commitAnimations();
    step(0.25);
    EXPECT_NEAR(view.presentationTransform(clock.now()).m42, 100, 1e-3);
    step(0.25);
    EXPECT_EQ(ends.size(), 1u);
    EXPECT_TRUE(ends[0].finished);
}

TEST_F(AnimatorTest, EveryBlockEndsOnceEvenWithoutChangesOrWithATinyDuration) {
    begin(Empty, 0.5);
    animator.commitAnimations();
    begin(First, 0.0001);
    ImageView tray(animator, "controlTrayView", {0, 0, 320, 190});
    tray.setLayerTransform(rotate(Transform3D{}, 1.5707964f, 1, 0, 0));
    animator.commitAnimations();
    animator.advance(clock.now());
    EXPECT_TRUE(ends.empty()); // nothing ends before its time
    step(1.0 / 60);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].id, First);
    EXPECT_TRUE(ends[0].finished);
    for (int i = 0; i < 40; ++i)
        step(1.0 / 60);
    EXPECT_EQ(endsOf(Empty), 1);
    EXPECT_EQ(endsOf(First), 1);
}

TEST_F(AnimatorTest, ACompletionMayStartTheNextBlockOfAChain) {
    ImageView lens(animator, "imageLensView", {0, 480, 320, 480});
    animator.beginAnimations(First);
    animator.setAnimationDelegate([&](const char* id, bool finished) {
        ends.push_back({id, finished});
        if (id == First) {
            begin(Second, 0.5);
            lens.setTransform(AffineTransform::makeTranslation(0, -670));
            animator.commitAnimations();
        }
    });
    animator.setAnimationDuration(0.5);
    animator.commitAnimations();
    for (int i = 0; i < 61; ++i)
        step(1.0 / 60);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[0].id, First);
    EXPECT_EQ(ends[1].id, Second);
    EXPECT_EQ(lens.presentationTransform(clock.now()), down(-670));
}

TEST_F(AnimatorTest, ASlideOfOneBlockThatLosesOnlyOneOfItsViewsKeepsTheOtherMoving) {
    ImageView lens(animator, "imageLensView", {0, 480, 320, 480});
    ImageView tray(animator, "controlTrayView", {0, 291, 320, 190});
    begin(First, 0.5);
    lens.setTransform(AffineTransform::makeTranslation(0, -513));
    tray.setTransform(AffineTransform::makeTranslation(0, 156));
    animator.commitAnimations();
    step(0.1);
    begin(Second, 0.5);
    tray.setTransform(AffineTransform::identity());
    animator.commitAnimations();
    step(0.1);
    EXPECT_EQ(endsOf(First), 1);
    EXPECT_TRUE(lens.isAnimating(clock.now()));
    EXPECT_TRUE(animator.isAnimating(clock.now()));
    step(0.5);
    EXPECT_EQ(lens.presentationTransform(clock.now()), down(-513));
    EXPECT_EQ(tray.presentationTransform(clock.now()), Transform3D::identity());
}
