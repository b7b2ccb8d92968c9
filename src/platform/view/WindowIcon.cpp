#include "platform/view/WindowIcon.h"

#include "platform/storage/ResourceBundle.h"
#include "platform/view/PictureFile.h"

#include <SDL.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace torvane::platform {

void announceApplicationId() {
    // SDL 2.26 has no hint for these: its Wayland and X11 drivers read the environment when they
    // start. Without them both would use the executable's name, which no desktop file carries.
    ::setenv("SDL_VIDEO_WAYLAND_WMCLASS", applicationId, 0);
    ::setenv("SDL_VIDEO_X11_WMCLASS", applicationId, 0);
}

void setWindowIcon(SDL_Window* window, Trace& trace) {
    if (!window)
        return;
    auto path = pathForResource(trace, applicationId, "png");
    if (!path)
        return;
    std::string whyNot;
    SurfacePointer icon = readPicture(*path, whyNot);
    if (!icon) {
        trace.log("screen: cannot read the window's icon: " + whyNot);
        return;
    }
    SDL_SetWindowIcon(window, icon.get());
}

} // namespace torvane::platform
