#include "platform/view/Image.h"

#include "platform/storage/ResourceBundle.h"
#include "platform/view/PngFile.h"

#include <SDL.h>

#include <utility>

namespace torvane::platform {

namespace {

bool everyPixelOpaque(SDL_Surface* surface) {
    if (!surface->format->Amask)
        return true;
    if (SDL_LockSurface(surface) != 0)
        return false;
    bool opaque = true;
    const auto* pixels = static_cast<const unsigned char*>(surface->pixels);
    for (int y = 0; y < surface->h && opaque; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(pixels + std::size_t(y) * surface->pitch);
        for (int x = 0; x < surface->w; ++x)
            if ((row[x] & surface->format->Amask) != surface->format->Amask) {
                opaque = false;
                break;
            }
    }
    SDL_UnlockSurface(surface);
    return opaque;
}

// The PNG at `path` in the one pixel format of every picture; a null surface, with a console
// line, when it cannot be read.
PngPicture readPicture(Trace& trace, const std::string& path) {
    std::string whyNot;
    PngPicture picture = readPng(path, whyNot);
    if (!picture.surface) {
        trace.log("image: cannot read " + path + ": " + whyNot);
        return {};
    }
    // The software renderer's own format, so drawing never converts. It is what the PNG reader
    // gives on a little-endian machine.
    if (picture.surface->format->format != SDL_PIXELFORMAT_ARGB8888) {
        picture.surface.reset(SDL_ConvertSurfaceFormat(picture.surface.get(), SDL_PIXELFORMAT_ARGB8888, 0));
        if (!picture.surface)
            trace.log("image: cannot convert " + path + ": " + SDL_GetError());
    }
    return picture;
}

} // namespace

Image::Image(std::string fileName, SurfacePointer surface, float scale, bool knownOpaque, std::string path)
    : m_fileName(std::move(fileName)), m_path(std::move(path)), m_surface(std::move(surface)),
      m_width(m_surface->w), m_height(m_surface->h), m_scale(scale > 0 ? scale : 1),
      m_opaque(knownOpaque || everyPixelOpaque(m_surface.get())) {}

SDL_Surface* Image::surface(Trace& trace) {
    if (!m_surface && !m_path.empty()) {
        m_surface = readPicture(trace, m_path).surface;
        // A file changed under us since must not change the picture's size.
        if (m_surface && (m_surface->w != m_width || m_surface->h != m_height))
            m_surface.reset();
    }
    return m_surface.get();
}

void Image::letPixelsGo() {
    if (!m_path.empty())
        m_surface.reset();
}

Size Image::size() const {
    return {float(m_width) / m_scale, float(m_height) / m_scale};
}

void ImageCache::setScale(float scale) {
    std::lock_guard lock(m_mutex);
    if (scale != m_scale) {
        m_images.clear();
        m_prefetched.clear();
    }
    m_scale = scale;
}

std::shared_ptr<Image> loadImageFile(Trace& trace, const std::string& path, const std::string& fileName,
                                     float scale) {
    auto [loaded, opaque] = readPicture(trace, path);
    if (!loaded)
        return nullptr;
    return std::make_shared<Image>(fileName, std::move(loaded), scale, opaque, path);
}

std::shared_ptr<Image> ImageCache::decode(Decoding& decoding) {
    std::call_once(decoding.once, [&] {
        // A missing picture is logged by imagePath.
        if (auto file = imagePath(m_trace, decoding.fileName, decoding.scale))
            decoding.image = loadImageFile(m_trace, file->path, decoding.fileName, file->scale);
    });
    return decoding.image;
}

std::shared_ptr<Image> ImageCache::imageNamed(const std::string& fileName) {
    std::shared_ptr<Decoding> decoding;
    {
        std::lock_guard lock(m_mutex);
        auto& entry = m_images[fileName];
        if (!entry)
            entry = std::make_shared<Decoding>(fileName, m_scale);
        decoding = entry;
    }
    // Outside the lock, so that a prefetch on another thread goes on meanwhile.
    return decode(*decoding);
}

void ImageCache::prefetch(BackgroundWork& work, const std::vector<std::string>& fileNames) {
    auto decodings = std::make_shared<std::vector<std::shared_ptr<Decoding>>>();
    {
        std::lock_guard lock(m_mutex);
        for (const auto& fileName : fileNames) {
            auto& entry = m_images[fileName];
            if (entry)
                continue;
            entry = std::make_shared<Decoding>(fileName, m_scale);
            decodings->push_back(entry);
        }
        m_prefetched = *decodings;
    }
    if (decodings->empty())
        return;
    // In order; the screen, asking for a picture not yet begun, decodes it itself meanwhile. A new
    // scale drops these from the cache, and whoever asks then decodes anew.
    auto decodeAll = [this, decodings] {
        for (const auto& decoding : *decodings)
            decode(*decoding);
    };
    if (!work.start([decodeAll](std::stop_token) { decodeAll(); }))
        decodeAll();
}

void ImageCache::finishPrefetch() {
    std::vector<std::shared_ptr<Decoding>> decodings;
    {
        std::lock_guard lock(m_mutex);
        decodings.swap(m_prefetched);
    }
    for (auto decoding = decodings.rbegin(); decoding != decodings.rend(); ++decoding)
        decode(**decoding);
}

} // namespace torvane::platform
