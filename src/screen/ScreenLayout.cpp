// The view tree. The views, their pictures and the opening animations come with the screen's
// drawing; until then `loadView` creates only the root view.

#include "screen/TorvaneViewController.h"

namespace torvane::screen {

std::shared_ptr<platform::View> TorvaneViewController::view() {
    if (!m_view)
        loadView();
    return m_view;
}

void TorvaneViewController::loadView() {
    m_view = std::make_shared<platform::View>();
}

} // namespace torvane::screen
