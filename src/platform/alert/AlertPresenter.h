#pragma once

// Shows alerts over the screen, one at a time (the platform's alert window). `show` returns at
// once and the screen keeps animating beneath; while an alert is up every touch goes to it; a
// touch on a button answers it once and it goes away, and the next alert waiting takes its
// place. Text is set with SDL2_ttf in the faces AlertFonts.h finds, both libraries opened at the
// first alert rather than at start; without any font, or without either library, the panel and
// its buttons are drawn without text and still answer. Each alert is laid out and drawn once per
// screen size, not per frame. Main thread only.

#include "platform/alert/Alert.h"
#include "platform/alert/AlertFonts.h"
#include "platform/alert/AlertLayout.h"
#include "platform/alert/FontconfigLibrary.h"
#include "platform/alert/TtfLibrary.h"
#include "platform/core/NeedsDisplay.h"
#include "platform/core/SdlPointers.h"
#include "platform/core/Trace.h"
#include "platform/geometry/Geometry.h"

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace torvane::platform {

// The libraries that set an alert's text, by soname: a test names one that cannot be found.
struct AlertTextLibraries {
    std::string fontconfig{FontconfigLibrary::soname};
    std::string ttf{TtfLibrary::soname};
};

class AlertPresenter {
  public:
    AlertPresenter(Trace& trace, NeedsDisplay& needsDisplay, AlertTextLibraries libraries = {});
    AlertPresenter(const AlertPresenter&) = delete;
    AlertPresenter& operator=(const AlertPresenter&) = delete;

    // The screen in points and its pixels per point; set before the first alert is drawn. A change
    // lays the alert out again.
    void setScreen(Size screen, float scale);

    // Traced as `alert.show` {title, message, buttons}: buttons are the titles in index order
    // joined with "|".
    void show(Alert alert);

    [[nodiscard]] bool isShowing() const { return !m_queue.empty(); }
    [[nodiscard]] std::size_t waiting() const { return m_queue.empty() ? 0 : m_queue.size() - 1; }
    [[nodiscard]] const Alert* top() const { return m_queue.empty() ? nullptr : &m_queue.front(); }

    // A touch while an alert is up: true when the alert took it (always, while one is up).
    bool touch(Point point);
    // Presses button `index` of the alert on top (the script's `alert N`); false, with a console
    // line, when there is no alert or no such button.
    bool pressButton(int index);

    // The layout of the alert on top, with the real fonts where they could be opened.
    [[nodiscard]] std::optional<AlertLayout> layout();

    // Draws the alert on top, if any, over what `renderer` holds.
    void draw(SDL_Renderer* renderer);
    // Drops the drawn panel, to be drawn again at the next frame: the renderer lost its textures.
    void forgetTextures();
    [[nodiscard]] bool hasPanelTexture() const { return m_panel != nullptr; }

  private:
    void answer(int index);
    // Forgets the layout and the drawn panel, when the alert on top or the screen changes.
    void forgetLayout();
    [[nodiscard]] const AlertLayout* currentLayout();
    bool openFonts();
    [[nodiscard]] AlertFontFiles lookUpFonts(std::string& whyNone);
    [[nodiscard]] TTF_Font* font(AlertFont role);
    [[nodiscard]] float measure(std::string_view text, AlertFont role);
    void drawPanel(const AlertLayout& layout, SDL_Renderer* renderer);
    void blitLine(SDL_Surface* target, AlertFont role, const std::string& text, SDL_Color color,
                  float centreX, float top);
    void tellTextFailed(const char* what);

    Trace& m_trace;
    NeedsDisplay& m_needsDisplay;
    std::deque<Alert> m_queue;
    Size m_screen{320, 480};
    float m_scale{1};
    std::optional<AlertLayout> m_layout; // of the alert on top, at this size

    AlertTextLibraries m_libraries;
    // Declared before the fonts, which it must outlive: it ends the font engine when it goes.
    std::shared_ptr<const TtfLibrary> m_ttf;
    bool m_ttfTried{false};
    std::optional<AlertFontFiles> m_fontFiles; // looked up once
    bool m_fontsTried{false};                  // at this scale
    bool m_toldNoFonts{false};
    bool m_toldTextFailed{false};
    // By AlertFont, opened at the pixel sizes of this scale.
    std::array<FontPointer, 4> m_fonts;

    TexturePointer m_panel; // the drawn panel of the alert on top, made once per alert and size
    SDL_Renderer* m_panelRenderer{nullptr};
};

} // namespace torvane::platform
