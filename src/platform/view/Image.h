#pragma once

// A picture (the platform's UIImage) and the cache that `imageNamed` loads it through.
//
// A picture from a file is known by its header until it is first drawn: the renderer decodes it
// then, in software straight into its texture, so that its pixels are made and held once. The
// first frame's pictures cost no thread and no copy, and a lens never drawn is never decoded.

#include "platform/core/SdlPointers.h"
#include "platform/core/Trace.h"
#include "platform/geometry/Geometry.h"
#include "platform/view/PictureHeader.h"

#include <map>
#include <memory>
#include <string>

namespace torvane::platform {

class Image {
  public:
    // A picture in memory; `surface` must not be null; `scale` is its pixels per point.
    Image(std::string fileName, SurfacePointer surface, float scale);
    // The picture in the file at `path` (`header` read from it), decoded when it is drawn;
    // `scale` is the pixels per point of the file (2 for @2x).
    Image(std::string fileName, std::string path, const PictureHeader& header, float scale);

    [[nodiscard]] const std::string& fileName() const { return m_fileName; }
    [[nodiscard]] Size size() const; // in points
    [[nodiscard]] int pixelWidth() const { return m_header.width; }
    [[nodiscard]] int pixelHeight() const { return m_header.height; }
    // No pixel is translucent: the renderer copies it without blending, ten times faster in
    // software. A file's picture is opaque when its header says so.
    [[nodiscard]] bool isOpaque() const { return m_header.opaque; }

    // The pixels, decoded from the file if they are not held; null, with a console line, when
    // that fails.
    [[nodiscard]] SDL_Surface* surface(Trace& trace);
    // Decodes the file straight into `pixels`, rows `pitch` bytes apart, in the pixel format of
    // `surface` (SDL_PIXELFORMAT_BGRA32); false, with a console line, when it cannot or the
    // picture was made in memory.
    [[nodiscard]] bool decodeInto(void* pixels, int pitch, Trace& trace) const;
    // A texture holds the pixels now: they are let go if they came from a file, which gives them
    // again should the texture be lost.
    void letPixelsGo();
    [[nodiscard]] bool holdsPixels() const { return m_surface != nullptr; }

  private:
    std::string m_fileName;
    std::string m_path; // empty for a picture made in memory
    PictureHeader m_header;
    SurfacePointer m_surface;
    float m_scale{1};
};

// `imageNamed`: each resource is looked up once and kept while the cache lives, as the platform's
// image cache does. Misses are kept too, so a missing picture is looked for and reported once.
class ImageCache {
  public:
    explicit ImageCache(Trace& trace) : m_trace(trace) {}

    // The scale of the screen that variants are picked for (default 1); a new scale empties the
    // cache.
    void setScale(float scale);
    // The image of the resource `fileName`, or null (with one console line) when it is missing or
    // is not a picture.
    [[nodiscard]] std::shared_ptr<Image> imageNamed(const std::string& fileName);

  private:
    Trace& m_trace;
    float m_scale{1};
    std::map<std::string, std::shared_ptr<Image>, std::less<>> m_images;
};

} // namespace torvane::platform
