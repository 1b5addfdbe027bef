#pragma once

#include "MapEvents.h"
#include "TopInfoDataSource.h"

#include <QPixmap>
#include <QString>

#include <map>
#include <memory>
#include <vector>

// What the map layer and its clickable objects need from the page that
// shows the points of interest: the source, what is selected, and selecting
// an element picked on the map.
class TopInfoSelection {
public:
    virtual ~TopInfoSelection() = default;
    virtual TopInfoDataSource* DataSource() const = 0;
    // The selected category's key; with none selected a key no element has.
    virtual QString CategoryKeyInUse() const = 0;
    // Empty without a selected element.
    virtual QString SelectedElementKey() const = 0;
    // Selects the element in the page (switching category when needed) and
    // brings the page to the front.
    virtual void SelectByKey(const QString& key) = 0;
};

// Something the last screen paint left on the map that knows its hint and
// may take a click.
class TopInfoClickableObject {
public:
    virtual ~TopInfoClickableObject() = default;
    virtual bool Contains(int /*x*/, int /*y*/) const { return false; }
    virtual QString Hint() const { return {}; }
    // True when the click was taken.
    virtual bool Click(MapEventInfo& /*info*/) { return false; }
};

// An element of the page: a click selects it there.
class TopInfoFrameClickableObject : public TopInfoClickableObject {
public:
    TopInfoFrameClickableObject(TopInfoSelection* frame, QString key, QString name)
        : m_frame(frame), m_key(std::move(key)), m_name(std::move(name).trimmed()) {}
    QString Hint() const override { return m_name; }
    bool Click(MapEventInfo& info) override;
    const QString& Key() const { return m_key; }

private:
    TopInfoSelection* m_frame;
    QString m_key;
    QString m_name;
};

// The picture's rectangle in window pixels: left ≤ x < right, top ≤ y < bottom.
class TopInfoClickableRect : public TopInfoFrameClickableObject {
public:
    TopInfoClickableRect(TopInfoSelection* frame, QString key, QString name, int left, int top, int right, int bottom)
        : TopInfoFrameClickableObject(frame, std::move(key), std::move(name)), left(left), top(top), right(right),
          bottom(bottom) {}
    bool Contains(int x, int y) const override { return left <= x && x < right && top <= y && y < bottom; }

    const int left, top, right, bottom;
};

// Draws the items of one category.
class TopInfoCatPainter {
public:
    virtual ~TopInfoCatPainter() = default;
    // On the screen the drawn item's clickable object; none on a print or
    // when nothing was drawn.
    virtual std::unique_ptr<TopInfoClickableObject>
    Draw(MapEventInfo& info, const TopInfoDataSource::RangeIterator& item, bool highlight) = 0;
};

// The category's picture, centred on the item's position; a selected item
// gets a red frame around it. Items farther than 30000 pixels from the
// window's origin are left out.
class TopInfoBitmapCatPainter : public TopInfoCatPainter {
public:
    TopInfoBitmapCatPainter(TopInfoSelection* frame, QString resourceName)
        : m_frame(frame), m_resourceName(std::move(resourceName)) {}

    std::unique_ptr<TopInfoClickableObject> Draw(MapEventInfo& info, const TopInfoDataSource::RangeIterator& item,
                                                 bool highlight) override;

    const QString& ResourceName() const { return m_resourceName; }

private:
    TopInfoSelection* m_frame;
    QString m_resourceName;
    QPixmap m_bitmap;
    bool m_loaded = false;
};

// The points of interest on the map. Mode 0 shows nothing, 1 the selected
// element, 2 the elements of the selected category, 3 the elements of every
// category; the selected element is drawn once more, highlighted, on top.
// The pictures of the last screen paint answer hints and clicks, the last
// drawn first.
class TopInfoClickableLayer : public ClickableLayer {
public:
    explicit TopInfoClickableLayer(TopInfoSelection* frame) : m_frame(frame) {}

    int Mode() const { return m_mode; }
    // 0 … 3; a change repaints the map.
    void SetMode(int mode);
    // The painter for items whose key begins with `key` (the greatest such key wins).
    void AddPainter(const QString& key, std::unique_ptr<TopInfoCatPainter> painter);
    TopInfoCatPainter* PainterFor(const QString& itemKey) const;

    void Paint(MapEventInfo& info) override;
    bool ObjectUnderPoint(MapEventInfo& info, QString& hint) override;
    bool Click(MapEventInfo& info) override;

    // The clickable objects of the last screen paint, in drawing order.
    const std::vector<std::shared_ptr<TopInfoClickableObject>>& Objects() const { return m_objects; }

private:
    void DrawRange(MapEventInfo& info, const QString& key, bool highlight);

    TopInfoSelection* m_frame;
    int m_mode = 0;
    std::map<QString, std::unique_ptr<TopInfoCatPainter>> m_painters;
    std::vector<std::shared_ptr<TopInfoClickableObject>> m_objects;
};
