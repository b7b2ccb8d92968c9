// Build tool: writes a picture drawn by rsvg-convert in the two forms the screen reads.
//
// - Packed (src/platform/view/PackedPixelsFormat.h): the pixels SDL's software renderer holds,
//   compressed with LZ4's high-compression mode, which costs the build time and leaves unpacking
//   nearly as fast as a copy. This is the form that is installed and read at start.
// - As PNG, without row filters, at full compression, for anything that reads pictures as PNG
//   (the tests compare the two). The pictures are flat colours and smooth gradients, which
//   deflate finds on its own; undoing Paeth and average filters was most of their decoding.
// - With --opaque, both without alpha: the PNG as RGB, the packed picture marked opaque. rsvg-convert
//   always writes RGBA; a picture without alpha is drawn without blending, which costs a tenth
//   of a blended full-screen copy in software. A picture with a single pixel that is not opaque
//   fails the build instead, so a lens can never turn see-through unnoticed.
//
// Usage: torvane_screen_picture [--opaque] INPUT.png OUTPUT.png OUTPUT.pixels

#include "platform/view/PackedPixelsFormat.h"

#include <lz4hc.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct Pixels {
    png_uint_32 width{0};
    png_uint_32 height{0};
    int channels{4};
    std::vector<png_byte> bytes;
};

bool read(const char* path, Pixels& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) {
        std::fprintf(stderr, "%s: %s\n", path, image.message);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    pixels.width = image.width;
    pixels.height = image.height;
    pixels.bytes.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.bytes.data(), 0, nullptr)) {
        std::fprintf(stderr, "%s: %s\n", path, image.message);
        return false;
    }
    return true;
}

// RGBA to RGB; false, naming the first pixel that is not opaque, if there is one.
bool dropAlpha(const char* path, Pixels& pixels) {
    std::vector<png_byte> rgb;
    rgb.reserve(pixels.bytes.size() / 4 * 3);
    for (std::size_t i = 0; i < pixels.bytes.size(); i += 4) {
        if (pixels.bytes[i + 3] != 255) {
            std::size_t pixel = i / 4;
            std::fprintf(stderr, "%s: pixel %zu,%zu is not opaque (alpha %d)\n", path, pixel % pixels.width,
                         pixel / pixels.width, int(pixels.bytes[i + 3]));
            return false;
        }
        rgb.insert(rgb.end(), {pixels.bytes[i], pixels.bytes[i + 1], pixels.bytes[i + 2]});
    }
    pixels.bytes = std::move(rgb);
    pixels.channels = 3;
    return true;
}

// libpng reports errors by longjmp; nothing here owns anything between setjmp and the jump but
// the write struct, which is destroyed on both ways out.
bool write(const char* path, const Pixels& pixels) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::perror(path);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, pixels.width, pixels.height, 8,
                     pixels.channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_set_compression_level(png, 9);
        png_write_info(png, info);
        const std::size_t stride = std::size_t(pixels.width) * pixels.channels;
        for (png_uint_32 y = 0; y < pixels.height; ++y)
            png_write_row(png, pixels.bytes.data() + y * stride);
        png_write_end(png, info);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0)
        written = false;
    if (!written)
        std::fprintf(stderr, "%s: cannot write the picture\n", path);
    return written;
}

// The packed form: B, G, R, A whatever the PNG's channels.
bool writePacked(const char* path, const Pixels& pixels) {
    namespace packed = torvane::platform::packed;
    std::vector<char> bgra;
    bgra.reserve(std::size_t(pixels.width) * pixels.height * 4);
    for (std::size_t i = 0; i < pixels.bytes.size(); i += std::size_t(pixels.channels))
        bgra.insert(bgra.end(), {char(pixels.bytes[i + 2]), char(pixels.bytes[i + 1]), char(pixels.bytes[i]),
                                 char(pixels.channels == 4 ? pixels.bytes[i + 3] : 255)});
    std::vector<char> block(std::size_t(LZ4_compressBound(int(bgra.size()))));
    const int size =
        LZ4_compress_HC(bgra.data(), block.data(), int(bgra.size()), int(block.size()), LZ4HC_CLEVEL_DEFAULT);
    if (size <= 0 || pixels.width > packed::largestSide || pixels.height > packed::largestSide) {
        std::fprintf(stderr, "%s: cannot pack the picture\n", path);
        return false;
    }
    const auto header =
        packed::encode({pixels.width, pixels.height, pixels.channels == 3, std::uint32_t(size)});
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::perror(path);
        return false;
    }
    const bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size() &&
                         std::fwrite(block.data(), 1, std::size_t(size), file) == std::size_t(size);
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "%s: cannot write the picture\n", path);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool opaque = argc == 5 && std::strcmp(argv[1], "--opaque") == 0;
    if (argc != 4 && !opaque) {
        std::fprintf(stderr, "usage: %s [--opaque] INPUT.png OUTPUT.png OUTPUT.pixels\n", argv[0]);
        return 2;
    }
    const char* input = argv[argc - 3];
    Pixels pixels;
    if (!read(input, pixels) || (opaque && !dropAlpha(input, pixels)) || !write(argv[argc - 2], pixels) ||
        !writePacked(argv[argc - 1], pixels))
        return 1;
    return 0;
}
