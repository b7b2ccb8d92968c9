#pragma once

// A decoded picture (the platform's UIImage) and the cache that `imageNamed` loads it through.

#include "platform/core/BackgroundWork.h"
#include "platform/core/SdlPointers.h"
#include "platform/core/Trace.h"
#include "platform/geometry/Geometry.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace torvane::platform {

class Image {
  public:
    // `surface` must not be null; `scale` is the pixels per point of the file (2 for @2x).
    // `knownOpaque` when the file has no alpha channel, which spares looking at every pixel.
    // `path` is the file the pixels came from, when they did.
    Image(std::string fileName, SurfacePointer surface, float scale, bool knownOpaque = false,
          std::string path = {});

    [[nodiscard]] const std::string& fileName() const { return m_fileName; }
    // The pixels, read from the file again if they were let go; null when that fails.
    [[nodiscard]] SDL_Surface* surface(Trace& trace);
    // A texture holds the pixels now: they are let go if they came from a file, which gives them
    // again should the texture be lost. A picture is then held once, not twice.
    void letPixelsGo();
    [[nodiscard]] bool holdsPixels() const { return m_surface != nullptr; }
    [[nodiscard]] Size size() const; // in points
    // No pixel is translucent: the renderer copies it without blending, ten times faster in software.
    [[nodiscard]] bool isOpaque() const { return m_opaque; }

  private:
    std::string m_fileName;
    std::string m_path;
    SurfacePointer m_surface;
    int m_width{0};
    int m_height{0};
    float m_scale{1};
    bool m_opaque{false};
};

// `imageNamed`: each resource is loaded once and kept while the cache lives, as the platform's
// image cache does. Misses are kept too, so a missing picture is looked for and reported once.
class ImageCache {
  public:
    explicit ImageCache(Trace& trace) : m_trace(trace) {}

    // The scale of the screen that variants are picked for (default 1); a new scale empties the
    // cache.
    void setScale(float scale);

    // The image of the resource `fileName`, or null (with one console line) when it is missing or
    // cannot be decoded. One still being decoded by `prefetch` is waited for.
    [[nodiscard]] std::shared_ptr<Image> imageNamed(const std::string& fileName);

    // Decodes `fileNames` at the current scale on a thread of `work`, so that the first frame's
    // pictures are ready on another core while the start does the rest of its work. A missing or
    // bad picture is said from that thread. Without a thread they are decoded here and now.
    void prefetch(BackgroundWork& work, const std::vector<std::string>& fileNames);
    // Decodes here, from the far end of the prefetch's list, the pictures it has not begun, and
    // waits for the one it is on: the two threads meet in the middle, so that the pictures are
    // ready sooner than the prefetch alone would have them.
    void finishPrefetch();

  private:
    // A picture decoded once by whichever thread comes to it first, the prefetch or the screen;
    // a thread that comes while another decodes waits for it.
    struct Decoding {
        Decoding(std::string name, float pixelsPerPoint) : fileName(std::move(name)), scale(pixelsPerPoint) {}

        std::string fileName;
        float scale{1};
        std::once_flag once;
        std::shared_ptr<Image> image;
    };

    // The decoded picture; the prefetch decodes for the cache alone and lets it go.
    std::shared_ptr<Image> decode(Decoding& decoding);

    Trace& m_trace;
    std::mutex m_mutex;
    float m_scale{1};
    std::map<std::string, std::shared_ptr<Decoding>, std::less<>> m_images;
    std::vector<std::shared_ptr<Decoding>> m_prefetched; // in the prefetch's order
};

// Decodes a PNG file; null, with a console line, when it cannot.
[[nodiscard]] std::shared_ptr<Image> loadImageFile(Trace& trace, const std::string& path,
                                                   const std::string& fileName, float scale);

} // namespace torvane::platform
