// Build tool: rewrites a picture that is opaque everywhere as an RGB PNG without an alpha
// channel. rsvg-convert always writes RGBA; a picture without alpha is drawn without blending
// (SDL gives its texture no blend mode), which costs a tenth of a blended full-screen copy in
// software. A picture with a single pixel that is not opaque fails the build instead, so a
// lens can never turn see-through unnoticed.
//
// Usage: torvane_opaque_png INPUT.png OUTPUT.png

#include <png.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT.png OUTPUT.png\n", argv[0]);
        return 2;
    }
    const char* input = argv[1];
    const char* output = argv[2];

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, input)) {
        std::fprintf(stderr, "%s: %s\n", input, image.message);
        return 1;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        std::fprintf(stderr, "%s: %s\n", input, image.message);
        return 1;
    }

    std::vector<png_byte> rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        if (rgba[i + 3] != 255) {
            std::size_t pixel = i / 4;
            std::fprintf(stderr, "%s: pixel %zu,%zu is not opaque (alpha %d)\n", input, pixel % image.width,
                         pixel / image.width, int(rgba[i + 3]));
            return 1;
        }
        rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    }

    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, output, 0, rgb.data(), 0, nullptr)) {
        std::fprintf(stderr, "%s: %s\n", output, image.message);
        return 1;
    }
    return 0;
}
