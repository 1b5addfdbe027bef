#pragma once

#include "velmar32.h"

#include "CoordTargets.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class QScrollBar;
class PaletteGroup;

namespace Velmar32 {

class LibMap;
class Surface;
struct WindowGroup;

// A map window of the library's window class: shows one map with scroll
// bars, tells its host callback what happens (with the Windows message
// numbers the hosts were written against) and takes commands through the
// window procedure.
class MapWindow final : public QWidget, public MapCoords::CoordWindow {
    Q_OBJECT
public:
    enum class Kind { Mfc, Graphic, Help };

    // Null for an unknown class name.
    static MapWindow* create(const char* className, QWidget* parent, uint32_t style, const void* createParams);
    ~MapWindow() override;

    uint32_t id() const { return m_id; }
    Kind kind() const { return m_kind; }

    // CoordWindow
    uint32_t mapId() const override;
    MapCoords::PixelOffset drawnOrigin() const override { return {double(m_drawn.x()), double(m_drawn.y())}; }

    LibMap* map() const;
    QRect clientRect() const { return m_client; }
    QPoint origin() const { return m_drawn; }

    void setCallback(TLM_HostCallback callback) { m_callback = callback; }
    TLM_HostCallback callback() const { return m_callback; }
    void setMessageResult(intptr_t result) { m_result = result; }
    // Calls the host callback; 0 when there is none. `handled` tells whether
    // the callback took the message, the result is then the one it set.
    intptr_t callHost(uint32_t message, uintptr_t wParam, intptr_t lParam, bool* handled = nullptr);

    // The window procedure's work.
    intptr_t handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    int32_t openFile(const char* path);
    // `closingWindow`: the window itself goes after the map.
    int32_t closeFile(bool closingWindow);
    int32_t setPos(const Coord& position, int32_t alignment);
    int32_t getPos(Coord& position, int32_t alignment) const;
    void setMaxSize(const int32_t* size);
    int32_t setZoomFactor(double& zoom);
    void enableFlags(uint32_t flags);
    void disableFlags(uint32_t flags);
    // After a change of the map's drawing state: repaint (with erasing unless
    // only the quality changed).
    void mapChanged(bool erase = true);
    void scrollCode(Qt::Orientation orientation, int code, int thumb = 0);

    // Host painting: DoPaint/AfterPaint and GetDC/ReleaseDC.
    int32_t doPaint(const TLM_PAINTSTRUCT& paint);
    int32_t afterPaint(TLM_HDC dc);
    TLM_HDC getDC();
    int32_t releaseDC(TLM_HDC dc);

    // The whole-window repaint of every window of this window's group.
    void repaintGroup();
    std::shared_ptr<PaletteGroup> groupPalette();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    MapWindow(Kind kind, QWidget* parent, uint32_t style);
    void initHelpWindow(const TLM_HELPCREATE* create);
    void recomputeScrollBars();
    void updateBars();
    void moveTo(QPoint origin);
    void drawMap(QPainter& painter, const QRect& area, Surface& surface);
    void setMenuItemsEnabled(bool enabled);
    void joinGroup();
    void leaveGroup();
    void connectBar(QScrollBar* bar, Qt::Orientation orientation);
    bool mouseMessage(uint32_t message, QMouseEvent* event);
    // Between two tiles: true when the host stops the painting.
    bool askAbort();

    Kind m_kind;
    uint32_t m_id = 0;
    TLM_HostCallback m_callback = nullptr;
    intptr_t m_result = 0;
    uint32_t m_flags = 0;
    uint32_t m_mapId = 0; // the window's map, closed with the window
    std::optional<QSize> m_maxSize;
    QRect m_client;
    QPoint m_drawn;     // map display pixel at the client's top left corner
    QPoint m_requested; // where the scroll bars point, moved to at the end of scrolling
    QPoint m_maxOrigin;
    int m_shift[2] = {0, 0};
    QScrollBar* m_hbar;
    QScrollBar* m_vbar;
    std::shared_ptr<WindowGroup> m_group;
    // The window's picture: maps and host drawing land here, the screen shows it.
    QImage m_screen;
    std::unique_ptr<QPainter> m_dcPainter;
    std::unique_ptr<Surface> m_dcSurface;
    Surface* m_hostSurface = nullptr; // recorded by DoPaint
    bool m_destroying = false;
};

} // namespace Velmar32
