#pragma once

// The eight lenses: the name stored under "lens_type" and the picture the lens view shows.
// Names compare for exact, case-sensitive equality.

#include <array>
#include <optional>
#include <string_view>

namespace torvane::screen {

struct Lens {
    std::string_view name;
    std::string_view imageFile;
};

inline constexpr std::array<Lens, 8> lensTable{{
    {"white", "white_screen.png"},
    {"green", "green_screen.png"},
    {"blue", "blue_screen.png"},
    {"red", "red_screen.png"},
    {"yellow", "yellow_screen.png"},
    {"bulb_1", "bulb_1.png"},
    {"bulb_4", "bulb_4.png"},
    {"bulb_5", "bulb_5.png"},
}};

// A flashlight gives light: the lens shown whenever the stored one cannot be used.
inline constexpr Lens whiteLens = lensTable[0];

[[nodiscard]] constexpr std::optional<Lens> lensNamed(std::string_view name) {
    for (const auto& lens : lensTable) {
        if (lens.name == name)
            return lens;
    }
    return std::nullopt;
}

} // namespace torvane::screen
