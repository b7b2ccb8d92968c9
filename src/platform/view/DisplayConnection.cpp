#include "platform/view/DisplayConnection.h"

#include <SDL_syswm.h>

#include <cstdlib>
#include <dlfcn.h>

#if __has_include(<X11/Xlib.h>) && defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#define TORVANE_X11 1
#endif

namespace torvane::platform {

void preferWaylandDriver() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (!wayland || !*wayland || (asked && *asked))
        return;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
}

#ifdef TORVANE_X11

namespace {

// Xlib calls these with no way to reach an object, and SDL opens its display itself; the window's
// end is noticed from its DestroyNotify and the connection's through the per-display exit handler.
int ignoreProtocolError(Display*, XErrorEvent*) {
    return 0;
}

int quietlyLoseConnection(Display*) {
    return 0;
}

// When it returns, Xlib leaves the display unusable but the process running.
void onConnectionLost(Display*, void* connection) {
    static_cast<DisplayConnection*>(connection)->loseConnection();
}

void ignoreConnectionLost(Display*, void*) {}

template <typename Function>
Function symbol(void* library, const char* name) {
    return library ? reinterpret_cast<Function>(::dlsym(library, name)) : nullptr;
}

} // namespace

using SetExitHandler = void (*)(Display*, XIOErrorExitHandler, void*);

DisplayConnection::~DisplayConnection() {
    // A lost display is never closed (MainLoop leaves it to the process's end): it must not call
    // back into this object once it is gone. A display that was closed is freed and not touched.
    if (auto set = symbol<SetExitHandler>(m_xlib, "XSetIOErrorExitHandler"); set && m_lost && m_xDisplay)
        set(static_cast<Display*>(m_xDisplay), ignoreConnectionLost, nullptr);
    if (m_xlib)
        ::dlclose(m_xlib);
}

void DisplayConnection::guardBeforeVideo() {
    if (!m_xlib)
        m_xlib = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    using SetErrorHandler = XErrorHandler (*)(XErrorHandler);
    using SetIOErrorHandler = XIOErrorHandler (*)(XIOErrorHandler);
    if (auto set = symbol<SetErrorHandler>(m_xlib, "XSetErrorHandler"))
        set(ignoreProtocolError);
    if (auto set = symbol<SetIOErrorHandler>(m_xlib, "XSetIOErrorHandler"))
        set(quietlyLoseConnection);
    // From the first event on: a window destroyed while it is being made would otherwise leave
    // its DestroyNotify unseen and the run going on without a window.
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

void DisplayConnection::watch(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    // Since libX11 1.7; without it a lost connection still ends the process, with status 1.
    if (auto set = symbol<SetExitHandler>(m_xlib, "XSetIOErrorExitHandler")) {
        set(info.info.x11.display, onConnectionLost, this);
        m_xDisplay = info.info.x11.display;
    }
}

bool DisplayConnection::destroysWindow(const SDL_Event& event, SDL_Window* window) {
    if (event.type != SDL_SYSWMEVENT || !event.syswm.msg || event.syswm.msg->subsystem != SDL_SYSWM_X11)
        return false;
    const XEvent& x = event.syswm.msg->msg.x11.event;
    if (x.type != DestroyNotify)
        return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    return window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11 &&
           info.info.x11.window == x.xdestroywindow.window;
}

#else

DisplayConnection::~DisplayConnection() = default;
void DisplayConnection::guardBeforeVideo() {}
void DisplayConnection::watch(SDL_Window*) {}
bool DisplayConnection::destroysWindow(const SDL_Event&, SDL_Window*) {
    return false;
}

#endif

void DisplayConnection::loseConnection() {
    m_lost = true;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

} // namespace torvane::platform
