#include "UD2Element.h"

#include "DrawCoordTransformer.h"
#include "MapEvents.h"
#include "TolmWindow.h"

#include <QPainter>
#include <QPen>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace UD2Element {

namespace {

constexpr uint32_t WindowPointType = 0xC001;

Qt::PenStyle penStyleOf(int style) {
    switch (style) {
    case 0:
        return Qt::SolidLine;
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    default:
        return Qt::NoPen;
    }
}

// Values written to the canvas stay within -L-1 .. L: L is the 16-bit limit
// while the whole view lies in that range, else the 32-bit one.
double coordinateLimit(const QRect& view) {
    auto small = [](int v) { return v >= -32768 && v <= 32767; };
    return small(view.left()) && small(view.top()) && small(view.right() + 1) && small(view.bottom() + 1)
               ? 32767.0
               : 2147483647.0;
}

int clampToCanvas(double v, double limit) {
    if (std::isnan(v))
        return 0;
    return int(std::trunc(std::clamp(v, -limit - 1.0, limit)));
}

void drawRun(QPainter& canvas, const QPolygon& run) {
    if (run.isEmpty())
        return;
    if (run.size() == 1)
        canvas.drawLine(run[0], run[0] + QPoint(1, 0));
    else
        canvas.drawPolyline(run);
}

} // namespace

int LineArea::shapeKind() const {
    if (m_points.size() < 3)
        return 1;
    return m_closed ? 3 : 2;
}

bool LineArea::appendPoint(const Coord& point) {
    if (shapeKind() == 3)
        return false;
    m_points.push_back(point);
    return true;
}

bool LineArea::movePoint(int index, const Coord& point) {
    if (index < 0 || index >= pointCount())
        return false;
    m_points[std::size_t(index)] = point;
    return true;
}

bool LineArea::removePoint(int index) {
    if (index < 0 || index >= pointCount())
        return false;
    m_points.erase(m_points.begin() + index);
    return true;
}

bool LineArea::hitPoint(const MapEventInfo& event, int& index) const {
    for (int i = 0; i < pointCount(); ++i) {
        Coord pixel{};
        pixel.type = WindowPointType;
        if (!event.Transform(m_points[std::size_t(i)], pixel))
            continue;
        const double dx = pixel.x - event.position.x, dy = pixel.y - event.position.y;
        if (dx * dx + dy * dy < 9.0) {
            index = i;
            return true;
        }
    }
    return false;
}

void LineArea::draw(MapEventInfo& event) const {
    if (event.canvas == nullptr || m_points.empty())
        return;
    QPainter& canvas = *event.canvas;
    DrawCoordTransformer::MapEventDCT transformer(event);
    canvas.save();
    canvas.setBackgroundMode(Qt::TransparentMode);
    QPen pen(penColor);
    pen.setStyle(penStyleOf(penStyle));
    pen.setWidthF(penWidth * transformer.LineScale());
    canvas.setPen(pen);
    const double limit = coordinateLimit(event.ViewRect());
    bool closedRun = m_closed;
    QPolygon run;
    for (const Coord& point : m_points) {
        Coord pixel{};
        pixel.type = WindowPointType;
        if (!transformer.Transform(point, pixel)) {
            // A gap: what was collected is a line of its own, and an area
            // with a gap cannot be filled.
            closedRun = false;
            drawRun(canvas, run);
            run.clear();
            continue;
        }
        run << QPoint(clampToCanvas(pixel.x, limit), clampToCanvas(pixel.y, limit));
    }
    if (closedRun)
        canvas.drawPolygon(run);
    else
        drawRun(canvas, run);
    canvas.restore();
}

} // namespace UD2Element
