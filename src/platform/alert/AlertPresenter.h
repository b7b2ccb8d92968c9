#pragma once

// Shows alerts over the screen, one at a time (the platform's alert window). `show` returns at
// once and the screen keeps animating beneath; while an alert is up every touch goes to it; a
// touch on a button answers it once and it goes away, and the next alert waiting takes its
// place. Text is set with SDL2_ttf in DejaVu Sans; without the fonts the panel is drawn without
// text. Main thread only.

#include "platform/alert/Alert.h"
#include "platform/alert/AlertLayout.h"
#include "platform/geometry/Geometry.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>

struct SDL_Renderer;
struct SDL_Texture;
struct _TTF_Font;

namespace torvane::platform {

class AlertPresenter {
  public:
    AlertPresenter();
    ~AlertPresenter();
    AlertPresenter(const AlertPresenter&) = delete;
    AlertPresenter& operator=(const AlertPresenter&) = delete;

    // The screen in points and its pixels per point; set before the first alert is drawn.
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

  private:
    struct FontCloser {
        void operator()(_TTF_Font* font) const;
    };
    using FontPointer = std::unique_ptr<_TTF_Font, FontCloser>;

    void answer(int index);
    bool openFonts();
    _TTF_Font* font(bool bold, float pointSize);
    [[nodiscard]] float measure(std::string_view text, bool bold, float pointSize);
    void dropPanel();

    std::deque<Alert> m_queue;
    Size m_screen{320, 480};
    float m_scale{1};
    bool m_fontsTried{false};
    bool m_ttfStarted{false};
    // Opened at the pixel sizes of this scale: title, message, button and bold button.
    FontPointer m_title, m_message, m_button, m_buttonBold;
    SDL_Texture* m_panel{nullptr}; // the drawn panel of the alert on top, made once per alert
    SDL_Renderer* m_panelRenderer{nullptr};
};

} // namespace torvane::platform
