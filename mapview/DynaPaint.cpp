#include "DynaPaint.h"

#include "DynaPaintStrategy.h"

#include <QCoreApplication>
#include <QPainter>
#include <QRegion>

#include <algorithm>

namespace {
DynaPaintStrategy* g_strategy = nullptr;
// Painters registered before the strategy exists wait here.
std::vector<DynaPainter*>& pendingPainters() {
    static std::vector<DynaPainter*> painters;
    return painters;
}
} // namespace

DynaPainter::~DynaPainter() {
    // A painter that goes away must not be painted any more.
    DynaPaint::RemovePainter(this);
}

// ---- strategy ----

DynaPaintStrategy::DynaPaintStrategy(TTolmWindow& window) : m_window(window) {}

DynaPaintStrategy::~DynaPaintStrategy() {
    if (g_strategy == this) {
        // Painters stay registered for a strategy installed later.
        pendingPainters() = m_painters;
        g_strategy = nullptr;
    }
}

DynaPaintStrategy* DynaPaintStrategy::Instance() {
    return g_strategy;
}

QRect DynaPaintStrategy::Union(const QRect& a, const QRect& b) {
    if (a.width() <= 0 || a.height() <= 0)
        return b.width() <= 0 || b.height() <= 0 ? QRect() : b;
    if (b.width() <= 0 || b.height() <= 0)
        return a;
    return a.united(b);
}

void DynaPaintStrategy::AddPainter(DynaPainter* painter) {
    if (!painter)
        return;
    m_painters.push_back(painter);
    // The window paints directly until its next paint: that paint has to
    // fill the pictures before the painter can show.
    if (m_painters.size() == 1)
        m_window.viewport()->update();
}

void DynaPaintStrategy::RemovePainter(DynaPainter* painter) {
    const auto it = std::find(m_painters.begin(), m_painters.end(), painter);
    if (it == m_painters.end())
        return;
    m_painters.erase(it);
    // (Painters going away at the very end of the program find no
    // application any more to repaint with.)
    if (m_painters.empty() && QCoreApplication::instance())
        m_window.viewport()->update();
}

bool DynaPaintStrategy::HasPainter(const DynaPainter* painter) const {
    return std::find(m_painters.begin(), m_painters.end(), painter) != m_painters.end();
}

void DynaPaintStrategy::InvalidateRect(const QRect& rect) {
    m_dirty = Union(m_dirty, rect);
}

void DynaPaintStrategy::BeginStaticPaint(TTolmWindow& window, TPaintRecord& record) {
    m_direct = m_painters.empty();
    if (m_direct) {
        m_previous->BeginStaticPaint(window, record);
        return;
    }
    const QSize client = window.viewport()->size();
    record.erase = false;
    if (m_static.size() != client) {
        m_static = QImage(client.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        record.erase = true;
    }
    record.rcPaint = QRect(QPoint(0, 0), client);
    m_last = record.rcPaint;
    m_staticPainter = std::make_unique<QPainter>(&m_static);
    record.painter = m_staticPainter.get();
    record.hdc = TLM_AttachPainter(m_staticPainter.get());
}

void DynaPaintStrategy::EndStaticPaint(TTolmWindow& window, TPaintRecord& record) {
    if (m_direct) {
        m_previous->EndStaticPaint(window, record);
        return;
    }
    if (record.hdc)
        TLM_DetachPainter(record.hdc);
    record.hdc = 0;
    record.painter = nullptr;
    m_staticPainter.reset();
}

void DynaPaintStrategy::DynamicPaintAll(TTolmWindow& window) {
    if (m_direct)
        return;
    const QSize client = window.viewport()->size();
    // After a size change only the next static paint has the right picture.
    if (m_static.size() != client)
        return;
    if (m_work.size() != client || m_work.format() != m_static.format()) {
        m_work = QImage(client, m_static.format());
        m_last = QRect(QPoint(0, 0), client);
    }
    std::copy_n(m_static.constBits(), m_static.sizeInBytes(), m_work.bits());
    m_dirty = QRect();
    {
        QPainter canvas(&m_work);
        // A painter may remove itself or others while painting: work on a copy.
        const std::vector<DynaPainter*> painters = m_painters;
        for (DynaPainter* painter : painters) {
            if (!HasPainter(painter))
                continue;
            canvas.save();
            painter->Paint(window, canvas);
            canvas.restore();
        }
    }
    const QRect r = Union(m_dirty, m_last) & QRect(QPoint(0, 0), client);
    if (!r.isEmpty())
        copyToWindow(r);
    m_last = m_dirty;
}

void DynaPaintStrategy::copyToWindow(const QRect& r) {
    if (m_window.inPaintEvent()) {
        QPainter screen(m_window.viewport());
        screen.drawImage(r.topLeft(), m_work, r);
        return;
    }
    // Outside a paint event Qt lets nobody draw on the window: have it
    // repaint just this rectangle, from the work picture.
    m_serving = r;
    m_window.viewport()->repaint(r);
    m_serving = QRect();
}

bool DynaPaintStrategy::PaintFromBuffer(TTolmWindow&, QPainter& painter, const QRegion& region) {
    if (m_serving.isEmpty() || m_direct || m_work.size() != m_window.viewport()->size() ||
        !m_serving.contains(region.boundingRect()))
        return false;
    painter.setClipRegion(region);
    painter.drawImage(m_serving.topLeft(), m_work, m_serving);
    return true;
}

bool DynaPaintStrategy::ScrollsOnScreen(const TTolmWindow&) const {
    return m_painters.empty();
}

// ---- the manager's interface ----

namespace DynaPaint {

void AddPainter(DynaPainter* painter) {
    if (g_strategy)
        g_strategy->AddPainter(painter);
    else if (painter)
        pendingPainters().push_back(painter);
}

void RemovePainter(DynaPainter* painter) {
    if (g_strategy)
        g_strategy->RemovePainter(painter);
    auto& pending = pendingPainters();
    pending.erase(std::remove(pending.begin(), pending.end(), painter), pending.end());
}

void InvalidateRect(const QRect& rect) {
    if (g_strategy)
        g_strategy->InvalidateRect(rect);
}

void RepaintDynamic() {
    if (g_strategy)
        g_strategy->DynamicPaintAll(g_strategy->Window());
}

void Install(TTolmWindow& window) {
    if (g_strategy)
        return;
    auto strategy = std::make_unique<DynaPaintStrategy>(window);
    DynaPaintStrategy* installed = strategy.get();
    installed->SetPrevious(window.setPaintStrategy(std::move(strategy)));
    g_strategy = installed;
    for (DynaPainter* painter : pendingPainters())
        installed->AddPainter(painter);
    pendingPainters().clear();
}

} // namespace DynaPaint
