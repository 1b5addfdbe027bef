#include "ShowTrack.h"

// The transformers need the whole window class.
#include "TolmWindow.h"

#include "DrawCoordTransformer.h"
#include "MapWindowModule.h"
#include "velmar32.h"

#include <QAction>
#include <QPainter>
#include <QPen>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace Modul::GPS::AsSingleDialog {
namespace {
AbstractTrack* g_track = nullptr;
}
AbstractTrack* registeredTrack() {
    return g_track;
}
void registerTrack(AbstractTrack* track) {
    g_track = track;
}
} // namespace Modul::GPS::AsSingleDialog

namespace Modul::GPS::ShowTrack {

bool Class::setupMenu(QAction* showTrack, QAction* clearTrack) {
    m_showItem = showTrack;
    showTrack->setCheckable(true);
    showTrack->setChecked(m_state == Shown);
    QObject::connect(showTrack, &QAction::triggered, [this] { toggleShown(); });
    QObject::connect(clearTrack, &QAction::triggered, [this] { clear(); });
    return true;
}

void Class::repaintMap() {
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Repaint();
}

void Class::toggleShown() {
    m_state = m_state == Shown ? Hidden : Shown;
    if (m_showItem)
        m_showItem->setChecked(m_state == Shown);
    if (!m_points.empty())
        repaintMap();
}

void Class::clear() {
    const bool wasShown = !m_points.empty() && m_state == Shown;
    m_points.clear();
    m_ring = 0;
    m_state = Off;
    if (m_showItem)
        m_showItem->setChecked(false);
    if (wasShown)
        repaintMap();
}

void Class::addPoint(const Coord& position, bool moved) {
    if (!moved || m_state == Off)
        return;
    if (m_points.size() < Capacity) {
        m_points.push_back(position);
        return;
    }
    m_points[m_ring] = position;
    m_ring = (m_ring + 1) % Capacity;
}

std::vector<Coord> Class::ordered() const {
    std::vector<Coord> out(m_points.begin() + std::ptrdiff_t(m_ring), m_points.end());
    out.insert(out.end(), m_points.begin(), m_points.begin() + std::ptrdiff_t(m_ring));
    return out;
}

void Class::paint(DrawCoordTransformer::BaseDCT& transformer) {
    QPainter* canvas = transformer.Canvas();
    if (m_state != Shown || canvas == nullptr || m_points.empty())
        return;
    QPolygon polygon;
    for (const Coord& point : ordered()) {
        Coord pixel{TLM_COORD_WINDOW_CLIENT, 0, 0.0, 0.0};
        if (!transformer.Transform(point, pixel) || !std::isfinite(pixel.x) || !std::isfinite(pixel.y))
            continue;
        // Points far off the window are clamped so that they fit the
        // painter's integers; the line towards them keeps its direction.
        const double limit = 1.0e6;
        polygon << QPoint(int(std::clamp(pixel.x, -limit, limit)), int(std::clamp(pixel.y, -limit, limit)));
    }
    canvas->save();
    QPen pen(QColor(0x00, 0xFF, 0x00));
    pen.setWidthF(3.0 * transformer.LineScale());
    canvas->setPen(pen);
    canvas->setBrush(Qt::NoBrush);
    canvas->drawPolyline(polygon);
    canvas->restore();
}

void Class::Paint(MapEventInfo& info) {
    DrawCoordTransformer::MapEventDCT transformer(info);
    paint(transformer);
}

} // namespace Modul::GPS::ShowTrack
