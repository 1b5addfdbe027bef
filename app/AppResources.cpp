#include "AppResources.h"

#include <QBitmap>
#include <QFile>
#include <QRegularExpression>

static void initAppResources() {
    // The resources are compiled into the static library; naming them here
    // keeps the linker from dropping them.
    Q_INIT_RESOURCE(vistrel);
}

namespace AppResources {

namespace {

void ensureResources() {
    static const bool done = (initAppResources(), true);
    (void)done;
}

QString resourcePath(const char* folder, const QString& name) {
    ensureResources();
    return QStringLiteral(":/%1/%2.xpm").arg(QLatin1String(folder), name.toUpper());
}

} // namespace

QImage bitmap(const QString& name) {
    if (name.isEmpty())
        return QImage();
    return QImage(resourcePath("bitmaps", name), "XPM");
}

bool hasBitmap(const QString& name) {
    return !name.isEmpty() && QFile::exists(resourcePath("bitmaps", name));
}

QPixmap transparentPixmap(const QImage& image) {
    if (image.isNull())
        return QPixmap();
    QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = rgb.pixel(0, rgb.height() - 1);
    for (int y = 0; y < rgb.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(rgb.scanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return QPixmap::fromImage(rgb);
}

std::optional<QCursor> cursor(const QString& name) {
    QFile file(resourcePath("cursors", name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = file.readAll();
    const QImage image = QImage::fromData(text, "XPM");
    if (image.isNull())
        return std::nullopt;
    // The hot spot is the fifth and sixth number of the XPM values line.
    int hotX = -1, hotY = -1;
    static const QRegularExpression values(
        QStringLiteral("\"\\s*(\\d+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)(?:\\s+(\\d+)\\s+(\\d+))?\\s*\""));
    const QRegularExpressionMatch match = values.match(QString::fromLatin1(text));
    if (match.hasMatch() && !match.captured(5).isEmpty()) {
        hotX = match.captured(5).toInt();
        hotY = match.captured(6).toInt();
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

QPixmap programPixmap() {
    ensureResources();
    return QPixmap(QStringLiteral(":/icons/VISTREL.xpm"), "XPM");
}

QIcon programIcon() {
    return QIcon(programPixmap());
}

} // namespace AppResources
