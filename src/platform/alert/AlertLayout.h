#pragma once

// Where an alert's parts lie on the screen, in points: a panel centred on the screen, the title,
// the message wrapped to the panel's width, and the buttons, two side by side with the cancel
// button on the left, one alone across the panel, three or more stacked with the cancel button
// last. The drawing and the touch test both use this one layout.

#include "platform/alert/Alert.h"
#include "platform/geometry/Geometry.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvane::platform {

inline constexpr float alertPanelWidth = 270;
inline constexpr float alertPadding = 16;
inline constexpr float alertButtonHeight = 44;
inline constexpr float alertCornerRadius = 12;

// The faces of an alert by what they set; the cancel button's title is bold, as the platform's is.
enum class AlertFont { Title, Message, Button, BoldButton };

[[nodiscard]] constexpr float pointSize(AlertFont font) {
    return font == AlertFont::Message ? 14 : 17;
}
[[nodiscard]] constexpr bool isBold(AlertFont font) {
    return font == AlertFont::Title || font == AlertFont::BoldButton;
}

// The width of `text` in points, set in `font`.
using TextWidth = std::function<float(std::string_view text, AlertFont font)>;

struct AlertButtonLayout {
    Rect frame;
    int index{0};
    std::string title;
    bool isCancel{false};
    [[nodiscard]] AlertFont font() const { return isCancel ? AlertFont::BoldButton : AlertFont::Button; }
};

struct AlertLayout {
    Rect panel;
    std::vector<std::string> titleLines;
    std::vector<std::string> messageLines;
    float titleTop{0};   // from the panel's top
    float messageTop{0}; // from the panel's top
    std::vector<AlertButtonLayout> buttons;
};

[[nodiscard]] float lineHeight(float pointSize);

// Breaks `text` at spaces (and at newlines) into lines no wider than `width`; a word wider than
// the line stands on a line of its own.
[[nodiscard]] std::vector<std::string> wrapText(std::string_view text, float width,
                                                const std::function<float(std::string_view)>& measure);

[[nodiscard]] AlertLayout layoutAlert(const Alert& alert, Size screen, const TextWidth& measure);

// The index of the button under `point`, if any.
[[nodiscard]] std::optional<int> buttonAt(const AlertLayout& layout, Point point);

} // namespace torvane::platform
