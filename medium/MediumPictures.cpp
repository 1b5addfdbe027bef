// Pictures of the medium: the picture symbols of the drawing tools and the
// title picture.
#include "MediumWriter.h"

#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

struct SymbolArt {
    const char* file;
    void (*draw)(QPainter&);
};

void pin(QPainter& p, const QColor& c) {
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(c);
    p.drawEllipse(QRectF(3, 3, 26, 26));
}

const SymbolArt symbols[] = {
    {"001Kirche.bmp",
     [](QPainter& p) {
         p.setPen(QPen(Qt::black, 1.5));
         p.setBrush(QColor(230, 230, 230));
         p.drawRect(QRectF(9, 14, 14, 15));
         p.drawPolygon(QPolygonF({QPointF(7, 15), QPointF(16, 6), QPointF(25, 15)}));
         p.setPen(QPen(Qt::black, 2));
         p.drawLine(QPointF(16, 1), QPointF(16, 7));
         p.drawLine(QPointF(13, 3.5), QPointF(19, 3.5));
     }},
    {"002Burg.bmp",
     [](QPainter& p) {
         p.setPen(QPen(Qt::black, 1.5));
         p.setBrush(QColor(170, 150, 120));
         QPainterPath path;
         path.moveTo(4, 29);
         path.lineTo(4, 8);
         for (int x = 4; x < 28; x += 6) {
             path.lineTo(x + 3, 8);
             path.lineTo(x + 3, 12);
             path.lineTo(x + 6, 12);
             path.lineTo(x + 6, 8);
         }
         path.lineTo(28, 29);
         path.closeSubpath();
         p.drawPath(path);
         p.setBrush(Qt::black);
         p.drawRect(QRectF(13, 20, 6, 9));
     }},
    {"003Museum.bmp",
     [](QPainter& p) {
         p.setPen(QPen(Qt::black, 1.5));
         p.setBrush(QColor(240, 230, 200));
         p.drawPolygon(QPolygonF({QPointF(3, 11), QPointF(16, 3), QPointF(29, 11)}));
         for (int x = 6; x <= 24; x += 6)
             p.drawRect(QRectF(x, 12, 3, 13));
         p.drawRect(QRectF(3, 26, 26, 3));
     }},
    {"004Jugendherberge.bmp",
     [](QPainter& p) {
         pin(p, QColor(40, 120, 200));
         p.setPen(QPen(Qt::white, 2.5));
         p.drawLine(QPointF(10, 9), QPointF(10, 23));
         p.drawLine(QPointF(22, 9), QPointF(22, 23));
         p.drawLine(QPointF(10, 16), QPointF(22, 16));
     }},
    {"005Huette.bmp",
     [](QPainter& p) {
         p.setPen(QPen(Qt::black, 1.5));
         p.setBrush(QColor(160, 90, 40));
         p.drawPolygon(QPolygonF({QPointF(2, 17), QPointF(16, 4), QPointF(30, 17)}));
         p.setBrush(QColor(210, 170, 110));
         p.drawRect(QRectF(7, 17, 18, 12));
         p.setBrush(Qt::black);
         p.drawRect(QRectF(14, 21, 5, 8));
     }},
    {"006Camping.bmp",
     [](QPainter& p) {
         p.setPen(QPen(Qt::black, 1.5));
         p.setBrush(QColor(60, 150, 60));
         p.drawPolygon(QPolygonF({QPointF(2, 28), QPointF(16, 5), QPointF(30, 28)}));
         p.setBrush(Qt::white);
         p.drawPolygon(QPolygonF({QPointF(12, 28), QPointF(16, 18), QPointF(20, 28)}));
     }},
    {"007Aussicht.bmp",
     [](QPainter& p) {
         p.setPen(QPen(Qt::black, 2));
         p.drawLine(QPointF(10, 29), QPointF(14, 8));
         p.drawLine(QPointF(22, 29), QPointF(18, 8));
         p.drawLine(QPointF(11, 20), QPointF(21, 20));
         p.setBrush(QColor(200, 60, 40));
         p.drawRect(QRectF(11, 3, 10, 6));
     }},
    {"008Parkplatz.bmp",
     [](QPainter& p) {
         p.setPen(QPen(Qt::white, 1));
         p.setBrush(QColor(30, 80, 180));
         p.drawRoundedRect(QRectF(2, 2, 28, 28), 4, 4);
         QFont f(QStringLiteral("DejaVu Sans"));
         f.setPixelSize(22);
         f.setBold(true);
         p.setFont(f);
         p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, QStringLiteral("P"));
     }},
    {"009Bahnhof.bmp",
     [](QPainter& p) {
         pin(p, QColor(200, 30, 30));
         p.setPen(QPen(Qt::white, 2));
         p.setBrush(Qt::NoBrush);
         p.drawRect(QRectF(10, 9, 12, 11));
         p.drawLine(QPointF(11, 23), QPointF(9, 26));
         p.drawLine(QPointF(21, 23), QPointF(23, 26));
     }},
    {"010Gasthaus.bmp",
     [](QPainter& p) {
         pin(p, QColor(250, 200, 60));
         p.setPen(QPen(Qt::black, 2));
         p.drawLine(QPointF(11, 8), QPointF(11, 24));
         p.drawLine(QPointF(9, 8), QPointF(9, 14));
         p.drawLine(QPointF(13, 8), QPointF(13, 14));
         p.drawLine(QPointF(21, 8), QPointF(21, 24));
         p.drawArc(QRectF(18, 8, 6, 9), 90 * 16, 180 * 16);
     }},
    {"011Quelle.bmp",
     [](QPainter& p) {
         p.setPen(QPen(QColor(20, 80, 180), 2));
         p.setBrush(QColor(120, 180, 240));
         p.drawEllipse(QRectF(9, 9, 14, 14));
         p.setBrush(Qt::NoBrush);
         p.drawEllipse(QRectF(4, 4, 24, 24));
     }},
    {"012Gipfel.bmp",
     [](QPainter& p) {
         p.setPen(QPen(Qt::black, 1.5));
         p.setBrush(QColor(140, 110, 80));
         p.drawPolygon(QPolygonF({QPointF(2, 28), QPointF(13, 8), QPointF(18, 15), QPointF(22, 10), QPointF(30, 28)}));
         p.setBrush(Qt::white);
         p.drawPolygon(QPolygonF({QPointF(10, 13.5), QPointF(13, 8), QPointF(16, 12)}));
     }},
    {"013Schwimmbad.bmp",
     [](QPainter& p) {
         pin(p, QColor(60, 160, 220));
         p.setPen(QPen(Qt::white, 2));
         for (int y = 13; y <= 21; y += 4)
             p.drawLine(QPointF(8, y), QPointF(24, y));
     }},
    {"014Information.bmp",
     [](QPainter& p) {
         pin(p, QColor(0, 130, 70));
         QFont f(QStringLiteral("DejaVu Serif"));
         f.setPixelSize(20);
         f.setBold(true);
         p.setFont(f);
         p.setPen(Qt::white);
         p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, QStringLiteral("i"));
     }},
};

bool saveAtomically(const QImage& img, const QString& file) {
    const QString temp = file + QStringLiteral(".tmp");
    if (!img.save(temp, "BMP"))
        return false;
    QFile::remove(file);
    return QFile::rename(temp, file);
}

} // namespace

bool MediumWriter::writeSymbols() {
    if (progress)
        progress(QStringLiteral("SYMBOLE"));
    for (const SymbolArt& s : symbols) {
        QImage img(32, 32, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            s.draw(p);
        }
        const QString file = path(QStringLiteral("SYMBOLE/") + QString::fromLatin1(s.file));
        if (!saveAtomically(img, file))
            return fail(QStringLiteral("%1 kann nicht geschrieben werden").arg(file));
    }
    return true;
}

bool MediumWriter::writeTitle() {
    if (progress)
        progress(QStringLiteral("BILDER/TITEL.BMP"));
    // The whole state as in the overview, with the product name over it.
    MapSpec spec = MapSpec::overviewLand(m_world.spec());
    const int width = 480;
    spec.pixelSize = spec.box.width() / width;
    spec.width = width;
    spec.height = int(std::lround(spec.box.height() / spec.pixelSize));
    spec.box.n0 = spec.box.n1 - spec.height * spec.pixelSize;
    const QImage map = MapRenderer(m_world, spec).render().convertToFormat(QImage::Format_RGB32);
    QImage img(width, 320, QImage::Format_RGB32);
    img.fill(QColor(250, 248, 240));
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.drawImage(0, (320 - map.height()) / 2, map);
        p.fillRect(QRect(0, 220, width, 100), QColor(255, 255, 255, 210));
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(34);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(30, 60, 110));
        p.drawText(QRect(0, 224, width, 44), Qt::AlignCenter, QStringLiteral("vistrel"));
        f.setPixelSize(15);
        f.setBold(false);
        p.setFont(f);
        p.setPen(QColor(40, 40, 40));
        p.drawText(QRect(0, 270, width, 40), Qt::AlignCenter,
                   QStringLiteral("Topographische Karten – Demo-Region %1").arg(m_world.spec().cdNumber));
    }
    const QString file = path(QStringLiteral("BILDER/TITEL.BMP"));
    if (!saveAtomically(img, file))
        return fail(QStringLiteral("%1 kann nicht geschrieben werden").arg(file));
    return true;
}
