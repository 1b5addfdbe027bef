#pragma once

#include "MapEvents.h"

#include <functional>

// The idle drawing mode: active while the page "Zeichnen" shows the element
// tree. Entering it brings the page to the front first, so the toolbar
// button and the page always go together.
class UserDrawFunction : public MapFunction {
public:
    UserDrawFunction();

    // How to show the page and whether it is shown; set by the drawing module.
    std::function<void()> showPage;
    std::function<bool()> pageShown;

    void Enter(MapFunction* previous) override;

private:
    // Showing the page activates this function again through the page's
    // action; that must not show the page a second time.
    bool m_entering = false;
};
