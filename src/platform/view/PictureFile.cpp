#include "platform/view/PictureFile.h"

#include "platform/view/PackedPixels.h"
#include "platform/view/PackedPixelsFormat.h"
#include "platform/view/PngFile.h"

#include <SDL.h>

#include <cstdio>
#include <memory>

namespace torvane::platform {

namespace {

// Anything that does not begin as packed pixels is left to libpng, which says why it is no PNG.
bool isPacked(const std::string& path) {
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rbe"), &std::fclose);
    std::uint8_t magic[4]{};
    return file && std::fread(magic, 1, sizeof magic, file.get()) == sizeof magic &&
           packed::hasMagic(magic, sizeof magic);
}

} // namespace

std::optional<PictureHeader> readPictureHeader(const std::string& path, std::string& whyNot) {
    return isPacked(path) ? readPackedHeader(path, whyNot) : readPngHeader(path, whyNot);
}

bool readPictureInto(const std::string& path, const PictureHeader& expected, void* pixels, int pitch,
                     std::string& whyNot) {
    return expected.kind == PictureKind::Packed ? readPackedInto(path, expected, pixels, pitch, whyNot)
                                                : readPngInto(path, expected, pixels, pitch, whyNot);
}

SurfacePointer readPicture(const std::string& path, const PictureHeader& expected, std::string& whyNot) {
    SurfacePointer surface(
        SDL_CreateRGBSurfaceWithFormat(0, expected.width, expected.height, 32, SDL_PIXELFORMAT_BGRA32));
    if (!surface) {
        whyNot = SDL_GetError();
        return nullptr;
    }
    if (!readPictureInto(path, expected, surface->pixels, surface->pitch, whyNot))
        return nullptr;
    return surface;
}

SurfacePointer readPicture(const std::string& path, std::string& whyNot) {
    auto header = readPictureHeader(path, whyNot);
    return header ? readPicture(path, *header, whyNot) : nullptr;
}

} // namespace torvane::platform
