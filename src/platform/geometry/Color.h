#pragma once

// A colour (the platform's UIColor): red, green, blue and alpha from 0.0 to 1.0.

namespace torvane::platform {

struct Color {
    float r{0};
    float g{0};
    float b{0};
    float a{1};

    friend bool operator==(const Color&, const Color&) = default;
};

} // namespace torvane::platform
