#include "platform/view/Renderer.h"
#include "platform/storage/ResourceBundle.h"
#include "platform/view/Animator.h"
#include "platform/view/CutCopy.h"
#include "platform/view/Image.h"
#include "platform/view/ImageView.h"
#include "platform/view/PngFile.h"
#include "platform/view/StretchBlend.h"

#include "../support/TestContext.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace torvane::platform;

namespace {

SurfacePointer solid(int width, int height, Uint32 argb) {
    SurfacePointer surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888));
    SDL_FillRect(surface.get(), nullptr, argb);
    return surface;
}

Uint32 pixel(SDL_Surface* surface, int x, int y) {
    return static_cast<Uint32*>(surface->pixels)[y * surface->pitch / 4 + x] & 0xFFFFFF;
}

// A software renderer on a surface, as headless drawing uses.
struct Offscreen {
    Offscreen(int width, int height)
        : surface(solid(width, height, 0xFF000000)), sdl(SDL_CreateSoftwareRenderer(surface.get())) {}
    SurfacePointer surface;
    RendererPointer sdl;
};

} // namespace

TEST(Image, OpaquePicturesAreToldApartFromTranslucentOnes) {
    EXPECT_TRUE(Image("red.png", solid(4, 4, 0xFFFF0000), 1).isOpaque());
    EXPECT_FALSE(Image("glass.png", solid(4, 4, 0x80FF0000), 1).isOpaque());
    Image sharp("sharp.png", solid(60, 56, 0xFFFFFFFF), 2);
    EXPECT_FLOAT_EQ(sharp.size().width, 30);
    EXPECT_FLOAT_EQ(sharp.size().height, 28);
}

TEST(Image, ImageNamedTakesTheSharpestVariantAndToleratesMissingFiles) {
    TestContext t;
    std::string whyNot;
    ASSERT_TRUE(writePng(*solid(10, 10, 0xFF00FF00), (t.folder / "dot.png").string(), whyNot)) << whyNot;
    ASSERT_TRUE(writePng(*solid(20, 20, 0xFF00FF00), (t.folder / "dot@2x.png").string(), whyNot)) << whyNot;
    setenv("TORVANE_RESOURCES", t.folder.path().c_str(), 1);

    ImageCache& images = t.context.images;
    images.setScale(2);
    auto dot = images.imageNamed("dot.png");
    ASSERT_TRUE(dot);
    EXPECT_FLOAT_EQ(dot->size().width, 10);
    EXPECT_EQ(images.imageNamed("dot.png"), dot); // loaded once
    EXPECT_EQ(images.imageNamed("missing.png"), nullptr);

    // Held once: in software the file is decoded straight into the texture, and again for a lost
    // texture; a renderer that wants the pixels in memory has them decoded, and then let go.
    Offscreen screen(20, 20);
    Renderer renderer(screen.sdl.get(), t.context.trace);
    auto view = std::make_shared<ImageView>(t.context.animator, "dot", Rect{0, 0, 10, 10});
    view->setImage(dot);
    for (int round = 0; round < 2; ++round) {
        renderer.forgetTextures();
        renderer.draw(*view, 0, 2);
        SDL_RenderFlush(screen.sdl.get());
        EXPECT_EQ(pixel(screen.surface.get(), 19, 19), 0x00FF00u);
        EXPECT_FALSE(dot->holdsPixels());
    }
    EXPECT_EQ(dot->surface(t.context.trace)->w, 20);
    renderer.forgetTextures();
    ASSERT_TRUE(renderer.texture(dot));
    EXPECT_FALSE(dot->holdsPixels());

    // A file that is not a picture gives no image either; one cut short after its header gives
    // an image that draws nothing.
    t.folder.write("bad.png", "not a png");
    EXPECT_EQ(images.imageNamed("bad.png"), nullptr);
    std::string whole = t.folder.read("dot@2x.png");
    t.folder.write("cut@2x.png", whole.substr(0, whole.size() / 2));
    auto cut = images.imageNamed("cut.png");
    ASSERT_TRUE(cut);
    EXPECT_EQ(renderer.texture(cut), nullptr);
    unsetenv("TORVANE_RESOURCES");
}

TEST(Renderer, StretchesEachImageIntoItsFrameAndChildrenIntoTheirParents) {
    TestContext t;
    Offscreen screen(100, 100);
    Renderer renderer(screen.sdl.get(), t.context.trace);
    auto root = std::make_shared<ImageView>(t.context.animator, "root", Rect{0, 0, 100, 100});
    auto red = std::make_shared<ImageView>(t.context.animator, "red", Rect{10, 10, 40, 20});
    red->setImage(std::make_shared<Image>("red.png", solid(2, 2, 0xFFFF0000), 1));
    auto blue = std::make_shared<ImageView>(t.context.animator, "blue", Rect{5, 5, 10, 10});
    blue->setImage(std::make_shared<Image>("blue.png", solid(2, 2, 0xFF0000FF), 1));
    red->addSubview(blue);
    root->addSubview(red);
    // The parent moves down by 50: its child moves with it.
    red->setTransform(AffineTransform::makeTranslation(0, 50));
    renderer.draw(*root, 0, 1);
    SDL_RenderFlush(screen.sdl.get());
    EXPECT_EQ(pixel(screen.surface.get(), 30, 75), 0xFF0000u);
    EXPECT_EQ(pixel(screen.surface.get(), 30, 15), 0x000000u);
    EXPECT_EQ(pixel(screen.surface.get(), 18, 68), 0x0000FFu);

    // Hidden views and their children are not drawn.
    red->setHidden(true);
    renderer.draw(*root, 0, 1);
    SDL_RenderFlush(screen.sdl.get());
    EXPECT_EQ(pixel(screen.surface.get(), 30, 75), 0x000000u);
}

TEST(Renderer, AScaledViewGrowsAboutItsCentreAndAnEdgeOnOneVanishes) {
    TestContext t;
    Offscreen screen(100, 100);
    Renderer renderer(screen.sdl.get(), t.context.trace);
    auto root = std::make_shared<ImageView>(t.context.animator, "root", Rect{0, 0, 100, 100});
    auto view = std::make_shared<ImageView>(t.context.animator, "tray", Rect{40, 40, 20, 20});
    view->setImage(std::make_shared<Image>("white.png", solid(4, 4, 0xFFFFFFFF), 1));
    root->addSubview(view);
    view->setTransform(scale(AffineTransform::identity(), 2, 2));
    renderer.draw(*root, 0, 2); // 2 pixels a point: the view covers 30…70 points, 60…140 pixels
    SDL_RenderFlush(screen.sdl.get());
    EXPECT_EQ(pixel(screen.surface.get(), 65, 65), 0xFFFFFFu);
    EXPECT_EQ(pixel(screen.surface.get(), 55, 55), 0x000000u);

    Transform3D edgeOn;
    edgeOn.m34 = -0.002f;
    edgeOn = rotate(edgeOn, 1.5707964f, 1, 0, 0);
    view->setLayerTransform(edgeOn);
    renderer.draw(*root, 0, 1);
    SDL_RenderFlush(screen.sdl.get());
    int lit = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            lit += pixel(screen.surface.get(), x, y) != 0;
    EXPECT_LE(lit, 40); // at most a line of pixels

    // Half-way up, its nearer lower edge is drawn wider than its upper edge.
    Transform3D half;
    half.m34 = -0.02f;
    half = rotate(half, 0.6f, 1, 0, 0);
    view->setLayerTransform(half);
    renderer.draw(*root, 0, 1);
    SDL_RenderFlush(screen.sdl.get());
    auto widthOfRow = [&](int y) {
        int count = 0;
        for (int x = 0; x < 100; ++x)
            count += pixel(screen.surface.get(), x, y) != 0;
        return count;
    };
    int top = 0, bottom = 0;
    for (int y = 0; y < 100; ++y)
        if (widthOfRow(y)) {
            if (!top)
                top = widthOfRow(y);
            bottom = widthOfRow(y);
        }
    EXPECT_GT(bottom, top);
}

TEST(Renderer, AViewThatFillsTheSidesContinuesItsEdgeColumnsBesideTheColumnWhileItLiesFlat) {
    TestContext t;
    Offscreen screen(300, 100);
    Renderer renderer(screen.sdl.get(), t.context.trace);
    // A column of 100x100 points in the middle of a 300-pixel-wide drawable.
    ColumnFit fit = fitColumn({300, 100}, {100, 100});
    ASSERT_FLOAT_EQ(fit.left, 100);
    auto root = std::make_shared<ImageView>(t.context.animator, "root", Rect{0, 0, 100, 100});
    auto lens = std::make_shared<ImageView>(t.context.animator, "lens", Rect{0, 50, 100, 50});
    SurfacePointer picture = solid(5, 1, 0xFF00FF00);
    static_cast<Uint32*>(picture->pixels)[0] = 0xFFFF0000; // red at the left edge
    static_cast<Uint32*>(picture->pixels)[4] = 0xFF0000FF; // blue at the right
    lens->setImage(std::make_shared<Image>("lens.png", std::move(picture), 1));
    root->addSubview(lens);

    renderer.draw(*root, 0, fit);
    SDL_RenderFlush(screen.sdl.get());
    EXPECT_EQ(pixel(screen.surface.get(), 50, 20), 0x000000u) << "beside the column, above the view";
    EXPECT_EQ(pixel(screen.surface.get(), 50, 75), 0x000000u) << "not asked to fill the sides";

    lens->setFillsSides(true);
    renderer.draw(*root, 0, fit);
    SDL_RenderFlush(screen.sdl.get());
    EXPECT_EQ(pixel(screen.surface.get(), 0, 75), 0xFF0000u);
    EXPECT_EQ(pixel(screen.surface.get(), 99, 99), 0xFF0000u);
    EXPECT_EQ(pixel(screen.surface.get(), 150, 75), 0x00FF00u);
    EXPECT_EQ(pixel(screen.surface.get(), 299, 75), 0x0000FFu);
    EXPECT_EQ(pixel(screen.surface.get(), 50, 20), 0x000000u);

    // Tilted in perspective, it has no straight sides to continue.
    Transform3D perspective = Transform3D::identity();
    perspective.m34 = -0.01f;
    lens->setLayerTransform(rotate(perspective, 0.5f, 1, 0, 0));
    renderer.draw(*root, 0, fit);
    SDL_RenderFlush(screen.sdl.get());
    EXPECT_EQ(pixel(screen.surface.get(), 10, 75), 0x000000u);
}

// In software a stretched copy is cut at the output's edges (CutCopy.h): the pieces must meet
// without a gap, which would leave black, or an overlap, which would blend a see-through pixel
// twice.
TEST(Renderer, AStretchedCopyPastTheEdgesCoversEachPixelOnce) {
    auto expectContiguous = [](const CopySpans& cut, int limit) {
        ASSERT_GT(cut.count, 0);
        const CopySpan& first = cut.spans[0];
        const CopySpan& last = cut.spans[std::size_t(cut.count - 1)];
        EXPECT_LE(first.target, 0);
        EXPECT_GE(last.target + last.targetLength, limit);
        for (int i = 1; i < cut.count; ++i) {
            EXPECT_EQ(cut.spans[i].target, cut.spans[i - 1].target + cut.spans[i - 1].targetLength);
            EXPECT_EQ(cut.spans[i].source, cut.spans[i - 1].source + cut.spans[i - 1].sourceLength);
        }
    };
    // 7 source pixels over 23 output pixels from -5: cut at both edges of a 15-pixel output.
    auto cut = cutAtEdges(7, -5, 23, 15);
    ASSERT_EQ(cut.count, 3);
    expectContiguous(cut, 15);
    EXPECT_EQ(cut.spans[0].sourceLength, 1);
    EXPECT_EQ(cut.spans[2].sourceLength, 1);
    EXPECT_GE(cut.spans[1].target, 0);
    EXPECT_LE(cut.spans[1].target + cut.spans[1].targetLength, 15);
    // Inside: the whole copy, as it was asked for.
    cut = cutAtEdges(7, 2, 10, 15);
    ASSERT_EQ(cut.count, 1);
    EXPECT_EQ(cut.spans[0].target, 2);
    EXPECT_EQ(cut.spans[0].targetLength, 10);
    EXPECT_EQ(cut.spans[0].sourceLength, 7);
    // Wholly outside: nothing; all within one source pixel: that pixel alone.
    EXPECT_EQ(cutAtEdges(7, 15, 23, 15).count, 0);
    EXPECT_EQ(cutAtEdges(7, -10, 23, 0).count, 0);
    cut = cutAtEdges(2, -40, 100, 5);
    ASSERT_EQ(cut.count, 1);
    EXPECT_EQ(cut.spans[0].sourceLength, 1);

    // Through SDL's copy, and blended straight onto the output.
    for (bool direct : {false, true}) {
        TestContext t;
        Offscreen screen(50, 40);
        Renderer renderer(screen.sdl.get(), t.context.trace,
                          [&screen, direct] { return direct ? screen.surface.get() : nullptr; });
        auto root = std::make_shared<ImageView>(t.context.animator, "root", Rect{0, 0, 50, 40});
        auto glass = std::make_shared<ImageView>(t.context.animator, "glass", Rect{-7, -9, 67, 61});
        glass->setImage(std::make_shared<Image>("glass.png", solid(6, 5, 0x80FF0000), 1));
        root->addSubview(glass);
        renderer.draw(*root, 0, 1);
        SDL_RenderFlush(screen.sdl.get());
        const Uint32 once = pixel(screen.surface.get(), 25, 20);
        EXPECT_NE(once, 0u);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 50; ++x)
                ASSERT_EQ(pixel(screen.surface.get(), x, y), once)
                    << x << "," << y << (direct ? " direct" : "");
    }
}

// Blended in one pass: pixel centres onto pixel centres, the edge pixels repeated outwards, the
// output's pixels outside the copy and its edges untouched, straight alpha blended as SDL does.
TEST(Renderer, AStretchedBlendSamplesBetweenPixelsAndKeepsToItsTarget) {
    std::vector<Uint32> ramp = {0xFF000000, 0xFFFFFFFF};
    std::vector<Uint32> row(6, 0xFF0000FF);
    stretchBlend({ramp.data(), 2, 1, 8}, {1, 0, 4, 1}, {row.data(), 6, 1, 24});
    EXPECT_EQ(row,
              (std::vector<Uint32>{0xFF0000FF, 0xFF000000, 0xFF404040, 0xFFBFBFBF, 0xFFFFFFFF, 0xFF0000FF}))
        << "a quarter and three quarters of the way";

    std::vector<Uint32> glass = {0x80FF0000, 0x00FFFFFF};
    std::vector<Uint32> output(8 * 3, 0xFF0000FF);
    // Reaching past the left and lower edges: only the output's own pixels are drawn.
    stretchBlend({glass.data(), 2, 1, 8}, {-1, 1, 8, 5}, {output.data(), 8, 3, 32});
    EXPECT_EQ(output[0 * 8 + 0], 0xFF0000FFu) << "above the copy";
    EXPECT_EQ(output[1 * 8 + 0], 0xFF80007Fu) << "half red over blue";
    EXPECT_EQ(output[2 * 8 + 6], 0xFF0000FFu) << "wholly transparent: as it was";
    EXPECT_EQ(output[2 * 8 + 7], 0xFF0000FFu) << "beside the copy";
}

// A picture wholly under an opaque one drawn after it is neither drawn nor made into a texture
// (the first frame's lens under the tray); one that shows at all, or lies under a see-through
// one, is.
TEST(Renderer, APictureWhollyUnderAnOpaqueOneIsNotMadeUntilItShows) {
    TestContext t;
    Offscreen screen(40, 40);
    Renderer renderer(screen.sdl.get(), t.context.trace);
    auto root = std::make_shared<ImageView>(t.context.animator, "root", Rect{0, 0, 40, 40});
    auto under = std::make_shared<ImageView>(t.context.animator, "under", Rect{5, 5, 10, 10});
    under->setImage(std::make_shared<Image>("red.png", solid(2, 2, 0xFFFF0000), 1));
    auto over = std::make_shared<ImageView>(t.context.animator, "over", Rect{0, 0, 20, 20});
    over->setImage(std::make_shared<Image>("blue.png", solid(2, 2, 0xFF0000FF), 1));
    root->addSubview(under);
    root->addSubview(over);
    auto drawn = [&] {
        renderer.draw(*root, 0, 1);
        SDL_RenderFlush(screen.sdl.get());
        return pixel(screen.surface.get(), 10, 10);
    };
    EXPECT_EQ(drawn(), 0x0000FFu);
    EXPECT_EQ(renderer.textureCount(), 1u);

    over->setFrame({6, 0, 20, 20}); // the red picture's left column shows
    EXPECT_EQ(drawn(), 0x0000FFu);
    EXPECT_EQ(pixel(screen.surface.get(), 5, 10), 0xFF0000u);
    EXPECT_EQ(renderer.textureCount(), 2u);

    renderer.forgetTextures();
    over->setFrame({0, 0, 20, 20});
    over->setImage(std::make_shared<Image>("glass.png", solid(2, 2, 0x800000FF), 1));
    EXPECT_NE(drawn(), 0x0000FFu);
    EXPECT_EQ(renderer.textureCount(), 2u);
}
