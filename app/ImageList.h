#pragma once

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QSize>

// A list of equally sized images, as the menu and the toolbar keep them.
class ImageList {
public:
    explicit ImageList(QSize size) : m_size(size) {}

    QSize size() const { return m_size; }
    int count() const { return static_cast<int>(m_images.size()); }

    // Adds the image scaled to the list's size, with its transparent colour
    // (the colour of its lower-left pixel) made see-through; returns its index.
    int addMasked(const QImage& image);
    QPixmap pixmap(int index) const;

private:
    QSize m_size;
    QList<QPixmap> m_images;
};
