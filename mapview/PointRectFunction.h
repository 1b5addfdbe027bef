#pragma once

#include "MapEvents.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <memory>

class TTolmWindow;

// A map function that takes either a click or a dragged rectangle with the
// left button (rectangle zoom, measuring, point drawing). While the button is
// down the mouse is captured to the map window and an inverted rubber band
// follows it. A gesture that never grows to 3 x 3 pixels is a click; one that
// grew and shrank below that again is cancelled, until it grows once more; a
// press outside the map's pixels is cancelled.
class PointRectFunction : public MapFunction {
public:
    // Window pixels (client points of the map window); right and bottom are
    // the moving corner, so they may lie left of or above left and top.
    struct Rect {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        int width() const { return right - left; }
        int height() const { return bottom - top; }
    };
    enum Mode { ModeClick = 0, ModeRectangle = 1, ModeCancelled = 2 };

    explicit PointRectFunction(MapEventListener* delegate = nullptr);
    // Ends a gesture still running: removes its band, releases the capture.
    ~PointRectFunction() override;

    void MouseMove(MapEventInfo& info) override;
    void ButtonDown(MapEventInfo& info) override;
    void ButtonUp(MapEventInfo& info) override;
    // A gesture still running ends without an action.
    bool Leave(MapFunction* next) override;

    // |width| >= 3 and |height| >= 3.
    virtual bool RectBigEnough(const Rect& rect) const;
    virtual bool RectsAllowed() const { return true; }
    virtual void PointAction() {}
    // A click (double click false) or a double click; default: PointAction.
    virtual void Point(bool doubleClick);
    virtual void RectAction() {}

    const Rect& Rectangle() const { return m_rect; }
    Mode CurrentMode() const { return m_mode; }
    // The control holding the capture; none when idle.
    QWidget* CaptureWindow() const { return m_capture.data(); }
    bool Capturing() const { return m_capture != nullptr; }

private:
    class ButtonWatcher;

    void track(MapEventInfo& info, bool redraw);
    // Ends a running gesture without an action.
    void abandon();
    void drawBand();
    void startCapture(QWidget* control);
    void stopCapture();
    // Clamps a client point to the limits; false when it had to be moved.
    bool clamp(const MapEventInfo& info, int& x, int& y) const;

    QPointer<TTolmWindow> m_window;
    QPointer<QWidget> m_capture;
    std::unique_ptr<ButtonWatcher> m_watcher;
    Rect m_rect;
    Mode m_mode = ModeClick;
    // Whether the band is on the window's layer, and the layer's size then.
    bool m_bandShown = false;
    QSize m_bandLayerSize;
};
