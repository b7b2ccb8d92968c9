#pragma once

// A decoded picture (the platform's UIImage) and `imageNamed`, which loads each resource once
// and keeps it for the life of the process, as the platform's image cache does.

#include "platform/core/SdlPointers.h"
#include "platform/geometry/Geometry.h"

#include <memory>
#include <string>

namespace torvane::platform {

class Image {
  public:
    // `surface` must not be null; `scale` is the pixels per point of the file (2 for @2x).
    Image(std::string fileName, SurfacePointer surface, float scale);

    [[nodiscard]] const std::string& fileName() const { return m_fileName; }
    [[nodiscard]] SDL_Surface* surface() const { return m_surface.get(); }
    [[nodiscard]] Size size() const; // in points
    // No pixel is translucent: the renderer copies it without blending, ten times faster in software.
    [[nodiscard]] bool isOpaque() const { return m_opaque; }

  private:
    std::string m_fileName;
    SurfacePointer m_surface;
    float m_scale{1};
    bool m_opaque{false};
};

// The scale of the screen that `imageNamed` picks variants for; set once at start (default 1).
void setImageScale(float scale);

// The image of the resource `fileName`, or null (with one console line) when it is missing or
// cannot be decoded. Main thread.
[[nodiscard]] std::shared_ptr<Image> imageNamed(const std::string& fileName);

// Decodes a PNG file; null when it cannot.
[[nodiscard]] std::shared_ptr<Image> loadImageFile(const std::string& path, const std::string& fileName,
                                                   float scale);

} // namespace torvane::platform
