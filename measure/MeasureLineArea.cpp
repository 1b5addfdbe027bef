#include "MeasureLineArea.h"

#include "velmar32.h"

#include <cmath>

namespace {

constexpr uint32_t GaussKruegerType = 1;

double distance(const Coord& p, const Coord& q) {
    const double da = p.x - q.x;
    const double db = p.y - q.y;
    return std::sqrt(da * da + db * db);
}

} // namespace

bool MeasureLineArea::AddPoint(const Coord& position) {
    if (m_closed)
        return false;
    Coord target{};
    target.type = GaussKruegerType;
    if (!m_points.empty())
        target.zone = m_points.front().zone;
    else if (position.type == GaussKruegerType)
        target.zone = position.zone;
    else
        target.zone = 0; // the library picks the strip of the position
    if (TLM_TransformCoords(&position, &target) == 0)
        return false;
    if (!std::isfinite(target.x) || !std::isfinite(target.y))
        return false;
    m_points.push_back(target);
    changed(true);
    return true;
}

bool MeasureLineArea::DeleteLast() {
    if (m_points.empty())
        return false;
    if (m_closed)
        m_closed = false;
    else
        m_points.pop_back();
    changed(false);
    return true;
}

void MeasureLineArea::DeleteAll() {
    m_points.clear();
    m_closed = false;
    changed(false);
}

void MeasureLineArea::CloseArea() {
    if (m_closed)
        return;
    m_closed = true;
    changed(false);
}

int MeasureLineArea::AddListener(ChangeListener listener) {
    const int id = m_nextListener++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void MeasureLineArea::RemoveListener(int id) {
    for (auto it = m_listeners.begin(); it != m_listeners.end(); ++it) {
        if (it->first == id) {
            m_listeners.erase(it);
            return;
        }
    }
}

void MeasureLineArea::changed(bool added) {
    recompute();
    // A listener may remove itself while being told.
    const auto listeners = m_listeners;
    for (const auto& [id, listener] : listeners)
        listener(added);
}

// Segment lengths and the trapezoid sum over the ring that the closing
// segment completes; the ring is closed for the area even while the line is
// still open.
void MeasureLineArea::recompute() {
    m_last = m_total = m_area = 0.0;
    if (m_points.empty())
        return;
    for (size_t i = 1; i < m_points.size(); ++i) {
        const Coord& p = m_points[i];
        const Coord& q = m_points[i - 1];
        m_last = distance(p, q);
        m_total += m_last;
        m_area += (p.x + q.x) * (p.y - q.y);
    }
    const Coord& f = m_points.front();
    const Coord& q = m_points.back();
    if (m_closed) {
        m_last = distance(f, q);
        m_total += m_last;
    }
    m_area += (f.x + q.x) * (f.y - q.y);
    m_area *= 0.5;
}
