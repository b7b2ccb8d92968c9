#include "platform/alert/AlertLayout.h"

#include <cmath>

namespace torvane::platform {

std::vector<std::string> buttonTitles(const Alert& alert) {
    std::vector<std::string> titles;
    if (!alert.cancelButtonTitle.empty())
        titles.push_back(alert.cancelButtonTitle);
    titles.insert(titles.end(), alert.otherButtonTitles.begin(), alert.otherButtonTitles.end());
    return titles;
}

float lineHeight(float pointSize) {
    return std::ceil(pointSize * 1.3f);
}

std::vector<std::string> wrapText(std::string_view text, float width,
                                  const std::function<float(std::string_view)>& measure) {
    std::vector<std::string> lines;
    std::size_t paragraphStart = 0;
    while (paragraphStart <= text.size()) {
        std::size_t paragraphEnd = text.find('\n', paragraphStart);
        if (paragraphEnd == std::string_view::npos)
            paragraphEnd = text.size();
        std::string_view paragraph = text.substr(paragraphStart, paragraphEnd - paragraphStart);
        std::string line;
        std::size_t at = 0;
        while (at < paragraph.size()) {
            std::size_t space = paragraph.find(' ', at);
            if (space == std::string_view::npos)
                space = paragraph.size();
            std::string_view word = paragraph.substr(at, space - at);
            at = space + 1;
            if (word.empty())
                continue;
            std::string candidate = line.empty() ? std::string(word) : line + " " + std::string(word);
            if (line.empty() || measure(candidate) <= width) {
                line = std::move(candidate);
            } else {
                lines.push_back(std::move(line));
                line = std::string(word);
            }
        }
        lines.push_back(std::move(line));
        paragraphStart = paragraphEnd + 1;
    }
    return lines;
}

AlertLayout layoutAlert(const Alert& alert, Size screen, const TextWidth& measure) {
    AlertLayout layout;
    const float textWidth = alertPanelWidth - 2 * alertPadding;
    layout.titleLines = alert.title.empty() ? std::vector<std::string>{}
                                            : wrapText(alert.title, textWidth, [&](std::string_view text) {
                                                  return measure(text, AlertFont::Title);
                                              });
    layout.messageLines = alert.message.empty()
                              ? std::vector<std::string>{}
                              : wrapText(alert.message, textWidth, [&](std::string_view text) {
                                    return measure(text, AlertFont::Message);
                                });

    float y = 20;
    layout.titleTop = y;
    y += float(layout.titleLines.size()) * lineHeight(pointSize(AlertFont::Title));
    if (!layout.titleLines.empty() && !layout.messageLines.empty())
        y += 6;
    layout.messageTop = y;
    y += float(layout.messageLines.size()) * lineHeight(pointSize(AlertFont::Message));
    y += 20;
    const float buttonsTop = y;

    std::vector<std::string> titles = buttonTitles(alert);
    const bool hasCancel = !alert.cancelButtonTitle.empty();
    const std::size_t count = titles.size();
    if (count == 2) {
        // Side by side, the cancel button (index 0) on the left.
        for (int i = 0; i < 2; ++i)
            layout.buttons.push_back(
                {{float(i) * alertPanelWidth / 2, buttonsTop, alertPanelWidth / 2, alertButtonHeight},
                 i,
                 titles[std::size_t(i)],
                 hasCancel && i == 0});
        y += alertButtonHeight;
    } else {
        // Stacked: the others in order, the cancel button last.
        int first = hasCancel ? 1 : 0;
        for (std::size_t i = std::size_t(first); i < count; ++i) {
            layout.buttons.push_back({{0, y, alertPanelWidth, alertButtonHeight}, int(i), titles[i], false});
            y += alertButtonHeight;
        }
        if (hasCancel) {
            layout.buttons.push_back({{0, y, alertPanelWidth, alertButtonHeight}, 0, titles[0], true});
            y += alertButtonHeight;
        }
    }

    layout.panel = {std::round((screen.width - alertPanelWidth) / 2), std::round((screen.height - y) / 2),
                    alertPanelWidth, y};
    for (auto& button : layout.buttons) {
        button.frame.x += layout.panel.x;
        button.frame.y += layout.panel.y;
    }
    return layout;
}

std::optional<int> buttonAt(const AlertLayout& layout, Point point) {
    for (const auto& button : layout.buttons) {
        const Rect& f = button.frame;
        if (point.x >= f.x && point.x < f.x + f.width && point.y >= f.y && point.y < f.y + f.height)
            return button.index;
    }
    return std::nullopt;
}

} // namespace torvane::platform
