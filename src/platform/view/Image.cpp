#include "platform/view/Image.h"

#include "platform/storage/ResourceBundle.h"
#include "platform/view/PictureFile.h"

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

} // namespace

Image::Image(std::string fileName, SurfacePointer surface, float scale)
    : m_fileName(std::move(fileName)), m_header{surface->w, surface->h, everyPixelOpaque(surface.get())},
      m_surface(std::move(surface)), m_scale(scale > 0 ? scale : 1) {}

Image::Image(std::string fileName, std::string path, const PictureHeader& header, float scale)
    : m_fileName(std::move(fileName)), m_path(std::move(path)), m_header(header),
      m_scale(scale > 0 ? scale : 1) {}

Size Image::size() const {
    return {float(m_header.width) / m_scale, float(m_header.height) / m_scale};
}

SDL_Surface* Image::surface(Trace& trace) {
    if (m_surface || m_path.empty())
        return m_surface.get();
    std::string whyNot;
    m_surface = readPicture(m_path, m_header, whyNot);
    if (!m_surface)
        trace.log("image: cannot read " + m_path + ": " + whyNot);
    return m_surface.get();
}

bool Image::decodeInto(void* pixels, int pitch, Trace& trace) const {
    std::string whyNot;
    if (m_path.empty() || !readPictureInto(m_path, m_header, pixels, pitch, whyNot)) {
        trace.log("image: cannot read " + m_path + ": " + whyNot);
        return false;
    }
    return true;
}

void Image::letPixelsGo() {
    if (!m_path.empty())
        m_surface.reset();
}

void ImageCache::setScale(float scale) {
    if (scale != m_scale)
        m_images.clear();
    m_scale = scale;
}

std::shared_ptr<Image> ImageCache::imageNamed(const std::string& fileName) {
    auto found = m_images.find(fileName);
    if (found != m_images.end())
        return found->second;
    std::shared_ptr<Image> image;
    // A missing picture is logged by imagePath.
    if (auto file = imagePath(m_trace, fileName, m_scale)) {
        std::string whyNot;
        if (auto header = readPictureHeader(file->path, whyNot))
            image = std::make_shared<Image>(fileName, file->path, *header, file->scale);
        else
            m_trace.log("image: cannot read " + file->path + ": " + whyNot);
    }
    m_images.emplace(fileName, image);
    return image;
}

} // namespace torvane::platform
