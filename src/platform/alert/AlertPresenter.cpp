#include "platform/alert/AlertPresenter.h"

#include "platform/core/ConsoleLog.h"
#include "platform/core/NeedsDisplay.h"
#include "platform/core/Trace.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace torvane::platform {

namespace {

constexpr const char* regularFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* boldFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

constexpr SDL_Color titleColor{0, 0, 0, 255};
constexpr SDL_Color messageColor{30, 30, 30, 255};
constexpr SDL_Color buttonColor{0, 110, 230, 255};
constexpr Uint8 backdropAlpha = 102; // 40 % black
constexpr Uint32 panelColor = 0xF4F4F6;
constexpr Uint8 panelAlpha = 248;
constexpr Uint32 separatorColor = 0xC6C6CC;

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

std::string joinTitles(const Alert& alert) {
    std::string joined;
    for (const auto& title : buttonTitles(alert)) {
        if (!joined.empty())
            joined += "|";
        joined += title;
    }
    return joined;
}

Uint32 argb(Uint32 rgb, Uint8 alpha) {
    return (Uint32(alpha) << 24) | rgb;
}

// A rounded rectangle filling `surface`, with corners antialiased by their pixel coverage.
void fillRoundedPanel(SDL_Surface* surface, float radius) {
    SDL_LockSurface(surface);
    auto* pixels = static_cast<unsigned char*>(surface->pixels);
    const float w = float(surface->w), h = float(surface->h);
    for (int y = 0; y < surface->h; ++y) {
        auto* row = reinterpret_cast<Uint32*>(pixels + std::size_t(y) * surface->pitch);
        for (int x = 0; x < surface->w; ++x) {
            float px = float(x) + 0.5f, py = float(y) + 0.5f;
            float cx = std::clamp(px, radius, w - radius);
            float cy = std::clamp(py, radius, h - radius);
            float distance = std::hypot(px - cx, py - cy);
            float coverage = std::clamp(radius + 0.5f - distance, 0.0f, 1.0f);
            row[x] = argb(panelColor, Uint8(std::lround(coverage * panelAlpha)));
        }
    }
    SDL_UnlockSurface(surface);
}

void fillRect(SDL_Surface* surface, float x, float y, float width, float height, Uint32 color) {
    SDL_Rect rect{int(std::lround(x)), int(std::lround(y)), std::max(1, int(std::lround(width))),
                  std::max(1, int(std::lround(height)))};
    SDL_FillRect(surface, &rect, argb(color, 255));
}

// Sets one line of text centred on `centreX` at `top`, in pixels.
void blitLine(SDL_Surface* target, TTF_Font* font, const std::string& text, SDL_Color color, float centreX,
              float top) {
    if (!font || text.empty())
        return;
    Surface line(TTF_RenderUTF8_Blended(font, text.c_str(), color));
    if (!line)
        return;
    SDL_SetSurfaceBlendMode(line.get(), SDL_BLENDMODE_BLEND);
    SDL_Rect at{int(std::lround(centreX - float(line->w) / 2)), int(std::lround(top)), line->w, line->h};
    SDL_BlitSurface(line.get(), nullptr, target, &at);
}

} // namespace

void AlertPresenter::FontCloser::operator()(_TTF_Font* font) const {
    TTF_CloseFont(font);
}

AlertPresenter::AlertPresenter() = default;

AlertPresenter::~AlertPresenter() {
    dropPanel();
    m_title.reset();
    m_message.reset();
    m_button.reset();
    m_buttonBold.reset();
    if (m_ttfStarted)
        TTF_Quit();
}

void AlertPresenter::setScreen(Size screen, float scale) {
    if (screen.width == m_screen.width && screen.height == m_screen.height && scale == m_scale)
        return;
    m_screen = screen;
    m_scale = scale > 0 ? scale : 1;
    m_fontsTried = false;
    m_title.reset();
    m_message.reset();
    m_button.reset();
    m_buttonBold.reset();
    dropPanel();
}

void AlertPresenter::show(Alert alert) {
    trace("alert.show", {{"title", alert.title}, {"message", alert.message}, {"buttons", joinTitles(alert)}});
    m_queue.push_back(std::move(alert));
    setNeedsDisplay();
}

bool AlertPresenter::touch(Point point) {
    if (m_queue.empty())
        return false;
    if (auto current = layout())
        if (auto index = buttonAt(*current, point))
            answer(*index);
    return true;
}

bool AlertPresenter::pressButton(int index) {
    if (m_queue.empty()) {
        consoleLog("alert: no alert is showing to press button " + std::to_string(index));
        return false;
    }
    if (index < 0 || std::size_t(index) >= buttonTitles(m_queue.front()).size()) {
        consoleLog("alert: the alert has no button " + std::to_string(index));
        return false;
    }
    answer(index);
    return true;
}

void AlertPresenter::answer(int index) {
    // Gone before the delegate hears of it, so that an alert it shows takes its turn normally.
    Alert answered = std::move(m_queue.front());
    m_queue.pop_front();
    dropPanel();
    setNeedsDisplay();
    trace("alert.answer", {{"index", index}});
    if (answered.onClick)
        answered.onClick(index);
}

bool AlertPresenter::openFonts() {
    if (m_fontsTried)
        return bool(m_title);
    m_fontsTried = true;
    if (!m_ttfStarted) {
        if (TTF_Init() != 0) {
            consoleLog(std::string("alert: no text, the font engine failed: ") + TTF_GetError());
            return false;
        }
        m_ttfStarted = true;
    }
    auto open = [&](const char* path, float points) {
        return FontPointer(TTF_OpenFont(path, int(std::lround(points * m_scale))));
    };
    m_title = open(boldFontPath, alertTitleSize);
    m_message = open(regularFontPath, alertMessageSize);
    m_button = open(regularFontPath, alertButtonSize);
    m_buttonBold = open(boldFontPath, alertButtonSize);
    if (!m_title || !m_message || !m_button || !m_buttonBold) {
        consoleLog(std::string("alert: no text, cannot open the DejaVu fonts: ") + TTF_GetError());
        m_title.reset();
        return false;
    }
    return true;
}

_TTF_Font* AlertPresenter::font(bool bold, float pointSize) {
    if (!openFonts())
        return nullptr;
    if (pointSize == alertTitleSize && bold)
        return m_title.get();
    if (pointSize == alertMessageSize)
        return m_message.get();
    return bold ? m_buttonBold.get() : m_button.get();
}

float AlertPresenter::measure(std::string_view text, bool bold, float pointSize) {
    TTF_Font* chosen = font(bold, pointSize);
    if (!chosen)
        return float(text.size()) * pointSize * 0.55f; // no fonts: an average glyph's width
    int width = 0, height = 0;
    TTF_SizeUTF8(chosen, std::string(text).c_str(), &width, &height);
    return float(width) / m_scale;
}

std::optional<AlertLayout> AlertPresenter::layout() {
    if (m_queue.empty())
        return std::nullopt;
    return layoutAlert(m_queue.front(), m_screen, [this](std::string_view text, bool bold, float size) {
        return measure(text, bold, size);
    });
}

void AlertPresenter::dropPanel() {
    if (m_panel)
        SDL_DestroyTexture(m_panel);
    m_panel = nullptr;
    m_panelRenderer = nullptr;
}

void AlertPresenter::draw(SDL_Renderer* renderer) {
    auto current = layout();
    if (!current)
        return;
    if (m_panelRenderer != renderer)
        dropPanel();

    const float s = m_scale;
    if (!m_panel) {
        // The panel, its text and its separators are drawn once into one texture per alert, so a
        // frame beneath an alert costs one more copy, not a text layout.
        int width = int(std::lround(current->panel.width * s));
        int height = int(std::lround(current->panel.height * s));
        Surface panel(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888));
        if (!panel)
            return;
        fillRoundedPanel(panel.get(), alertCornerRadius * s);
        const float centre = current->panel.width * s / 2;
        float y = current->titleTop * s;
        for (const auto& line : current->titleLines) {
            blitLine(panel.get(), font(true, alertTitleSize), line, titleColor, centre, y);
            y += lineHeight(alertTitleSize) * s;
        }
        y = current->messageTop * s;
        for (const auto& line : current->messageLines) {
            blitLine(panel.get(), font(false, alertMessageSize), line, messageColor, centre, y);
            y += lineHeight(alertMessageSize) * s;
        }
        const float hairline = std::max(1.0f, std::floor(s / 2));
        for (const auto& button : current->buttons) {
            float bx = (button.frame.x - current->panel.x) * s;
            float by = (button.frame.y - current->panel.y) * s;
            float bw = button.frame.width * s, bh = button.frame.height * s;
            fillRect(panel.get(), bx, by, bw, hairline, separatorColor);
            if (bx > 0)
                fillRect(panel.get(), bx, by, hairline, bh, separatorColor);
            TTF_Font* buttonFont = font(button.isCancel, alertButtonSize);
            float textHeight = buttonFont ? float(TTF_FontHeight(buttonFont)) : 0;
            blitLine(panel.get(), buttonFont, button.title, buttonColor, bx + bw / 2,
                     by + (bh - textHeight) / 2);
        }
        m_panel = SDL_CreateTextureFromSurface(renderer, panel.get());
        if (!m_panel)
            return;
        m_panelRenderer = renderer;
        SDL_SetTextureBlendMode(m_panel, SDL_BLENDMODE_BLEND);
    }

    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, backdropAlpha);
    SDL_RenderFillRect(renderer, nullptr);
    SDL_FRect target{current->panel.x * s, current->panel.y * s, current->panel.width * s,
                     current->panel.height * s};
    SDL_RenderCopyF(renderer, m_panel, nullptr, &target);
}

} // namespace torvane::platform
