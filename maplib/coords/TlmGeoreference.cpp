#include "TlmGeoreference.h"

#include <algorithm>
#include <cmath>

namespace MapCoords {

TlmGeoreference::TlmGeoreference(uint16_t kind, int32_t zone, double r1, double r2, double r3, double r4, int32_t width,
                                 int32_t height, double zoom)
    : m_kind(kind), m_zone(zone), m_r1(r1), m_r2(r2), m_r3(r3), m_r4(r4), m_width(width), m_height(height) {
    setZoom(zoom);
    const bool finite = std::isfinite(r1) && std::isfinite(r2) && std::isfinite(r3) && std::isfinite(r4);
    const bool sized = width > 0 && height > 0;
    switch (kind) {
    case KindNone:
    case KindBox:
    case KindGeographicBox:
        m_usable = finite && sized && r1 != r2 && r3 != r4;
        break;
    case KindSimilarity:
        m_usable = finite && sized && r3 * r3 + r4 * r4 > 0.0;
        break;
    default:
        m_usable = false;
        break;
    }
}

void TlmGeoreference::setZoom(double zoom) {
    // The handle keeps its zoom positive; anything else would turn every
    // pixel into infinity.
    m_zoom = (std::isfinite(zoom) && zoom > 0.0) ? zoom : 1.0;
}

NativeSystem TlmGeoreference::nativeSystem() const {
    if (!m_usable)
        return {};
    switch (m_kind) {
    case KindBox:
    case KindSimilarity:
        return {TypeGaussKrueger, m_zone};
    case KindGeographicBox:
        return {TypeGeoDhdn, 0};
    default:
        return {};
    }
}

Status TlmGeoreference::pixelToNative(double x, double y, uint32_t options, double& a, double& b) const {
    if (!m_usable)
        return StatusNoGeoreference;
    x /= m_zoom;
    y /= m_zoom;
    if (!(options & OptionNoClamping)) {
        x = std::clamp(x, 0.0, m_width);
        y = std::clamp(y, 0.0, m_height);
    }
    if (m_kind == KindSimilarity) {
        const double dx = x - m_r1;
        const double dy = y - m_r2;
        const double q = m_r3 * m_r3 + m_r4 * m_r4;
        a = (dx * m_r3 + dy * m_r4) / q;
        b = (dy * m_r3 - dx * m_r4) / q;
    } else {
        b = x * (m_r2 - m_r1) / m_width + m_r1;
        a = y * (m_r4 - m_r3) / m_height + m_r3;
    }
    return StatusConverted;
}

Status TlmGeoreference::nativeToPixel(double a, double b, uint32_t options, double& x, double& y) const {
    if (!m_usable)
        return StatusNoGeoreference;
    Status status = StatusConverted;
    double px, py;
    if (m_kind == KindSimilarity) {
        px = m_r1 + a * m_r3 - b * m_r4;
        py = m_r2 + a * m_r4 + b * m_r3;
        if (!(options & OptionNoRounding)) {
            px = std::floor(px + 0.5);
            py = std::floor(py + 0.5);
        }
        // A pixel covers [i − 0.5, i + 0.5).
        const bool inside = px >= -0.5 && px < m_width - 0.5 && py >= -0.5 && py < m_height - 0.5;
        if (!inside)
            status = StatusOutsideMap;
    } else {
        px = (b - m_r1) / (m_r2 - m_r1) * m_width;
        py = (a - m_r3) / (m_r4 - m_r3) * m_height;
        const bool insideB = b >= std::min(m_r1, m_r2) && b <= std::max(m_r1, m_r2);
        const bool insideA = a >= std::min(m_r3, m_r4) && a <= std::max(m_r3, m_r4);
        if (!insideA || !insideB)
            status = StatusOutsideMap;
    }
    x = px * m_zoom;
    y = py * m_zoom;
    return status;
}

} // namespace MapCoords
