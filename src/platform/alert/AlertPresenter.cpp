#include "platform/alert/AlertPresenter.h"

#include "platform/core/NeedsDisplay.h"
#include "platform/core/Trace.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace torvane::platform {

namespace {

constexpr SDL_Color titleColor{0, 0, 0, 255};
constexpr SDL_Color messageColor{30, 30, 30, 255};
constexpr SDL_Color buttonColor{0, 110, 230, 255};
constexpr Uint8 backdropAlpha = 102; // 40 % black
// Opaque, as the platform's panel is over a lit screen: the tray must not show through the text.
constexpr Uint32 panelColor = 0xF4F4F6;
constexpr Uint32 separatorColor = 0xC6C6CC;

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
    if (SDL_LockSurface(surface) != 0)
        return;
    auto* pixels = static_cast<unsigned char*>(surface->pixels);
    const float w = float(surface->w), h = float(surface->h);
    for (int y = 0; y < surface->h; ++y) {
        auto* row = reinterpret_cast<Uint32*>(pixels + std::size_t(y) * std::size_t(surface->pitch));
        for (int x = 0; x < surface->w; ++x) {
            float px = float(x) + 0.5f, py = float(y) + 0.5f;
            float cx = std::clamp(px, radius, w - radius);
            float cy = std::clamp(py, radius, h - radius);
            float distance = std::hypot(px - cx, py - cy);
            float coverage = std::clamp(radius + 0.5f - distance, 0.0f, 1.0f);
            row[x] = argb(panelColor, Uint8(std::lround(coverage * 255)));
        }
    }
    SDL_UnlockSurface(surface);
}

void fillRect(SDL_Surface* surface, float x, float y, float width, float height, Uint32 color) {
    SDL_Rect rect{int(std::lround(x)), int(std::lround(y)), std::max(1, int(std::lround(width))),
                  std::max(1, int(std::lround(height)))};
    SDL_FillRect(surface, &rect, argb(color, 255));
}

constexpr std::size_t slot(AlertFont role) {
    return std::size_t(role);
}

} // namespace

AlertPresenter::AlertPresenter(Trace& trace, NeedsDisplay& needsDisplay, AlertTextLibraries libraries)
    : m_trace(trace), m_needsDisplay(needsDisplay), m_libraries(std::move(libraries)) {}

void AlertPresenter::setScreen(Size screen, float scale) {
    scale = scale > 0 ? scale : 1;
    if (screen.width == m_screen.width && screen.height == m_screen.height && scale == m_scale)
        return;
    m_screen = screen;
    if (scale != m_scale) {
        m_scale = scale;
        m_fontsTried = false;
        for (auto& font : m_fonts)
            font.reset();
    }
    forgetLayout();
}

void AlertPresenter::show(Alert alert) {
    m_trace.record("alert.show",
                   {{"title", alert.title}, {"message", alert.message}, {"buttons", joinTitles(alert)}});
    m_queue.push_back(std::move(alert));
    m_needsDisplay.set();
}

bool AlertPresenter::touch(Point point) {
    if (m_queue.empty())
        return false;
    if (const AlertLayout* current = currentLayout())
        if (auto index = buttonAt(*current, point))
            answer(*index);
    return true;
}

bool AlertPresenter::pressButton(int index) {
    if (m_queue.empty()) {
        m_trace.log("alert: no alert is showing to press button " + std::to_string(index));
        return false;
    }
    if (index < 0 || std::size_t(index) >= buttonTitles(m_queue.front()).size()) {
        m_trace.log("alert: the alert has no button " + std::to_string(index));
        return false;
    }
    answer(index);
    return true;
}

void AlertPresenter::answer(int index) {
    // Gone before the delegate hears of it, so that an alert it shows takes its turn normally.
    Alert answered = std::move(m_queue.front());
    m_queue.pop_front();
    forgetLayout();
    m_needsDisplay.set();
    m_trace.record("alert.answer", {{"index", index}});
    if (answered.onClick)
        answered.onClick(index);
}

void AlertPresenter::forgetTextures() {
    m_panel.reset();
    m_panelRenderer = nullptr;
}

void AlertPresenter::forgetLayout() {
    m_layout.reset();
    forgetTextures();
}

bool AlertPresenter::openFonts() {
    if (m_fontsTried)
        return m_fonts[slot(AlertFont::Message)] != nullptr;
    m_fontsTried = true;
    if (!std::exchange(m_ttfTried, true)) {
        std::string whyNot;
        m_ttf = TtfLibrary::load(whyNot, m_libraries.ttf);
        if (!m_ttf && !std::exchange(m_toldNoFonts, true))
            m_trace.log("alert: no text, the font engine failed: " + whyNot);
    }
    if (!m_ttf)
        return false;
    std::string failure = "no font found";
    if (!m_fontFiles)
        m_fontFiles = lookUpFonts(failure);
    auto open = [&](const std::string& path, AlertFont role) {
        if (path.empty())
            return FontPointer(nullptr, {m_ttf->closeFont});
        FontPointer font(m_ttf->openFont(path.c_str(), int(std::lround(pointSize(role) * m_scale))),
                         {m_ttf->closeFont});
        if (!font)
            failure = path + ": " + TTF_GetError();
        return font;
    };
    // A face that will not open gives way to the other weight, so that some text is always set.
    for (AlertFont role : {AlertFont::Title, AlertFont::Message, AlertFont::Button, AlertFont::BoldButton}) {
        const std::string& own = isBold(role) ? m_fontFiles->bold : m_fontFiles->regular;
        const std::string& other = isBold(role) ? m_fontFiles->regular : m_fontFiles->bold;
        m_fonts[slot(role)] = open(own, role);
        if (!m_fonts[slot(role)] && other != own)
            m_fonts[slot(role)] = open(other, role);
    }
    for (const auto& font : m_fonts)
        if (!font) {
            for (auto& opened : m_fonts)
                opened.reset();
            if (!std::exchange(m_toldNoFonts, true))
                m_trace.log("alert: no text, no font could be opened (" + failure + ")");
            return false;
        }
    return true;
}

AlertFontFiles AlertPresenter::lookUpFonts(std::string& whyNone) {
    // Let go once the files are known: nothing fontconfig hands out outlives the lookup.
    auto fontconfig = FontconfigLibrary::load(whyNone, m_libraries.fontconfig);
    return fontconfig ? findAlertFonts(*fontconfig) : AlertFontFiles{};
}

TTF_Font* AlertPresenter::font(AlertFont role) {
    if (!openFonts())
        return nullptr;
    return m_fonts[slot(role)].get();
}

void AlertPresenter::tellTextFailed(const char* what) {
    if (!std::exchange(m_toldTextFailed, true))
        m_trace.log(std::string("alert: cannot ") + what + ": " + TTF_GetError());
}

float AlertPresenter::measure(std::string_view text, AlertFont role) {
    // Without a font, an average glyph's width keeps the wrapping close to what the text would be.
    const float estimate = float(text.size()) * pointSize(role) * 0.55f;
    TTF_Font* chosen = font(role);
    if (!chosen)
        return estimate;
    int width = 0, height = 0;
    if (m_ttf->sizeUtf8(chosen, std::string(text).c_str(), &width, &height) != 0) {
        tellTextFailed("measure text");
        return estimate;
    }
    return float(width) / m_scale;
}

const AlertLayout* AlertPresenter::currentLayout() {
    if (m_queue.empty())
        return nullptr;
    if (!m_layout)
        m_layout = layoutAlert(m_queue.front(), m_screen,
                               [this](std::string_view text, AlertFont role) { return measure(text, role); });
    return &*m_layout;
}

std::optional<AlertLayout> AlertPresenter::layout() {
    const AlertLayout* current = currentLayout();
    return current ? std::optional<AlertLayout>(*current) : std::nullopt;
}

// Sets one line of text centred on `centreX` at `top`, in pixels.
void AlertPresenter::blitLine(SDL_Surface* target, AlertFont role, const std::string& text, SDL_Color color,
                              float centreX, float top) {
    TTF_Font* chosen = font(role);
    if (!chosen || text.empty())
        return;
    SurfacePointer line(m_ttf->renderUtf8Blended(chosen, text.c_str(), color));
    if (!line) {
        tellTextFailed("set text");
        return;
    }
    SDL_SetSurfaceBlendMode(line.get(), SDL_BLENDMODE_BLEND);
    SDL_Rect at{int(std::lround(centreX - float(line->w) / 2)), int(std::lround(top)), line->w, line->h};
    SDL_BlitSurface(line.get(), nullptr, target, &at);
}

void AlertPresenter::drawPanel(const AlertLayout& layout, SDL_Renderer* renderer) {
    // The panel, its text and its separators are drawn once into one texture per alert, so a
    // frame beneath an alert costs one more copy, not a text layout.
    const float s = m_scale;
    int width = int(std::lround(layout.panel.width * s));
    int height = int(std::lround(layout.panel.height * s));
    SurfacePointer panel(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888));
    if (!panel)
        return;
    fillRoundedPanel(panel.get(), alertCornerRadius * s);
    const float centre = layout.panel.width * s / 2;
    float y = layout.titleTop * s;
    for (const auto& line : layout.titleLines) {
        blitLine(panel.get(), AlertFont::Title, line, titleColor, centre, y);
        y += lineHeight(pointSize(AlertFont::Title)) * s;
    }
    y = layout.messageTop * s;
    for (const auto& line : layout.messageLines) {
        blitLine(panel.get(), AlertFont::Message, line, messageColor, centre, y);
        y += lineHeight(pointSize(AlertFont::Message)) * s;
    }
    const float hairline = std::max(1.0f, std::floor(s / 2));
    for (const auto& button : layout.buttons) {
        float bx = (button.frame.x - layout.panel.x) * s;
        float by = (button.frame.y - layout.panel.y) * s;
        float bw = button.frame.width * s, bh = button.frame.height * s;
        fillRect(panel.get(), bx, by, bw, hairline, separatorColor);
        if (bx > 0)
            fillRect(panel.get(), bx, by, hairline, bh, separatorColor);
        TTF_Font* buttonFont = font(button.font());
        float textHeight = buttonFont ? float(m_ttf->fontHeight(buttonFont)) : 0;
        blitLine(panel.get(), button.font(), button.title, buttonColor, bx + bw / 2,
                 by + (bh - textHeight) / 2);
    }
    m_panel.reset(SDL_CreateTextureFromSurface(renderer, panel.get()));
    if (!m_panel)
        return;
    m_panelRenderer = renderer;
    SDL_SetTextureBlendMode(m_panel.get(), SDL_BLENDMODE_BLEND);
}

void AlertPresenter::draw(SDL_Renderer* renderer) {
    const AlertLayout* current = currentLayout();
    if (!current)
        return;
    if (m_panelRenderer != renderer) {
        m_panel.reset();
        m_panelRenderer = nullptr;
    }
    if (!m_panel)
        drawPanel(*current, renderer);

    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, backdropAlpha);
    SDL_RenderFillRect(renderer, nullptr);
    if (!m_panel)
        return;
    const float s = m_scale;
    SDL_FRect target{current->panel.x * s, current->panel.y * s, current->panel.width * s,
                     current->panel.height * s};
    SDL_RenderCopyF(renderer, m_panel.get(), nullptr, &target);
}

} // namespace torvane::platform
