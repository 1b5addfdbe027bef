#pragma once

#include "Coord.h"
#include "velmar32.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QPainter;
class QRegion;

// A raw input message of the map window in the Windows numbering the map
// events are built from (TLM_WM_MOUSEMOVE, TLM_WM_LBUTTONDOWN, TLM_WM_CHAR,
// TLM_WM_HSCROLL, ...). Mouse positions are packed as on Windows: x in the low
// and y in the high 16 bits of LParam, both taken modulo 2^16, so positions
// left of or above the window arrive as large unsigned values. For mouse
// messages WParam carries the button state (MK_LBUTTON = 1, MK_RBUTTON = 2,
// MK_SHIFT = 4, MK_CONTROL = 8, MK_MBUTTON = 0x10); for scroll messages its
// low word is the scroll code and its high word the position; for
// TLM_WM_CHAR it is the character.
struct TMessage {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

enum : uintptr_t {
    TLM_MK_LBUTTON = 0x1,
    TLM_MK_RBUTTON = 0x2,
    TLM_MK_SHIFT = 0x4,
    TLM_MK_CONTROL = 0x8,
    TLM_MK_MBUTTON = 0x10
};

// Packs a client position the way mouse messages carry it.
inline intptr_t packMousePosition(int x, int y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(y) & 0xFFFFu) << 16 | (static_cast<uint32_t>(x) & 0xFFFFu));
}

// One paint of the map window: the surface to paint on and the area to paint.
// `hdc` is the surface registered with the map library (TLM_AttachPainter) for
// `painter`; both are valid between BeginStaticPaint and EndStaticPaint.
struct TPaintRecord {
    QPainter* painter = nullptr;
    TLM_HDC hdc = 0;
    QRect rcPaint; // client pixels
    bool erase = false;
};

// Shows one map file of the map library in a scrollable window. Scroll ranges
// and positions are display pixels of the open map at its current zoom. The
// window talks to the map library only through its C interface.
class TTolmWindow : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Exchangeable painting of the window, owned by it. The default paints
    // straight onto the window; the dynamic-painting manager installs a
    // double-buffered one.
    class TPaintStrategy {
    public:
        virtual ~TPaintStrategy();
        // Default: open a painter on the viewport for the paint area and
        // register it with the map library.
        virtual void BeginStaticPaint(TTolmWindow& window, TPaintRecord& record);
        // Default: unregister and close that painter.
        virtual void EndStaticPaint(TTolmWindow& window, TPaintRecord& record);
        // Default: nothing.
        virtual void DynamicPaintAll(TTolmWindow& window);
        // Asked first by every paint of the window: a strategy that keeps its
        // own picture of the window may serve the region from it and answer
        // true; the map is then not drawn and no paint event is raised.
        // Default: false.
        virtual bool PaintFromBuffer(TTolmWindow& window, QPainter& painter, const QRegion& region);
        // Whether a scroll may move the picture on the screen and have only
        // the uncovered strip painted. A strategy that copies its own
        // picture of the whole window after a paint answers false: the
        // window is then painted whole, so that nothing on the screen stays
        // from before the scroll. Default: true.
        virtual bool ScrollsOnScreen(const TTolmWindow& window) const;
    };

    // Notification levels of OnNotify.
    enum NotifyLevel { NotifyMoved = 1, NotifyZoomed = 2, NotifyMapChanged = 3 };

    // Alignment bits of GetPos: bits 0-1 horizontal, bits 2-3 vertical
    // (0 = left/top edge, 1 = centre, 2 = right/bottom edge).
    enum : int { AlignCenter = 5 };

    // Edge callback of SetCenterPos: gets the edge flag (1 = stops at an edge,
    // 2 = point not on the map); false keeps the view where it is.
    using EdgeCallback = std::function<bool(int flag)>;

    using NotifyEvent = std::function<void(TTolmWindow* sender, int level)>;
    using PaintEvent = std::function<void(TTolmWindow* sender, TPaintRecord& record)>;
    using MessageEvent = std::function<void(TTolmWindow* sender, TMessage& message)>;

    explicit TTolmWindow(QWidget* parent = nullptr);
    // Closes nothing: the owner opens an empty path before destroying the window.
    ~TTolmWindow() override;

    // The open map, 0 without one.
    TLM_HANDLE MapHandle() const { return m_map; }

    // --- properties ---
    QString PathName() const { return m_pathName; }
    // Opens the map keeping the current centre.
    void setPathName(const QString& path) { SetPathName(path, true); }
    // The library's zoom of the open map; 1.0 without map.
    double ZoomFactor() const;
    // Zooms without a centre.
    void setZoomFactor(double zoom) { SetZoomFactor(zoom, std::nullopt); }
    // The library's dimmer; 255 without map.
    int DimmerValue() const;
    // Sets the dimmer and repaints; nothing without map.
    void setDimmerValue(int value);

    NotifyEvent OnNotify;
    PaintEvent OnPaint;
    MessageEvent OnMessage;

    // --- operations ---
    void SetMap(const QString& path, double zoom, const std::optional<Coord>& centre);
    void SetPathName(const QString& path, bool keepCentre);
    bool GetPos(Coord& out, int alignment) const;
    bool GetCenterPos(Coord& out) const { return GetPos(out, AlignCenter); }
    void SetCenterPos(const Coord& position, const EdgeCallback& onEdge = {});
    void SetZoomFactor(double zoom, const std::optional<Coord>& centre);
    bool TransformCoords(const Coord& from, Coord& to) const { return TransformCoordsEx(from, to) >= 0; }
    int32_t TransformCoordsEx(const Coord& from, Coord& to) const;
    void RecalcScrollBars();
    void SuspendNotification();
    void ResumeNotification();
    void DoNotify(int level);
    bool AskDimmer(QWidget* owner);
    bool AskLayerActivation(QWidget* owner);
    bool QueryAskLayerActivation(QWidget* owner) const;
    void setOverlay(void* overlay);
    void* overlay() const { return m_overlay; }

    // Scroll positions (display pixels of the map).
    int scrollX() const;
    int scrollY() const;

    // Installs a strategy and hands back the one it replaces.
    std::unique_ptr<TPaintStrategy> setPaintStrategy(std::unique_ptr<TPaintStrategy> strategy);
    TPaintStrategy& paintStrategy() const { return *m_strategy; }

    // True while the window is inside its paint event (a strategy may then
    // open its own painter on the viewport after EndStaticPaint).
    bool inPaintEvent() const { return m_inPaint; }

    // Drawing on the window outside a paint (rubber bands, live measurement
    // lines): a client-sized layer (Format_ARGB32_Premultiplied, transparent
    // where nothing is drawn) that every paint of the window lays over
    // everything else by inverting the window's pixels wherever the layer is
    // set. Drawing a figure on it with an inverting raster operation
    // (QPainter::RasterOp_NotDestination) therefore shows it inverted, and
    // drawing it a second time removes it. It is cleared when the window's
    // size changes. After drawing, call UpdateForeground with the area changed.
    QImage& ForegroundLayer();
    void UpdateForeground(const QRect& area);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openPath(const QString& path);
    void raiseMessage(TMessage& message);
    void endScroll(Qt::Orientation orientation);
    void updateScrollRanges();
    void setScrollPositions(int x, int y);
    bool foregroundEmpty();
    void paintForeground(const QRegion& region);

    TLM_HANDLE m_map = 0;
    void* m_overlay = nullptr;
    double m_zoom = 1.0;
    Coord m_centre{};
    int m_suspend = 0;
    int m_lastScrollX = 0;
    int m_lastScrollY = 0;
    QString m_pathName;
    std::unique_ptr<TPaintStrategy> m_strategy;
    bool m_inPaint = false;
    QImage m_foreground;
    // Set when the layer was handed out; cleared once it is found empty.
    bool m_foregroundUsed = false;
    // The map's display size: the scroll ranges.
    QSize m_range;
    // A centre asked for before the window had its final size (while it
    // was hidden, during start-up) is applied again at each resize until the
    // user moves the view; otherwise the start place would end up where the
    // middle of the provisional size was.
    bool m_centreOnResize = false;
    // A scroll-bar action waits for its end-of-scroll message.
    bool m_endScrollPending[2] = {false, false};
    bool m_barPressed[2] = {false, false};
    // The painter of the default strategy during one paint.
    std::unique_ptr<QPainter> m_defaultPainter;
};

// A small colour field: a click lets the user pick its colour in the colour
// dialog shared by all selectors.
class TTolmColorSelector : public QWidget {
    Q_OBJECT
public:
    explicit TTolmColorSelector(QWidget* parent = nullptr);

    bool Enabled() const { return m_enabled; }
    void setEnabledState(bool enabled);
    QColor Color() const { return m_color; }
    void setColor(const QColor& color);
    // The 16 custom colours of the shared dialog.
    static QList<QColor> CustomColors();

    std::function<void(TTolmColorSelector* sender)> OnChange;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool m_enabled = true;
    QColor m_color{0xFF, 0xFF, 0xFF};
};
