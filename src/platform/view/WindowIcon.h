#pragma once

// How the desktop knows the window as Torvane's: the application id that names the desktop file,
// the metainfo and the icon (data/) given to the window system as its Wayland app id and X11
// class, and the icon drawn on the window itself.

#include "platform/core/Trace.h"

struct SDL_Window;

namespace torvane::platform {

inline constexpr const char* applicationId = "app.torvane.Torvane";

// Before SDL starts its video subsystem, which reads the id then. A value the user set already
// is left alone.
void announceApplicationId();

// The application's icon on WINDOW; without the picture the window keeps the system's default.
void setWindowIcon(SDL_Window* window, Trace& trace);

} // namespace torvane::platform
