#pragma once

// Which SDL renderer draws a window. A real GPU keeps the accelerated renderer with vsync. Where
// the only OpenGL is Mesa's software rasteriser (llvmpipe, softpipe, swrast: Xvfb, a VM, a phone
// without its GPU driver), SDL's own software renderer draws the same frames with a fraction of
// the memory and threads (Mesa's rasteriser holds about 120 MB and a thread per core). Without a
// GPU render node (/dev/dri/renderD*) OpenGL can only be software, so it is not even tried; with
// one, the accelerated renderer's GL_RENDERER decides (Xvfb on a machine with a GPU still draws
// with llvmpipe, whose memory then stays with the display connection). Where SDL's software
// renderer has nothing to draw into (its Wayland driver, which has no window framebuffer),
// Mesa's rasteriser draws after all.

#include "platform/core/SdlPointers.h"
#include "platform/core/Trace.h"

#include <string_view>

namespace torvane::platform {

// Whether an OpenGL renderer string (GL_RENDERER) names a software rasteriser.
[[nodiscard]] bool isSoftwareRasteriser(std::string_view glRenderer);

// The renderer for `window`, as above; null, with a console line, when none can be made.
[[nodiscard]] RendererPointer createWindowRenderer(SDL_Window* window, Trace& trace);

} // namespace torvane::platform
