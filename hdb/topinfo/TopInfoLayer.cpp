#include "TopInfoLayer.h"

#include "AppResources.h"
#include "EscapeThread.h"
#include "MapWindowModule.h"

#include <QPainter>
#include <QPen>

#include <cmath>
#include <cstdlib>

namespace {
constexpr uint32_t WindowClientPoint = 0xC001;
// Window points beyond this are taken as far off the map; the drawing
// system's coordinates would overflow long before.
constexpr double FarAway = 30000.0;
} // namespace

bool TopInfoFrameClickableObject::Click(MapEventInfo&) {
    if (m_frame)
        m_frame->SelectByKey(m_key);
    return true;
}

std::unique_ptr<TopInfoClickableObject>
TopInfoBitmapCatPainter::Draw(MapEventInfo& info, const TopInfoDataSource::RangeIterator& item, bool highlight) {
    Coord position{};
    if (!item.position(position))
        return nullptr;
    Coord point{};
    point.type = WindowClientPoint;
    if (!info.Transform(position, point))
        return nullptr;
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || std::fabs(point.x) > FarAway ||
        std::fabs(point.y) > FarAway)
        return nullptr;
    if (!m_loaded) {
        m_loaded = true;
        const QImage image = AppResources::bitmap(m_resourceName);
        if (!image.isNull())
            m_bitmap = AppResources::transparentPixmap(image);
    }
    const double s = info.PixelScale();
    const int x = int(point.x), y = int(point.y);
    const int w = m_bitmap.width(), h = m_bitmap.height();
    const int left = x - w / 2, top = y - h / 2;
    const int right = left + int(w * s), bottom = top + int(h * s);
    if (QPainter* canvas = info.canvas) {
        if (!m_bitmap.isNull())
            canvas->drawPixmap(QRect(left, top, right - left, bottom - top), m_bitmap);
        if (highlight) {
            canvas->save();
            QPen pen(QColor(255, 0, 0));
            pen.setWidth(int(3 * s));
            canvas->setPen(pen);
            canvas->setBrush(Qt::NoBrush);
            const QPoint frame[] = {{left - 2, top - 2},
                                    {right + 1, top - 2},
                                    {right + 1, bottom + 1},
                                    {left - 2, bottom + 1},
                                    {left - 2, top - 2}};
            canvas->drawPolyline(frame, 5);
            canvas->restore();
        }
    }
    if (!info.IsScreen())
        return nullptr;
    return std::make_unique<TopInfoClickableRect>(m_frame, item.key(), item.hint(), left, top, right, bottom);
}

void TopInfoClickableLayer::SetMode(int mode) {
    if (mode < 0 || mode > 3 || mode == m_mode)
        return;
    m_mode = mode;
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Repaint();
}

void TopInfoClickableLayer::AddPainter(const QString& key, std::unique_ptr<TopInfoCatPainter> painter) {
    m_painters[key] = std::move(painter);
}

TopInfoCatPainter* TopInfoClickableLayer::PainterFor(const QString& itemKey) const {
    auto it = m_painters.upper_bound(itemKey); // the first key greater than the item's
    if (it == m_painters.begin())
        return nullptr;
    --it;
    return itemKey.startsWith(it->first) ? it->second.get() : nullptr;
}

void TopInfoClickableLayer::DrawRange(MapEventInfo& info, const QString& key, bool highlight) {
    TopInfoDataSource* source = m_frame ? m_frame->DataSource() : nullptr;
    if (source == nullptr)
        return;
    std::unique_ptr<TopInfoDataSource::RangeIterator> item = source->rangeIterator(key);
    if (!item)
        return;
    const bool screen = info.IsScreen();
    do {
        if (TopInfoCatPainter* painter = PainterFor(item->key())) {
            std::unique_ptr<TopInfoClickableObject> object = painter->Draw(info, *item, highlight);
            if (object && screen)
                m_objects.push_back(std::move(object));
        }
        if (TEscapeThread::instance().escapePressed())
            break;
    } while (item->next());
}

void TopInfoClickableLayer::Paint(MapEventInfo& info) {
    if (info.IsScreen())
        m_objects.clear();
    if (m_mode == 0 || m_frame == nullptr)
        return;
    if (m_mode == 2) {
        DrawRange(info, m_frame->CategoryKeyInUse(), false);
    } else if (m_mode == 3) {
        // The empty key answers the categories, which have no place on the
        // map: every category's range is drawn instead, in category order.
        if (TopInfoDataSource* source = m_frame->DataSource()) {
            QStringList categories;
            if (auto category = source->categoryIterator()) {
                do
                    categories << category->key();
                while (category->next());
            }
            for (const QString& key : categories) {
                DrawRange(info, key, false);
                if (TEscapeThread::instance().escapePressed())
                    return;
            }
        }
    }
    const QString selected = m_frame->SelectedElementKey();
    if (!selected.isEmpty())
        DrawRange(info, selected, true);
}

bool TopInfoClickableLayer::ObjectUnderPoint(MapEventInfo& info, QString& hint) {
    const int x = int(info.position.x), y = int(info.position.y);
    for (auto it = m_objects.rbegin(); it != m_objects.rend(); ++it) {
        if ((*it)->Contains(x, y)) {
            hint = (*it)->Hint();
            return true;
        }
    }
    return false;
}

bool TopInfoClickableLayer::Click(MapEventInfo& info) {
    // A double click would belong to the element list's double-click
    // handler; the page assigns none.
    if (info.doubleClick)
        return false;
    const int x = int(info.position.x), y = int(info.position.y);
    // Selecting repaints the map, which replaces the objects: walk a copy.
    const std::vector<std::shared_ptr<TopInfoClickableObject>> objects = m_objects;
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        if ((*it)->Contains(x, y) && (*it)->Click(info))
            return true;
    }
    return false;
}
