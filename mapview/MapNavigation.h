#pragma once

#include <QObject>
#include <QPoint>

#include <Qt>

class QKeyEvent;
class QMouseEvent;
class TTolmWindow;

// Moving about the main map with keyboard and mouse, beside whatever map
// function is active: the arrow keys and Page Up/Down scroll, Ctrl++ and
// Ctrl+- (and Ctrl with the wheel) zoom about the mouse position, and the
// middle button drags the map. The left button stays the map functions' own;
// a middle click that does not drag reaches them as before.
class MapNavigation : public QObject {
    Q_OBJECT
public:
    // Watches the window and its client area; owned by the window.
    explicit MapNavigation(TTolmWindow& window);

    // Zooms by `factor` (2 = twice as close) within the map window module's
    // limits, keeping the map point at `anchor` (client pixels) where it is.
    static void ZoomAbout(TTolmWindow& window, double factor, QPoint anchor);
    // The same about the mouse position, or the middle of the window when the
    // mouse is not over it.
    static void ZoomAboutMouse(TTolmWindow& window, double factor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPress(QKeyEvent* event);
    bool mouse(QMouseEvent* event);

    TTolmWindow& m_window;
    // The window's client area as it was when the filter was installed: the
    // filter compares against it without asking the window, which may be
    // half destroyed while its children go.
    QWidget* m_viewport;
    enum class Drag { None, Pressed, Dragging };
    Drag m_drag = Drag::None;
    QPoint m_pressPosition;
    QPoint m_pressScroll;
    bool m_pressWasDoubleClick = false;
    Qt::KeyboardModifiers m_pressModifiers;
    // Set while a held-back middle click is handed on to the window.
    bool m_replaying = false;
    // Wheel steps of less than one notch, kept for the next event.
    int m_wheelRest = 0;
};
