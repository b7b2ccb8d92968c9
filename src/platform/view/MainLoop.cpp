#include "platform/view/MainLoop.h"
#include "platform/view/RendererChoice.h"

#include "platform/view/TouchMapping.h"
#include "platform/view/WindowIcon.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace torvane::platform {

namespace {

constexpr double frameInterval = 1.0 / 60;
constexpr const char* windowTitle = "Torvane";

} // namespace

MainLoop::MainLoop(MainLoopParts parts, MainLoopOptions options)
    : m_parts(parts), m_options(options), m_screen(options.screen), m_alerts(parts.trace, parts.needsDisplay) {}

MainLoop::~MainLoop() {
    m_parts.queue.setWake({});
}

MainLoop::VideoSubsystem::~VideoSubsystem() {
    if (started)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

Size MainLoop::pixelSize() const {
    return {std::round(m_screen.width * m_scale), std::round(m_screen.height * m_scale)};
}

bool MainLoop::open() {
    // SDL's software renderer otherwise presents through Mesa: ten times slower to start.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    bool opened = m_options.headless ? openOffscreen() : openWindow();
    if (!opened)
        return false;
    m_parts.images.setScale(m_scale);
    m_alerts.setScreen(m_screen, m_scale);
    m_renderer = std::make_unique<Renderer>(m_sdlRenderer.get(), m_parts.trace);
    m_parts.needsDisplay.set();
    return true;
}

bool MainLoop::openOffscreen() {
    m_parts.clock.setMode(ClockMode::Virtual);
    m_scale = m_options.scale > 0 ? m_options.scale : 1;
    Size pixels = pixelSize();
    m_offscreen.reset(SDL_CreateRGBSurfaceWithFormat(0, int(pixels.width), int(pixels.height), 32,
                                                     SDL_PIXELFORMAT_ARGB8888));
    if (!m_offscreen) {
        m_parts.trace.log(std::string("screen: cannot make the offscreen picture: ") + SDL_GetError());
        return false;
    }
    m_sdlRenderer.reset(SDL_CreateSoftwareRenderer(m_offscreen.get()));
    if (!m_sdlRenderer) {
        m_parts.trace.log(std::string("screen: cannot draw offscreen: ") + SDL_GetError());
        return false;
    }
    return true;
}

bool MainLoop::openWindow() {
    // A touch must not arrive twice, once as a finger and once as the mouse SDL makes of it.
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    announceApplicationId();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        m_parts.trace.log(std::string("screen: no display: ") + SDL_GetError());
        return false;
    }
    m_video.started = true;
    m_wakeEvent = SDL_RegisterEvents(1);
    if (m_wakeEvent != Uint32(-1))
        m_parts.queue.setWake([event = m_wakeEvent] {
            SDL_Event wake{};
            wake.type = event;
            SDL_PushEvent(&wake);
        });
    // The idle timer's counterpart: the screen must not blank while the flashlight is on.
    SDL_DisableScreenSaver();

    float scale = m_options.scale > 0 ? m_options.scale : 1;
    SDL_Rect usable{};
    if (!m_options.fullscreen && SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.h > 0)
        while (scale > 1 && m_screen.height * scale > float(usable.h))
            scale -= 1; // a desktop too small for the asked scale gets the next one that fits
    Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_SHOWN;
    if (m_options.fullscreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    m_window.reset(SDL_CreateWindow(windowTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                    int(m_screen.width * scale), int(m_screen.height * scale), flags));
    if (!m_window) {
        m_parts.trace.log(std::string("screen: cannot open a window: ") + SDL_GetError());
        return false;
    }
    setWindowIcon(m_window.get(), m_parts.trace);
    m_sdlRenderer = createWindowRenderer(m_window.get(), m_parts.trace);
    if (!m_sdlRenderer)
        return false;
    updateWindowScale();
    return true;
}

void MainLoop::updateWindowScale() {
    int width = 0, height = 0;
    if (SDL_GetRendererOutputSize(m_sdlRenderer.get(), &width, &height) != 0 || width <= 0)
        return;
    m_scale = scaleFor(width, m_screen.width);
    if (m_options.fullscreen)
        m_screen.height = std::round(float(height) / m_scale);
    m_alerts.setScreen(m_screen, m_scale);
    m_parts.needsDisplay.set();
}

void MainLoop::setContent(std::shared_ptr<ImageView> root, std::function<void(Point)> touchesBegan) {
    m_root = std::move(root);
    m_touchesBegan = std::move(touchesBegan);
    m_parts.needsDisplay.set();
}

void MainLoop::after(double seconds, std::function<void()> work) {
    double delay = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
    m_timers.push_back({m_parts.clock.now() + delay, m_timerOrder++, std::move(work)});
}

void MainLoop::setWaitBarrier(std::function<void()> barrier) {
    m_waitBarrier = std::move(barrier);
}

void MainLoop::runPosts() {
    for (auto& item : m_parts.queue.takeAll())
        if (item)
            item();
}

void MainLoop::runTimers() {
    // Timers that fall due while others run wait for the next pass, as on the platform.
    double time = m_parts.clock.now();
    std::vector<Timer> due;
    std::erase_if(m_timers, [&](Timer& timer) {
        if (timer.due > time)
            return false;
        due.push_back(std::move(timer));
        return true;
    });
    std::sort(due.begin(), due.end(), [](const Timer& a, const Timer& b) {
        return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    for (auto& timer : due)
        if (timer.work)
            timer.work();
}

void MainLoop::frame() {
    runPosts();
    runTimers();
    m_parts.animator.advance(m_parts.clock.now());
    bool animating = m_parts.animator.isAnimating(m_parts.clock.now());
    if (m_parts.needsDisplay.take() || animating)
        draw();
}

void MainLoop::draw() {
    if (!m_renderer)
        return;
    if (m_root)
        m_renderer->draw(*m_root, m_parts.clock.now(), m_scale);
    else {
        SDL_SetRenderDrawColor(m_sdlRenderer.get(), 0, 0, 0, 255);
        SDL_RenderClear(m_sdlRenderer.get());
    }
    m_alerts.draw(m_sdlRenderer.get());
    SDL_RenderPresent(m_sdlRenderer.get());
    ++m_framesDrawn;
}

void MainLoop::touch(Point point) {
    if (m_alerts.touch(point))
        return;
    if (m_touchesBegan)
        m_touchesBegan(point);
}

int MainLoop::millisecondsToNextWork() {
    double next = -1;
    for (const auto& timer : m_timers)
        if (next < 0 || timer.due < next)
            next = timer.due;
    double end = m_parts.animator.nextEnd();
    if (end >= 0 && (next < 0 || end < next))
        next = end;
    if (next < 0)
        return -1;
    return std::max(0, int(std::ceil((next - m_parts.clock.now()) * 1000)));
}

void MainLoop::handleEvents(bool wait) {
    SDL_Event event;
    bool have = false;
    if (wait) {
        int timeout = millisecondsToNextWork();
        have = timeout < 0 ? SDL_WaitEvent(&event) == 1 : SDL_WaitEventTimeout(&event, timeout) == 1;
    } else {
        have = SDL_PollEvent(&event) == 1;
    }
    // One call per set of touches that begins: the fingers and presses of one pass are one set,
    // and the first of them stands for it, as the controller reads only one touch.
    std::optional<Point> began;
    while (have) {
        switch (event.type) {
        case SDL_QUIT:
            m_quit = true;
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT && event.button.which != SDL_TOUCH_MOUSEID && !began) {
                int width = 0, height = 0;
                SDL_GetWindowSize(m_window.get(), &width, &height);
                began = pointFromWindow(float(event.button.x), float(event.button.y),
                                        {float(width), float(height)}, m_screen);
            }
            break;
        case SDL_FINGERDOWN:
            if (!began)
                began = pointFromFinger(event.tfinger.x, event.tfinger.y, m_screen);
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                updateWindowScale();
            m_parts.needsDisplay.set();
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            m_parts.needsDisplay.set();
            break;
        default:
            break;
        }
        have = SDL_PollEvent(&event) == 1;
    }
    if (began)
        touch(*began);
}

int MainLoop::run() {
    if (!m_window)
        return 1;
    while (!m_quit) {
        std::uint64_t start = SDL_GetTicks64();
        bool busy = m_parts.animator.isAnimating(m_parts.clock.now()) || !m_parts.queue.isEmpty() || m_parts.needsDisplay.isSet();
        handleEvents(!busy);
        if (m_quit)
            break;
        std::uint64_t drawnBefore = m_framesDrawn;
        frame();
        // Without vsync (the software renderer) an animating loop keeps to 60 frames a second.
        if (m_framesDrawn != drawnBefore) {
            std::uint64_t spent = SDL_GetTicks64() - start;
            if (spent < 16)
                SDL_Delay(Uint32(16 - spent));
        }
    }
    return 0;
}

int MainLoop::runScript(const Script& script) {
    int status = 0;
    m_quit = false;
    frame();
    for (const auto& command : script) {
        if (m_quit)
            break;
        switch (command.kind) {
        case ScriptCommand::Kind::Wait: {
            // Steps of 1/60 s counted from the start of the wait, so that rounding never adds up.
            const double start = m_parts.clock.now();
            const double total = std::max(0.0, command.seconds);
            const auto steps = std::int64_t(std::ceil(total / frameInterval - 1e-9));
            for (std::int64_t step = 1; step <= steps && !m_quit; ++step) {
                if (m_waitBarrier)
                    m_waitBarrier();
                double target = start + std::min(total, double(step) * frameInterval);
                m_parts.clock.advance(target - m_parts.clock.now());
                frame();
            }
            break;
        }
        case ScriptCommand::Kind::Tap:
            touch(command.point);
            frame();
            break;
        case ScriptCommand::Kind::Alert:
            if (!m_alerts.pressButton(command.index))
                m_parts.trace.log("script: line " + std::to_string(command.line) + ": no alert button " +
                           std::to_string(command.index));
            frame();
            break;
        case ScriptCommand::Kind::Shot:
            if (!writeShot(command.file))
                status = 1;
            break;
        case ScriptCommand::Kind::Quit:
            m_quit = true;
            break;
        }
    }
    m_quit = true;
    return status;
}

void MainLoop::quit() {
    m_quit = true;
    if (m_wakeEvent != 0 && m_wakeEvent != Uint32(-1)) {
        SDL_Event wake{};
        wake.type = m_wakeEvent;
        SDL_PushEvent(&wake);
    }
}

bool MainLoop::writeShot(const std::string& path) {
    if (!m_offscreen) {
        m_parts.trace.log("script: shots are taken headless only: " + path);
        return false;
    }
    if (m_parts.needsDisplay.take())
        draw();
    SDL_RenderFlush(m_sdlRenderer.get());
    if (IMG_SavePNG(m_offscreen.get(), path.c_str()) != 0) {
        m_parts.trace.log("script: cannot write " + path + ": " + SDL_GetError());
        return false;
    }
    return true;
}

} // namespace torvane::platform
