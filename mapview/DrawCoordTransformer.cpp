#include "DrawCoordTransformer.h"

#include "MapEvents.h"
#include "MapWindowModule.h"
#include "TolmWindow.h"
#include "velmar32.h"

#include <QPainter>

namespace DrawCoordTransformer {

BaseDCT::~BaseDCT() {
    m_onDestroy.dispatch(this);
}

bool BaseDCT::Transform(const Coord& from, Coord& to) const {
    return TLM_TransformCoords(&from, &to) != 0;
}

// --- MapEventDCT ---

MapEventDCT::MapEventDCT(MapEventInfo& event) : BaseDCT(event.canvas), m_event(event) {}

bool MapEventDCT::Transform(const Coord& from, Coord& to) const {
    return m_event.Transform(from, to);
}

bool MapEventDCT::IsPrinting() const {
    return !m_event.IsScreen();
}

double MapEventDCT::LineScale() const {
    return m_event.PixelScale();
}

// --- TolmWindowDCT ---

TolmWindowDCT::TolmWindowDCT(TTolmWindow* window, QPainter* canvas) : BaseDCT(canvas), m_window(window) {}

bool TolmWindowDCT::Transform(const Coord& from, Coord& to) const {
    return m_window != nullptr && m_window->TransformCoords(from, to);
}

// --- TolmWindowAutoDCT ---

TolmWindowAutoDCT::TolmWindowAutoDCT(TTolmWindow* window) : TolmWindowDCT(window, nullptr) {
    if (window == nullptr)
        return;
    QImage& layer = window->ForegroundLayer();
    if (layer.isNull())
        return;
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(&layer)) {
        m_painter.reset();
        return;
    }
    // An inverting figure must touch exactly the pixels it names.
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    SetCanvas(m_painter.get());
}

TolmWindowAutoDCT::~TolmWindowAutoDCT() {
    if (!m_painter)
        return;
    m_painter->end();
    SetCanvas(nullptr);
    if (TTolmWindow* window = Window()) {
        const QRect all(QPoint(0, 0), window->ForegroundLayer().size());
        window->UpdateForeground(m_changed.isEmpty() ? all : (m_changed & all));
    }
}

// --- MapWindowAutoDCT ---

namespace {
TTolmWindow* moduleWindow() {
    MapWindowModule* module = MapWindowModule::instance();
    return module ? module->Window() : nullptr;
}
} // namespace

MapWindowAutoDCT::MapWindowAutoDCT() : TolmWindowAutoDCT(moduleWindow()) {}

} // namespace DrawCoordTransformer
