#pragma once

#include "Coord.h"
#include "NotifyEvent.h"

#include <QPointer>
#include <QRect>

#include <memory>

class MapEventInfo;
class QPainter;
class TTolmWindow;

// Lets the same drawing code paint on the screen and on a printer: a canvas
// together with the conversion from positions into that canvas's pixels, the
// answer whether it prints and the scale for line widths. Drawing code draws
// lines with width x LineScale(), so printed lines keep their visual width.
namespace DrawCoordTransformer {

class BaseDCT {
public:
    explicit BaseDCT(QPainter* canvas = nullptr) : m_canvas(canvas) {}
    BaseDCT(const BaseDCT&) = delete;
    BaseDCT& operator=(const BaseDCT&) = delete;
    // Tells every destruction listener, with this transformer as argument, so
    // that caches keyed by transformer can be dropped. The listeners must use
    // the pointer only as a key: the derived parts are already gone.
    virtual ~BaseDCT();

    // The map library's conversion.
    virtual bool Transform(const Coord& from, Coord& to) const;
    virtual bool IsPrinting() const { return false; }
    virtual double LineScale() const { return 1.0; }

    // None when the transformer has nothing to draw on.
    QPainter* Canvas() const { return m_canvas; }
    NotifyEvent::Dispatcher<BaseDCT>& OnDestroy() { return m_onDestroy; }

protected:
    void SetCanvas(QPainter* canvas) { m_canvas = canvas; }

private:
    QPainter* m_canvas = nullptr;
    NotifyEvent::Dispatcher<BaseDCT> m_onDestroy;
};

// Built from a paint event: its canvas, its conversion, printing when the
// event is not for the screen, and the event's pixel scale.
class MapEventDCT : public BaseDCT {
public:
    explicit MapEventDCT(MapEventInfo& event);
    bool Transform(const Coord& from, Coord& to) const override;
    bool IsPrinting() const override;
    double LineScale() const override;
    MapEventInfo& Event() const { return m_event; }

private:
    MapEventInfo& m_event;
};

// Converts through a map window (its client points, its map); converts
// nothing without one.
class TolmWindowDCT : public BaseDCT {
public:
    TolmWindowDCT(TTolmWindow* window, QPainter* canvas);
    bool Transform(const Coord& from, Coord& to) const override;
    // None once the window is gone.
    TTolmWindow* Window() const { return m_window.data(); }

private:
    QPointer<TTolmWindow> m_window;
};

// A window transformer with a canvas of its own, for drawing outside a paint
// (rubber bands, live lines). The canvas paints on the window's foreground
// layer, whose set pixels every paint of the window shows inverted; drawing
// with QPainter::RasterOp_NotDestination therefore behaves like drawing with
// an inverting pen, and drawing a figure twice removes it. The canvas is
// closed on destruction and the changed area shown: the areas given to
// Changed, or the whole window when none was given. Without a window or
// without a client area there is no canvas.
class TolmWindowAutoDCT : public TolmWindowDCT {
public:
    explicit TolmWindowAutoDCT(TTolmWindow* window);
    ~TolmWindowAutoDCT() override;

    // Client pixels drawn; shown when the transformer is destroyed.
    void Changed(const QRect& area) { m_changed |= area; }

private:
    std::unique_ptr<QPainter> m_painter;
    QRect m_changed;
};

// A TolmWindowAutoDCT on the map window of the map window module; without
// that window it has neither window nor canvas.
class MapWindowAutoDCT : public TolmWindowAutoDCT {
public:
    MapWindowAutoDCT();
};

} // namespace DrawCoordTransformer
