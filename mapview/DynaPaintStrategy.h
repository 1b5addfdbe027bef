#pragma once

#include "TolmWindow.h"

#include <QImage>
#include <QRect>

#include <memory>
#include <vector>

class DynaPainter;

// The double-buffered painting of the main map window. The map and the
// ordinary overlays are painted into the static picture; the dynamic
// painters draw on a copy of it (the work picture), and only the rectangles
// they changed are copied to the screen. Without painters the window paints
// as before, through the strategy this one replaced.
class DynaPaintStrategy : public TTolmWindow::TPaintStrategy {
public:
    explicit DynaPaintStrategy(TTolmWindow& window);
    ~DynaPaintStrategy() override;

    // The installed strategy, null before DynaPaint::Install or after its
    // window is gone.
    static DynaPaintStrategy* Instance();

    void BeginStaticPaint(TTolmWindow& window, TPaintRecord& record) override;
    void EndStaticPaint(TTolmWindow& window, TPaintRecord& record) override;
    void DynamicPaintAll(TTolmWindow& window) override;
    bool PaintFromBuffer(TTolmWindow& window, QPainter& painter, const QRegion& region) override;
    // With painters the copy after a paint has to reach the whole window: a
    // strip painted alone would leave on the screen what the painters drew
    // before the scroll, moved along with the map.
    bool ScrollsOnScreen(const TTolmWindow& window) const override;

    void AddPainter(DynaPainter* painter);
    void RemovePainter(DynaPainter* painter);
    bool HasPainter(const DynaPainter* painter) const;
    void InvalidateRect(const QRect& rect);

    TTolmWindow& Window() const { return m_window; }
    void SetPrevious(std::unique_ptr<TTolmWindow::TPaintStrategy> previous) { m_previous = std::move(previous); }

    // State the painting works from, for checks.
    bool Direct() const { return m_direct; }
    QRect LastRect() const { return m_last; }
    QRect DirtyRect() const { return m_dirty; }
    const QImage& StaticPicture() const { return m_static; }
    const QImage& WorkPicture() const { return m_work; }

    // Empty rectangles (no width or no height) do not count.
    static QRect Union(const QRect& a, const QRect& b);

private:
    void copyToWindow(const QRect& r);

    TTolmWindow& m_window;
    std::unique_ptr<TTolmWindow::TPaintStrategy> m_previous;
    std::vector<DynaPainter*> m_painters;
    bool m_direct = true;
    QImage m_static;
    QImage m_work;
    QRect m_last;
    QRect m_dirty;
    std::unique_ptr<QPainter> m_staticPainter;
    // While the window repaints this rectangle for a dynamic copy, its paint
    // is served from the work picture.
    QRect m_serving;
};
