#include "UserDrawLayer.h"

#include "DrawTreeItem.h"
#include "MapWindowModule.h"

#include <QPaintDevice>
#include <QPainter>

#include <cmath>

UserDrawLayer::UserDrawLayer(TDrawTreeView& tree) : m_tree(&tree) {}

void UserDrawLayer::Paint(MapEventInfo& info) {
    if (!m_tree || info.canvas == nullptr)
        return;
    QPainter& canvas = *info.canvas;
    const QRect view = info.ViewRect();
    // A printout is drawn at the printer's resolution, every time; so is a
    // canvas whose drawing a kept picture would not reproduce, or that the
    // picture would not go into pixel for pixel (a scaled screen: the
    // picture, at the view's size, would show coarser than the drawing).
    if (!info.IsScreen() || view.isEmpty() || canvas.testRenderHint(QPainter::Antialiasing) ||
        !SparsePicture::paintsDirectly(canvas)) {
        paintNode(m_tree->root(), info);
        return;
    }
    std::vector<double> key = viewKey(info);
    if (key.empty()) {
        paintNode(m_tree->root(), info);
        return;
    }
    if (m_picture.isNull() || key != m_pictureKey) {
        // A strip uncovered by scrolling gets the elements of the strip
        // alone: drawing the whole view for it would cost more than it saves.
        const QRect painted = SparsePicture::paintedRect(canvas) & view;
        if (int64_t(painted.width()) * painted.height() < int64_t(view.width()) * view.height() / 2) {
            paintNode(m_tree->root(), info);
            return;
        }
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        // Symbol sizes and letters follow the canvas's resolution.
        if (const QPaintDevice* device = canvas.device()) {
            image.setDotsPerMeterX(int(std::lround(device->logicalDpiX() / 0.0254)));
            image.setDotsPerMeterY(int(std::lround(device->logicalDpiY() / 0.0254)));
        }
        QPainter painter(&image);
        painter.translate(-view.topLeft());
        painter.setFont(canvas.font());
        painter.setRenderHints(canvas.renderHints());
        info.canvas = &painter;
        paintNode(m_tree->root(), info);
        info.canvas = &canvas;
        painter.end();
        m_picture = SparsePicture(image);
        m_pictureKey = std::move(key);
    }
    m_picture.paint(canvas, view.topLeft());
}

void UserDrawLayer::Invalidate() {
    m_picture = SparsePicture();
    m_pictureKey.clear();
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
