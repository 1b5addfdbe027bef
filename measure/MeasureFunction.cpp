#include "MeasureFunction.h"

#include "DrawCoordTransformer.h"
#include "MapWindowModule.h"
#include "TMeasureFrame.h"
#include "TolmWindow.h"

#include <QApplication>
#include <QBrush>
#include <QCloseEvent>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t WindowPointType = 0xC001;
const QColor Magenta(0xFF, 0x00, 0xFF);

std::function<void()>& beeper() {
    static std::function<void()> instance = [] { QApplication::beep(); };
    return instance;
}

void repaintMap() {
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Repaint();
}

} // namespace

// --- TMeasureWindow ---

TMeasureWindow::TMeasureWindow(const MeasureNumberFormat& format, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TMeasureWindow"));
    setWindowTitle(QStringLiteral("Entfernung/Fläche"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_frame = new TMeasureFrame(format, this);
    layout->addWidget(m_frame);
}

void TMeasureWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClose)
        onClose();
}

// --- MeasureFunction ---

MeasureFunction::MeasureFunction(int decimals, QWidget* owner) : m_format(decimals), m_owner(owner) {
    LoadCursorByName(QStringLiteral("MODUL_FUNCTION_MEASURE_1"));
    m_listener = m_measurement.AddListener([this](bool added) { measurementChanged(added); });
}

MeasureFunction::~MeasureFunction() {
    m_measurement.RemoveListener(m_listener);
    if (m_window != nullptr) {
        m_window->Frame()->Bind(nullptr);
        m_window->onClose = nullptr;
        delete m_window.data();
    }
}

TMeasureFrame* MeasureFunction::Frame() const {
    return m_window ? m_window->Frame() : nullptr;
}

void MeasureFunction::SetBeeper(std::function<void()> function) {
    beeper() = function ? std::move(function) : [] { QApplication::beep(); };
}

void MeasureFunction::PointAction() {
    MapWindowModule* module = MapWindowModule::instance();
    Coord point{};
    point.type = WindowPointType;
    point.x = Rectangle().left;
    point.y = Rectangle().top;
    // The map's own system: a window point would move with the view.
    Coord position{}; // type 0
    if (module == nullptr || !module->Transform(point, position) || !m_measurement.AddPoint(position))
        beeper()();
}

void MeasureFunction::Paint(MapEventInfo& info) {
    PointRectFunction::Paint(info);
    if (info.canvas == nullptr || m_measurement.PointCount() == 0)
        return;
    DrawCoordTransformer::MapEventDCT transformer(info);
    Draw(transformer);
}

void MeasureFunction::Draw(DrawCoordTransformer::BaseDCT& transformer) const {
    QPainter* canvas = transformer.Canvas();
    if (canvas == nullptr || m_measurement.PointCount() == 0)
        return;
    QPolygon polygon;
    for (const Coord& point : m_measurement.Points()) {
        Coord pixel{};
        pixel.type = WindowPointType;
        if (!transformer.Transform(point, pixel) || !std::isfinite(pixel.x) || !std::isfinite(pixel.y))
            continue;
        // Far outside the window the values would not fit the painter's
        // integers; such points are clamped to a large square around it.
        const double limit = 1.0e6;
        polygon << QPoint(int(std::clamp(pixel.x, -limit, limit)), int(std::clamp(pixel.y, -limit, limit)));
    }
    canvas->save();
    QPen pen(Magenta);
    pen.setWidthF(3.0 * transformer.LineScale());
    canvas->setPen(pen);
    if (m_measurement.Closed()) {
        canvas->setBrush(QBrush(Magenta, Qt::DiagCrossPattern));
        canvas->drawPolygon(polygon);
    } else {
        canvas->setBrush(Qt::NoBrush);
        canvas->drawPolyline(polygon);
    }
    canvas->restore();
}

void MeasureFunction::Enter(MapFunction* previous) {
    if (previous != this)
        m_previous = previous;
    if (m_window == nullptr) {
        m_window = new TMeasureWindow(m_format, m_owner.data());
        m_window->onClose = [this] { WindowClosed(); };
    }
    m_window->Frame()->Bind(&m_measurement);
    m_window->show();
    PointRectFunction::Enter(previous);
    if (m_measurement.PointCount() > 0)
        repaintMap();
}

bool MeasureFunction::Leave(MapFunction* next) {
    if (!PointRectFunction::Leave(next))
        return false;
    if (m_window != nullptr)
        m_window->hide();
    if (m_measurement.PointCount() > 0)
        repaintMap();
    return true;
}

void MeasureFunction::WindowClosed() {
    if (MapFunction::Active() != this)
        return;
    if (m_previous != nullptr && m_previous != this)
        MapFunction::Activate(m_previous);
    else
        MapFunction::ActivateDefault();
}

// After every change the map is drawn again, the line or area included: the
// window's out-of-paint layer only inverts, so the magenta figure is drawn in
// the map's own paint.
void MeasureFunction::measurementChanged(bool) {
    if (MapFunction::Active() == this)
        repaintMap();
}
