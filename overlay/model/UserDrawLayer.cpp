#include "UserDrawLayer.h"

#include "DrawTreeItem.h"
#include "MapWindowModule.h"

#include <QPainter>

UserDrawLayer::UserDrawLayer(TDrawTreeView& tree) : m_tree(&tree) {}

void UserDrawLayer::Paint(MapEventInfo& info) {
    if (!m_tree || info.canvas == nullptr)
        return;
    QPainter& canvas = *info.canvas;
    // A printout is drawn at the printer's resolution, every time; so is an
    // antialiased canvas, whose edges over the map a picture would not give.
    if (!info.IsScreen() || canvas.testRenderHint(QPainter::Antialiasing)) {
        paintNode(m_tree->root(), info);
        return;
    }
    m_picture.paint(canvas, info.ViewRect(), viewKey(info), [&](QPainter& painter) {
        info.canvas = &painter;
        paintNode(m_tree->root(), info);
        info.canvas = &canvas;
        return true;
    });
}

void UserDrawLayer::Invalidate() {
    m_picture.clear();
}

std::vector<double> UserDrawLayer::viewKey(MapEventInfo& info) const {
    std::vector<double> key = info.ViewKey();
    if (key.empty())
        return key;
    const MapWindowModule* module = MapWindowModule::instance();
    key.push_back(double(module != nullptr ? module->PictureRevision() : 0));
    key.push_back(info.PixelScale());
    // Texts are written in the canvas's font.
    key.push_back(double(qHash(info.canvas->font().key())));
    return key;
}

void UserDrawLayer::paintNode(const QTreeWidgetItem* node, MapEventInfo& info) {
    const DrawTreeItem* item = itemOf(node);
    if (item == nullptr || !item->shown())
        return;
    for (int i = node->childCount() - 1; i >= 0; --i)
        paintNode(node->child(i), info);
    if (const auto* object = dynamic_cast<const DrawTreeObject*>(item))
        object->draw(info);
}
