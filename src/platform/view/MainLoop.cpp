#include "platform/view/MainLoop.h"
#include "platform/view/PngFile.h"
#include "platform/view/RendererChoice.h"

#include "platform/view/TouchMapping.h"
#include "platform/view/WindowIcon.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

namespace torvane::platform {

namespace {

constexpr double frameInterval = 1.0 / 60;
constexpr const char* windowTitle = "Torvane";

Size windowSize(SDL_Window* window) {
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    return {float(width), float(height)};
}

// The keys that close a desktop application's window; a phone has none of them.
bool isQuitKey(const SDL_Keysym& key) {
    if (key.sym == SDLK_ESCAPE)
        return true;
    return (key.mod & KMOD_CTRL) && (key.sym == SDLK_q || key.sym == SDLK_w);
}

} // namespace

MainLoop::MainLoop(MainLoopParts parts, MainLoopOptions options)
    : m_parts(parts), m_options(options), m_screen(options.screen),
      m_alerts(parts.trace, parts.needsDisplay) {}

MainLoop::~MainLoop() {
    m_parts.queue.setWake({});
    if (m_display.lost()) {
        // Once the connection is gone SDL_DestroyWindow waits forever for the server's answer to
        // the unmapping, and closing SDL's displays ends in Xlib's exit(1). SDL still holds the
        // window and the renderer, and the process's end closes the displays just as well.
        (void)m_sdlRenderer.release();
        (void)m_window.release();
        m_video.started = false;
    }
}

MainLoop::EventSubsystem::~EventSubsystem() {
    if (started)
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

MainLoop::VideoSubsystem::~VideoSubsystem() {
    if (started)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void MainLoop::listenForQuit() {
    if (!m_events.started)
        m_events.started = SDL_InitSubSystem(SDL_INIT_EVENTS) == 0;
}

bool MainLoop::open() {
    // SDL's software renderer otherwise presents through Mesa: ten times slower to start.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // SDL turns SIGINT and SIGTERM into SDL_QUIT only where no handler is installed yet, so this
    // comes before the torch's handlers, which pass the signal on to SDL's.
    listenForQuit();
    bool opened = m_options.headless ? openOffscreen() : openWindow();
    if (!opened)
        return false;
    // Where SDL draws in software: the offscreen picture, or the window's surface, which SDL's
    // software renderer shares with the window (and makes anew after a resize).
    auto softwareSurface = [this]() -> SDL_Surface* {
        return m_offscreen ? m_offscreen.get() : SDL_GetWindowSurface(m_window.get());
    };
    m_renderer = std::make_unique<Renderer>(m_sdlRenderer.get(), m_parts.trace, softwareSurface);
    m_parts.needsDisplay.set();
    m_opened = true;
    return true;
}

bool MainLoop::openOffscreen() {
    m_parts.clock.setMode(ClockMode::Virtual);
    m_pixelsPerWindowPoint = m_options.scale > 0 ? m_options.scale : 1;
    Size pixels{std::round(m_screen.width * m_pixelsPerWindowPoint),
                std::round(m_screen.height * m_pixelsPerWindowPoint)};
    fitTo(pixels);
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
    preferWaylandDriver();
    m_display.guardBeforeVideo();
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
    // Watched before anything else: a window closed or a display lost while the start goes on
    // must already end the run as a quit.
    m_display.watch(m_window.get());
    setWindowIcon(m_window.get(), m_parts.trace);
    m_sdlRenderer = createWindowRenderer(m_window.get(), m_parts.trace);
    if (!m_sdlRenderer)
        return false;
    updateWindowScale();
    return true;
}

void MainLoop::updateWindowScale() {
    int width = 0, height = 0;
    if (SDL_GetRendererOutputSize(m_sdlRenderer.get(), &width, &height) != 0 || width <= 0 || height <= 0)
        return;
    int windowWidth = 0, windowHeight = 0;
    SDL_GetWindowSize(m_window.get(), &windowWidth, &windowHeight);
    if (windowWidth > 0)
        m_pixelsPerWindowPoint = float(width) / float(windowWidth);
    fitTo({float(width), float(height)});
}

void MainLoop::fitTo(Size pixels) {
    Size before = m_fit.layout;
    m_fit = fitColumn(pixels, m_options.column);
    m_parts.images.setScale(m_fit.scale);
    m_alerts.setScreen(m_fit.drawableInPoints(), m_fit.scale);
    m_parts.needsDisplay.set();
    bool changed = before.width != m_fit.layout.width || before.height != m_fit.layout.height;
    if (m_opened && changed && m_layoutChanged)
        m_layoutChanged(m_fit.layout);
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
    // Not every change of the drawable arrives as a size event (a shell changing the output's
    // scale, a rotation on some compositors): the frame itself is the last word.
    if (m_window) {
        int width = 0, height = 0;
        if (SDL_GetRendererOutputSize(m_sdlRenderer.get(), &width, &height) == 0 &&
            (float(width) != m_fit.pixels.width || float(height) != m_fit.pixels.height))
            updateWindowScale();
    }
    if (m_root)
        m_renderer->draw(*m_root, m_parts.clock.now(), m_fit);
    else {
        SDL_SetRenderDrawColor(m_sdlRenderer.get(), 0, 0, 0, 255);
        SDL_RenderClear(m_sdlRenderer.get());
    }
    m_alerts.draw(m_sdlRenderer.get());
    SDL_RenderPresent(m_sdlRenderer.get());
    ++m_framesDrawn;
}

void MainLoop::touch(Point point) {
    touchAtPixel({point.x * m_pixelsPerWindowPoint, point.y * m_pixelsPerWindowPoint});
}

void MainLoop::touchAtPixel(Point pixel) {
    // The alerts are laid out over the whole window, in layout points from its left edge.
    if (m_alerts.touch({pixel.x / m_fit.scale, pixel.y / m_fit.scale}))
        return;
    Point layout = m_fit.layoutPoint(pixel);
    // Beside the column, the light is drawn but nothing can be touched.
    if (m_touchesBegan && m_fit.contains(layout))
        m_touchesBegan(layout);
}

int MainLoop::millisecondsToNextWork() {
    double next = -1;
    for (const auto& timer : m_timers)
        if (next < 0 || timer.due < next)
            next = timer.due;
    double end = m_parts.animator.nextEnd();
    if (end >= 0 && (next < 0 || end < next))
        next = end;
    int milliseconds = next < 0 ? -1 : std::max(0, int(std::ceil((next - m_parts.clock.now()) * 1000)));
    // Timed posts are on the steady clock (MainQueue.h).
    if (auto due = m_parts.queue.nextDue()) {
        auto left =
            std::chrono::ceil<std::chrono::milliseconds>(*due - std::chrono::steady_clock::now()).count();
        int queued = int(std::clamp<std::int64_t>(left, 0, std::numeric_limits<int>::max()));
        milliseconds = milliseconds < 0 ? queued : std::min(milliseconds, queued);
    }
    return milliseconds;
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
            if (m_display.lost())
                m_parts.trace.log("screen: the connection to the display was lost");
            m_quit = true;
            break;
        case SDL_KEYDOWN:
            if (isQuitKey(event.key.keysym))
                m_quit = true;
            break;
        case SDL_SYSWMEVENT:
            if (DisplayConnection::destroysWindow(event, m_window.get())) {
                m_parts.trace.log("screen: the window was closed by another program");
                m_quit = true;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT && event.button.which != SDL_TOUCH_MOUSEID && !began) {
                began = pixelFromWindow(float(event.button.x), float(event.button.y),
                                        windowSize(m_window.get()), m_fit.pixels);
            }
            break;
        case SDL_FINGERDOWN:
            if (!began)
                began = pixelFromFinger(event.tfinger.x, event.tfinger.y, m_fit.pixels);
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                updateWindowScale();
            m_parts.needsDisplay.set();
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            forgetTextures();
            m_parts.needsDisplay.set();
            break;
        default:
            break;
        }
        have = SDL_PollEvent(&event) == 1;
    }
    if (began && !m_quit)
        touchAtPixel(*began);
}

void MainLoop::forgetTextures() {
    if (m_renderer)
        m_renderer->forgetTextures();
    m_alerts.forgetTextures();
}

bool MainLoop::quitRequested() {
    if (!m_events.started)
        return false;
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) > 0;
}

int MainLoop::run() {
    if (!m_window)
        return 1;
    // An accelerated renderer with vsync waits for the display in SDL_RenderPresent; only the
    // software renderer needs the loop to keep itself to 60 frames a second.
    SDL_RendererInfo info{};
    const Uint32 paced = SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC;
    const bool presentPaces =
        SDL_GetRendererInfo(m_sdlRenderer.get(), &info) == 0 && (info.flags & paced) == paced;
    while (!m_quit) {
        std::uint64_t start = SDL_GetTicks64();
        bool busy = m_parts.animator.isAnimating(m_parts.clock.now()) || !m_parts.queue.isEmpty() ||
                    m_parts.needsDisplay.isSet();
        handleEvents(!busy);
        if (m_quit)
            break;
        std::uint64_t drawnBefore = m_framesDrawn;
        frame();
        if (!presentPaces && m_framesDrawn != drawnBefore) {
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
        if (m_quit || quitRequested())
            break;
        switch (command.kind) {
        case ScriptCommand::Kind::Wait: {
            // Steps of 1/60 s counted from the start of the wait, so that rounding never adds up.
            const double start = m_parts.clock.now();
            const double total = std::max(0.0, command.seconds);
            const auto steps = std::int64_t(std::ceil(total / frameInterval - 1e-9));
            for (std::int64_t step = 1; step <= steps && !m_quit && !quitRequested(); ++step) {
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
            if (!m_alerts.pressButton(command.index)) {
                m_parts.trace.log("script: line " + std::to_string(command.line) + ": no alert button " +
                                  std::to_string(command.index));
                status = 1;
            }
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
    std::string whyNot;
    if (!writePng(*m_offscreen, path, whyNot)) {
        m_parts.trace.log("script: cannot write " + path + ": " + whyNot);
        return false;
    }
    return true;
}

} // namespace torvane::platform
