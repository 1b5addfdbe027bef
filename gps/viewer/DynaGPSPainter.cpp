#include "DynaGPSPainter.h"

// The transformers need the whole window class.
#include "TolmWindow.h"

#include "DrawCoordTransformer.h"
#include "GpsTrack.h"
#include "MapWindowModule.h"

#include "velmar32.h"

#include <QPainter>
#include <QPen>

#include <cmath>
#include <cstdlib>

using Modul::GPS::AsSingleDialog::registeredTrack;

namespace {
// Client pixels farther out than this are not drawn: the screen's drawing
// routines choke on coordinates that do not fit 16 bits.
constexpr double FarOut = 32000.0;
// Least half width of the area the marker is kept in.
constexpr int Margin = 16;

TTolmWindow* mapWindow() {
    MapWindowModule* module = MapWindowModule::instance();
    return module ? module->Window() : nullptr;
}
} // namespace

DynaGPSPainter::DynaGPSPainter(const QColor& colour) : m_colour(colour) {}

bool DynaGPSPainter::nearCentre(int x, int y, const QRect& client, int t) {
    // Windows rectangles: right and bottom lie just outside.
    const int cx = (client.left() + client.left() + client.width()) / 2;
    const int cy = (client.top() + client.top() + client.height()) / 2;
    const int hx = std::max(cx - Margin, Margin);
    const int hy = std::max(cy - Margin, Margin);
    // t blends between 16 pixels (t = 0) and the half window less 16 (t = 255).
    return 255 * std::abs(x - cx) <= Margin * (255 - t) + t * hx &&
           255 * std::abs(y - cy) <= Margin * (255 - t) + t * hy;
}

bool DynaGPSPainter::windowPixel(TTolmWindow& window, Coord& pixel) const {
    pixel = Coord{TLM_COORD_WINDOW_CLIENT, 0, 0.0, 0.0};
    if (m_position.type == 0 || !window.TransformCoords(m_position, pixel))
        return false;
    if (!std::isfinite(pixel.x) || !std::isfinite(pixel.y))
        return false;
    pixel.x = std::floor(pixel.x + 0.5);
    pixel.y = std::floor(pixel.y + 0.5);
    return true;
}

void DynaGPSPainter::repaint() {
    DynaPaint::RepaintDynamic();
}

void DynaGPSPainter::setPosition(const Coord& position) {
    m_position = position;
    auto* track = registeredTrack();
    if (!track && !m_visible)
        return;
    bool moved = false;
    Coord pixel{};
    TTolmWindow* window = mapWindow();
    if (window && windowPixel(*window, pixel)) {
        if (m_visible && m_threshold != -1) {
            const QRect client = window->viewport()->rect();
            if (!nearCentre(int(pixel.x), int(pixel.y), client, m_threshold)) {
                window->SetCenterPos(m_position);
                windowPixel(*window, pixel);
            }
        }
        moved = pixel.x != m_lastPixel.x || pixel.y != m_lastPixel.y;
    }
    if (track)
        track->addPoint(m_position, moved);
    if (m_visible && moved)
        repaint();
}

void DynaGPSPainter::setVisible(bool visible) {
    if (visible == m_visible)
        return;
    m_visible = visible;
    repaint();
}

void DynaGPSPainter::setCenterThreshold(int threshold) {
    m_threshold = threshold < 0 ? -1 : std::min(threshold, 255);
}

void DynaGPSPainter::setColour(const QColor& colour) {
    if (colour == m_colour)
        return;
    m_colour = colour;
    repaint();
}

void DynaGPSPainter::Paint(TTolmWindow& window, QPainter& canvas) {
    if (!m_visible || m_position.type == 0)
        return;
    Coord pixel{};
    if (!windowPixel(window, pixel))
        return;
    m_lastPixel = pixel;
    if (std::fabs(pixel.x) > FarOut || std::fabs(pixel.y) > FarOut)
        return;
    if (auto* track = registeredTrack()) {
        DrawCoordTransformer::TolmWindowDCT transformer(&window, &canvas);
        canvas.save();
        track->paint(transformer);
        canvas.restore();
    }
    const int x = int(pixel.x);
    const int y = int(pixel.y);
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(QPen(m_colour, 3, Qt::SolidLine));
    // The box (x - 8, y - 8) .. (x + 9, y + 9), right and bottom excluded.
    canvas.drawEllipse(QRect(x - 8, y - 8, 17, 17));
    canvas.drawLine(x - 8, y, x + 8, y);
    canvas.drawLine(x, y - 8, x, y + 8);
    DynaPaint::InvalidateRect(QRect(QPoint(x - 10, y - 10), QPoint(x + 10, y + 10)));
}
