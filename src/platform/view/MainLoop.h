#pragma once

// The application's loop on the main thread (the platform's UIApplicationMain): the window or
// the offscreen picture, the work other threads post, timers, animations, touches, alerts, and
// the frames. One pass of the loop is plain:
//
//     drain events (touches) → run due posts and timers → advance animations (completions)
//     → draw, only if something changed or animates → present
//
// Budget: an idle frame draws nothing. With nothing animating and nothing due, the window loop
// sleeps in SDL_WaitEvent and uses no CPU; `post` wakes it.
//
// Headless, the loop draws into an offscreen software renderer on the virtual clock and is
// driven by a script (`runScript`); the window and the script share `frame`, so a script sees
// what a window would show.

#include "platform/alert/AlertPresenter.h"
#include "platform/core/Clock.h"
#include "platform/core/MainQueue.h"
#include "platform/core/NeedsDisplay.h"
#include "platform/core/SdlPointers.h"
#include "platform/core/Trace.h"
#include "platform/geometry/Geometry.h"
#include "platform/view/Animator.h"
#include "platform/view/ColumnFit.h"
#include "platform/view/DisplayConnection.h"
#include "platform/view/Image.h"
#include "platform/view/ImageView.h"
#include "platform/view/Renderer.h"
#include "platform/view/ScriptCommand.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace torvane::platform {

// What the loop drives, owned by the platform's context.
struct MainLoopParts {
    Clock& clock;
    Trace& trace;
    NeedsDisplay& needsDisplay;
    MainQueue& queue;
    Animator& animator;
    ImageCache& images;
};

struct MainLoopOptions {
    bool headless{false};
    bool fullscreen{false};
    Size screen{320, 568}; // the window in points; fullscreen takes the display's size
    float scale{2};        // pixels per point asked for; a window reports its own
    // The content's column: its width and least height in points (ColumnFit.h).
    Size column{320, 480};
};

class MainLoop {
  public:
    MainLoop(MainLoopParts parts, MainLoopOptions options);
    ~MainLoop();
    MainLoop(const MainLoop&) = delete;
    MainLoop& operator=(const MainLoop&) = delete;

    // Creates the window (or the offscreen picture, and switches to the virtual clock); false,
    // with a console line, when SDL cannot.
    bool open();
    // Starts SDL's events, which turn SIGINT and SIGTERM into a quit; `open` does it when it has
    // not been done.
    void listenForQuit();

    // The content's layout in points: the column's width, and the height the window gives it.
    [[nodiscard]] Size screenSize() const { return m_fit.layout; }
    // Pixels per layout point.
    [[nodiscard]] float scale() const { return m_fit.scale; }
    [[nodiscard]] Size pixelSize() const { return m_fit.pixels; }
    [[nodiscard]] const ColumnFit& fit() const { return m_fit; }
    // The window, or null headless.
    [[nodiscard]] SDL_Window* window() const { return m_window.get(); }

    // What the loop shows and where touches go (the controller's view and touchesBegan:).
    void setContent(std::shared_ptr<ImageView> root, std::function<void(Point)> touchesBegan);
    [[nodiscard]] AlertPresenter& alerts() { return m_alerts; }
    // Told the layout's new size whenever the window's size or pixel density changes it (a
    // rotation, a resize, a shell's bar); not at `open`, whose size `screenSize` gives.
    void setLayoutChanged(std::function<void(Size)> changed) { m_layoutChanged = std::move(changed); }

    // Runs `work` on the main thread at the next pass of the loop. Any thread.
    void post(std::function<void()> work) { m_parts.queue.post(std::move(work)); }
    // Runs `work` on the main thread once `seconds` have passed on the application's clock.
    void after(double seconds, std::function<void()> work);
    // Called by the script's `wait` before each step of the clock, so that work running on other
    // threads can be let finish first and the script sees it at the same point every time.
    void setWaitBarrier(std::function<void()> barrier);

    // The window loop, until `quit`, a quit key (Escape, Ctrl+Q, Ctrl+W), the window's closing,
    // SIGINT or SIGTERM, or the display's loss. Returns the exit status.
    int run();
    // Headless: carries the script out, then quits; SIGINT and SIGTERM end it within a step.
    // Returns the exit status (1 when a command could not be carried out: a shot that could not be
    // written, an alert button that is not there).
    int runScript(const Script& script);
    void quit();

    // One pass of the loop without events: posts, timers, animations, and a frame if needed.
    void frame();
    // A touch begins at `point` in window points: the alert on top takes it, or else the content
    // in its layout points when it falls inside the column.
    void touch(Point point);
    // Writes the current frame as a PNG at the pixel size; headless only.
    bool writeShot(const std::string& path);

    // Frames drawn since `open`.
    [[nodiscard]] std::uint64_t framesDrawn() const { return m_framesDrawn; }

  private:
    struct Timer {
        double due{0};
        std::uint64_t order{0};
        std::function<void()> work;
    };

    bool openWindow();
    bool openOffscreen();
    void runPosts();
    void runTimers();
    void draw();
    void handleEvents(bool wait);
    // Headless: true once a signal (or anything else) has asked SDL to quit.
    [[nodiscard]] bool quitRequested();
    // Textures made before the renderer lost its target or device are made again.
    void forgetTextures();
    void updateWindowScale();
    // Places the column in a drawable of `pixels`, tells the alerts and, when the layout changed
    // after `open`, the content.
    void fitTo(Size pixels);
    void touchAtPixel(Point pixel);
    [[nodiscard]] int millisecondsToNextWork();

    MainLoopParts m_parts;
    MainLoopOptions m_options;
    Size m_screen;
    ColumnFit m_fit;
    // Drawable pixels per window point: the asked scale headless, the window's own otherwise.
    float m_pixelsPerWindowPoint{1};
    bool m_opened{false};
    std::function<void(Size)> m_layoutChanged;
    bool m_quit{false};
    // Members end in the reverse of their order here: the alerts' and our renderer's textures
    // before SDL's renderer, that before what it draws on, SDL's video after them all, and the
    // display's handlers, which its display points to, last.
    DisplayConnection m_display;
    // SDL's events, started in both modes so that SIGINT and SIGTERM become SDL_QUIT.
    struct EventSubsystem {
        bool started{false};
        EventSubsystem() = default;
        ~EventSubsystem();
        EventSubsystem(const EventSubsystem&) = delete;
        EventSubsystem& operator=(const EventSubsystem&) = delete;
    };
    EventSubsystem m_events;
    struct VideoSubsystem {
        bool started{false};
        VideoSubsystem() = default;
        ~VideoSubsystem();
        VideoSubsystem(const VideoSubsystem&) = delete;
        VideoSubsystem& operator=(const VideoSubsystem&) = delete;
    };
    VideoSubsystem m_video;
    WindowPointer m_window;
    SurfacePointer m_offscreen;
    RendererPointer m_sdlRenderer;
    std::unique_ptr<Renderer> m_renderer;
    std::uint32_t m_wakeEvent{0};

    std::shared_ptr<ImageView> m_root;
    std::function<void(Point)> m_touchesBegan;
    AlertPresenter m_alerts;

    std::vector<Timer> m_timers;
    std::uint64_t m_timerOrder{0};
    std::function<void()> m_waitBarrier;
    std::uint64_t m_framesDrawn{0};
};

} // namespace torvane::platform
