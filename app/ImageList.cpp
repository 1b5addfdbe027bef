#include "ImageList.h"

#include "AppResources.h"

int ImageList::addMasked(const QImage& image) {
    QImage sized = image;
    if (!sized.isNull() && sized.size() != m_size)
        sized = sized.scaled(m_size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    m_images.append(AppResources::transparentPixmap(sized));
    return count() - 1;
}

QPixmap ImageList::pixmap(int index) const {
    if (index < 0 || index >= count())
        return QPixmap();
    return m_images[index];
}
