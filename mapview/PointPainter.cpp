#include "PointPainter.h"

#include "MapWindowModule.h"
#include "velmar32.h"

#include <QPainter>
#include <QPen>

#include <cmath>

namespace {
// Window points farther out than this are not drawn: the circle could not be
// seen, and the drawing routines of the screen choke on huge coordinates.
constexpr double FarOut = 30000.0;
// The mark's colour: Windows colour value 0x0000FF (blue, green, red from
// the top byte down), pure red.
const QColor MarkColour(0xFF, 0x00, 0x00);
} // namespace

bool PointPainter::PositionKnown() const {
    return m_position.type >= TLM_COORD_MAP_PIXEL || m_position.x != 0.0 || m_position.y != 0.0;
}

void PointPainter::RepaintMap() {
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Repaint();
}

void PointPainter::SetPosition(const Coord& position) {
    m_position = position;
    if (m_visible)
        RepaintMap();
}

void PointPainter::Show() {
    if (m_visible)
        return;
    m_visible = true;
    RepaintMap();
}

void PointPainter::Hide() {
    if (!m_visible)
        return;
    m_visible = false;
    RepaintMap();
}

void PointPainter::CentreOn() {
    if (!PositionKnown())
        return;
    if (MapWindowModule* module = MapWindowModule::instance())
        module->SetCentre(m_position, true);
}

void PointPainter::Paint(MapEventInfo& info) {
    if (!m_visible || !PositionKnown() || !info.canvas)
        return;
    Coord point{};
    point.type = TLM_COORD_WINDOW_CLIENT;
    if (!info.Transform(m_position, point))
        return;
    if (!(std::fabs(point.x) < FarOut && std::fabs(point.y) < FarOut))
        return;
    const int x = int(std::floor(point.x));
    const int y = int(std::floor(point.y));
    QPainter& canvas = *info.canvas;
    canvas.save();
    canvas.setPen(QPen(MarkColour, 3, Qt::SolidLine));
    canvas.setBrush(Qt::NoBrush);
    // The box (x - 16, y - 16) .. (x + 17, y + 17), right and bottom edge
    // excluded: 33 pixels across, centred on the pixel's middle.
    canvas.drawEllipse(QRectF(x - 16, y - 16, 33, 33));
    canvas.restore();
}

TimedPointPainter::TimedPointPainter() {
    // One tick hides the mark; a mark shown without a time afterwards stays.
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Hide(); });
}

void TimedPointPainter::ShowFor(int milliseconds) {
    m_timer.stop();
    Show();
    m_timer.setInterval(std::max(0, milliseconds));
    m_timer.start();
}
