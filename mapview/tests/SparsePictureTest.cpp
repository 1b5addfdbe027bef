// A picture kept as runs of pixels must paint exactly as the painter draws the
// picture itself, whether the runs are copied into the canvas's rows or the
// canvas cannot take them.
#include "SparsePicture.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

TEST(SparsePicture, PaintsAsThePainterDrawsThePicture) {
    // Opaque lines, a half-transparent box, a hatch and smoothed edges over
    // nothing.
    QImage picture(40, 30, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter p(&picture);
        p.setPen(QPen(QColor(255, 0, 255), 3));
        p.drawLine(2, 2, 37, 20);
        p.fillRect(QRect(5, 15, 20, 10), QColor(0, 0, 255, 128));
        p.fillRect(QRect(1, 22, 36, 8), QBrush(Qt::red, Qt::DiagCrossPattern));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(10, 200, 30), 1.5));
        p.drawEllipse(QRectF(20.3, 3.2, 15.5, 22.1));
    }
    const SparsePicture sparse(picture);
    size_t shown = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            shown += qAlpha(picture.pixel(x, y)) != 0;
    }
    EXPECT_EQ(sparse.pixelCount(), shown);

    struct Setup {
        const char* name;
        std::function<void(QPainter&)> apply;
        bool direct;
    };
    const Setup setups[] = {
        {"plain", [](QPainter&) {}, true},
        {"moved", [](QPainter& p) { p.translate(9, -4); }, true},
        {"clipped", [](QPainter& p) { p.setClipRegion(QRegion(10, 6, 14, 9) + QRegion(30, 20, 20, 20)); }, true},
        {"moved and clipped",
         [](QPainter& p) {
             p.translate(-3, 5);
             p.setClipRect(0, 0, 25, 25);
         },
         true},
        {"scaled", [](QPainter& p) { p.scale(2, 2); }, false},
        {"half moved", [](QPainter& p) { p.translate(0.5, 0); }, false},
        {"half opaque", [](QPainter& p) { p.setOpacity(0.5); }, false},
    };
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32}) {
        for (const Setup& setup : setups) {
            SCOPED_TRACE(testing::Message() << setup.name << ", format " << int(format));
            // A ground of many colours, so that every blend shows.
            QImage ground(64, 48, format);
            for (int y = 0; y < ground.height(); ++y) {
                for (int x = 0; x < ground.width(); ++x)
                    ground.setPixel(x, y, qRgba(x * 4, y * 5, (x * y) & 0xFF, 255));
            }
            QImage copied = ground.copy();
            QImage drawn = ground.copy();
            {
                QPainter p(&copied);
                setup.apply(p);
                EXPECT_EQ(sparse.paintsDirectly(p), setup.direct && format != QImage::Format_ARGB32);
                sparse.paint(p, QPoint(7, 4));
            }
            {
                QPainter p(&drawn);
                setup.apply(p);
                p.drawImage(QPoint(7, 4), picture);
            }
            EXPECT_EQ(copied, drawn);
            EXPECT_NE(copied, ground);
        }
    }
}
