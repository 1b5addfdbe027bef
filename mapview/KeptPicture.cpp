#include "KeptPicture.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>
#include <cstdint>

KeptPicture::Outcome KeptPicture::paint(QPainter& canvas, const QRect& view, std::vector<double> key,
                                        const std::function<bool(QPainter&)>& draw) {
    if (key.empty() || view.isEmpty() || !SparsePicture::paintsDirectly(canvas)) {
        draw(canvas);
        return Outcome::Direct;
    }
    Outcome outcome = Outcome::Kept;
    if (m_picture.isNull() || key != m_key) {
        const QRect painted = SparsePicture::paintedRect(canvas) & view;
        if (int64_t(painted.width()) * painted.height() < int64_t(view.width()) * view.height() / 2) {
            draw(canvas);
            return Outcome::Direct;
        }
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        // Sizes given in points and letters follow the canvas's resolution.
        if (const QPaintDevice* device = canvas.device()) {
            image.setDotsPerMeterX(int(std::lround(device->logicalDpiX() / 0.0254)));
            image.setDotsPerMeterY(int(std::lround(device->logicalDpiY() / 0.0254)));
        }
        QPainter painter(&image);
        painter.translate(-view.topLeft());
        painter.setFont(canvas.font());
        painter.setRenderHints(canvas.renderHints());
        const bool complete = draw(painter);
        painter.end();
        m_picture = SparsePicture(image);
        // A picture of a stopped paint shows once; the next paint draws anew.
        m_key = complete ? std::move(key) : std::vector<double>();
        outcome = Outcome::Drawn;
    }
    m_picture.paint(canvas, view.topLeft());
    return outcome;
}

void KeptPicture::clear() {
    m_picture = SparsePicture();
    m_key.clear();
}
