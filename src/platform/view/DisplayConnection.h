#pragma once

// The window's link to the display server, and how it ends. Left to itself SDL takes X11 (through
// XWayland) even in a Wayland session, and Xlib's default handlers end the process with status 1
// on any X protocol error or a lost connection, from deep inside a library call: the torch's exit
// handler runs, but the status says failure and nothing of ours is told. Here a window closed or a
// connection lost becomes a quit like any other.

#include <SDL.h>

namespace torvane::platform {

// Before SDL's video starts: asks for the Wayland driver where the session has a Wayland display,
// X11 as the fallback, unless SDL_VIDEODRIVER names a driver itself.
void preferWaylandDriver();

class DisplayConnection {
  public:
    DisplayConnection() = default;
    // Keep this after SDL's video has closed its display: the display holds a pointer to us.
    ~DisplayConnection();
    DisplayConnection(const DisplayConnection&) = delete;
    DisplayConnection& operator=(const DisplayConnection&) = delete;

    // Before SDL's video starts: an X protocol error (a request for a window another client has
    // destroyed) is ignored rather than ending the process. Does nothing without Xlib.
    void guardBeforeVideo();
    // Once `window` exists on X11: a lost connection queues SDL_QUIT and sets `lost`, and the
    // window's destruction by another client is reported by `destroysWindow`.
    void watch(SDL_Window* window);

    // True for the SDL_SYSWMEVENT of the destruction of `window`'s X window (`xdotool
    // windowclose`). SDL itself replaces the X window when a renderer needs another visual, so
    // the one destroyed is compared with the one SDL holds now.
    [[nodiscard]] static bool destroysWindow(const SDL_Event& event, SDL_Window* window);
    [[nodiscard]] bool lost() const { return m_lost; }
    // What Xlib's exit handler calls, on the main thread from inside the Xlib call that found the
    // connection gone: sets `lost` and queues SDL_QUIT.
    void loseConnection();

  private:
    void* m_xlib{nullptr};     // dlopen's handle on the Xlib that SDL loads too
    void* m_xDisplay{nullptr}; // the display whose exit handler points to us
    bool m_lost{false};
};

} // namespace torvane::platform
