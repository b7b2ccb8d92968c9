// Plays a small opening sequence headless with made-up pictures, writes shots of it and reports
// the CPU time per frame: a quick look at the views, animations, alerts and drawing at work.
//
//   torvane-view-demo [--out DIR] [--scale N] [--height POINTS] [--alert yes|no]

#include "platform/core/Clock.h"
#include "platform/view/Animator.h"
#include "platform/view/Image.h"
#include "platform/view/ImageView.h"
#include "platform/Context.h"
#include "platform/view/MainLoop.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

using namespace torvane::platform;

namespace {

const char* const MoveBodyIntoPlace = "MoveBodyIntoPlace";
const char* const FlipTrayDown = "FlipTrayDown";
const char* const MoveLensIntoPlace = "MoveLensIntoPlace";
const char* const FlipTrayUp = "FlipTrayUp";

// A picture made in memory: a vertical gradient between two colours, optionally with a round
// translucent edge, `scale` pixels per point.
std::shared_ptr<Image> picture(const char* name, Size points, float scale, Uint32 top, Uint32 bottom,
                               bool rounded) {
    int width = int(points.width * scale), height = int(points.height * scale);
    SurfacePointer surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888));
    if (!surface)
        return nullptr;
    auto* pixels = static_cast<Uint32*>(surface->pixels);
    for (int y = 0; y < height; ++y) {
        float t = float(y) / float(std::max(1, height - 1));
        Uint32 colour = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            float a = float((top >> shift) & 0xFF), b = float((bottom >> shift) & 0xFF);
            colour |= Uint32(a + (b - a) * t) << shift;
        }
        for (int x = 0; x < width; ++x) {
            Uint32 alpha = 0xFF;
            if (rounded) {
                float dx = (float(x) - width / 2.0f) / (width / 2.0f),
                      dy = (float(y) - height / 2.0f) / (height / 2.0f);
                alpha = dx * dx + dy * dy <= 1 ? 0xFF : 0;
            }
            pixels[y * surface->pitch / 4 + x] = (alpha << 24) | colour;
        }
    }
    return std::make_shared<Image>(name, std::move(surface), scale);
}

double cpuSeconds() {
    timespec cpuTime{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuTime);
    return double(cpuTime.tv_sec) + double(cpuTime.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    std::filesystem::path out = ".";
    float scale = 2, height = 568;
    bool withAlert = true;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--out")
            out = argv[i + 1];
        else if (option == "--scale")
            scale = std::strtof(argv[i + 1], nullptr);
        else if (option == "--alert")
            withAlert = std::string(argv[i + 1]) != "no";
        else if (option == "--height")
            height = std::strtof(argv[i + 1], nullptr);
    }
    std::filesystem::create_directories(out);

    // The demo's settings go to a file of its own; it writes none.
    Context context(out / "settings.json");
    auto& animator = context.animator;
    MainLoop loop(context.mainLoopParts(), MainLoopOptions{true, false, {320, height}, scale});
    if (!loop.open())
        return 1;
    const float H = loop.screenSize().height;

    auto root = std::make_shared<ImageView>(animator, "view", Rect{0, 0, 320, H});
    auto lens = std::make_shared<ImageView>(animator, "imageLensView", Rect{0, 480, 320, H});
    // The application's pictures where the resource bundle finds them, made-up ones otherwise.
    auto named = [&context](const char* fileName, std::shared_ptr<Image> fallback) {
        auto image = context.images.imageNamed(fileName);
        return image ? image : fallback;
    };
    lens->setImage(named("white_screen.png", picture("lens", {320, H}, scale, 0xFFF8D0, 0xFFE070, false)));
    auto body = std::make_shared<ImageView>(animator, "baseView", Rect{53, 197, 214, 321});
    body->setImage(named("base.png", picture("body", {214, 321}, scale, 0x9AA0A8, 0x3A4048, true)));
    auto tray = std::make_shared<ImageView>(animator, "controlTrayView", Rect{0, H - 189, 320, 190});
    tray->setImage(
        named("control_tray_free.png", picture("tray", {320, 190}, scale, 0x505862, 0x20242A, false)));
    auto button = std::make_shared<ImageView>(animator, "soundOffButtonView", Rect{9, 6, 30, 28});
    button->setImage(named("sound_off.png", picture("button", {30, 28}, scale, 0xFF4040, 0xA01010, true)));
    tray->addSubview(button);
    root->addSubview(lens);
    root->addSubview(body);
    root->addSubview(tray);

    Transform3D board;
    board.m34 = -0.002f;
    std::function<void(const char*, bool)> didStop = [&](const char* id, bool) {
        if (id == MoveBodyIntoPlace) {
            animator.beginAnimations(MoveLensIntoPlace);
            animator.setAnimationDelegate(didStop);
            animator.setAnimationDuration(0.5);
            lens->setTransform(AffineTransform::makeTranslation(0, -670));
            animator.commitAnimations();
        } else if (id == MoveLensIntoPlace) {
            body->setHidden(true);
            board = rotate(board, -1.5707964f, 1, 0, 0);
            animator.beginAnimations(FlipTrayUp);
            animator.setAnimationDelegate(didStop);
            animator.setAnimationDuration(0.5);
            tray->setLayerTransform(board);
            animator.commitAnimations();
        }
    };
    loop.setContent(root, [](Point) {});

    animator.beginAnimations(MoveBodyIntoPlace);
    animator.setAnimationDelegate(didStop);
    animator.setAnimationDuration(0.5);
    body->setTransform(torvane::platform::scale(AffineTransform::makeTranslation(0, H - 278), 1.52f, 1.52f));
    animator.commitAnimations();
    animator.beginAnimations(FlipTrayDown);
    animator.setAnimationDelegate(didStop);
    animator.setAnimationDuration(0.0001);
    board = rotate(board, 1.5707964f, 1, 0, 0);
    tray->setLayerTransform(board);
    animator.commitAnimations();
    if (withAlert)
        loop.alerts().show(
            {"Use Your FlashLight Slider!",
             "Upgrade to the PRO version of Torvane and use your slider to dim or make your Flashlight "
             "even brighter!",
             "Upgrade",
             {"Not Now"},
             {}});

    // Frame by frame, so that each frame's CPU time can be taken.
    std::vector<double> frameTimes;
    const double shotTimes[] = {0.25, 0.75, 1.25, 1.75};
    std::size_t nextShot = 0;
    for (int step = 0; step <= 120; ++step) {
        if (step > 0)
            context.clock.advance(1.0 / 60);
        auto drawn = loop.framesDrawn();
        double start = cpuSeconds();
        loop.frame();
        if (loop.framesDrawn() != drawn)
            frameTimes.push_back(cpuSeconds() - start);
        if (nextShot < std::size(shotTimes) && context.clock.now() + 1e-6 >= shotTimes[nextShot]) {
            if (nextShot == 3 && withAlert) {
                loop.alerts().pressButton(1);
                loop.frame();
            }
            auto file = out / ("demo-" + std::to_string(int(shotTimes[nextShot] * 100)) + ".png");
            loop.writeShot(file.string());
            std::printf("%s\n", file.c_str());
            ++nextShot;
        }
    }
    std::sort(frameTimes.begin(), frameTimes.end());
    if (!frameTimes.empty())
        std::printf("%zu frames drawn, median %.2f ms CPU, slowest %.2f ms\n", frameTimes.size(),
                    frameTimes[frameTimes.size() / 2] * 1000, frameTimes.back() * 1000);
    return 0;
}
