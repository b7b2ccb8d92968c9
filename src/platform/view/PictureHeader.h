#pragma once

namespace torvane::platform {

enum class PictureKind { Png, Packed };

// What a picture file tells before its pixels are read.
struct PictureHeader {
    int width{0};
    int height{0};
    bool opaque{false}; // no pixel is translucent: drawn without blending
    PictureKind kind{PictureKind::Png};
};

} // namespace torvane::platform
