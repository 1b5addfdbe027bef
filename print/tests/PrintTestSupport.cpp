#include "PrintTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <unistd.h>

namespace PrintTestSupport {

QString demoMedium() {
    const QString medium = QStringLiteral(PRINT_TEST_MEDIUM);
    if (QFileInfo::exists(medium + "/KARTEN/CD.TXT"))
        return medium;
    // Made beside and renamed when complete, so that test processes running
    // side by side never see half a medium.
    const QString building = medium + QStringLiteral(".%1").arg(getpid());
    QProcess tool;
    tool.start(QStringLiteral(VISTREL_TOOL), {QStringLiteral("make-medium"), building});
    if (!tool.waitForFinished(300000) || tool.exitCode() != 0)
        return {};
    if (!QDir().rename(building, medium))
        QDir(building).removeRecursively(); // another process was quicker
    return QFileInfo::exists(medium + "/KARTEN/CD.TXT") ? medium : QString();
}

bool demoCentre(double& easting, double& northing) {
    QFile file(demoMedium() + "/KARTEN/CD.TXT");
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QStringList values =
        QString::fromLatin1(file.readAll()).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    if (values.size() < 3)
        return false;
    easting = values[1].toDouble();
    northing = values[2].toDouble();
    return easting > 0 && northing > 0;
}

QImage renderPdf(const QString& pdf, int dpi, const QRect& crop) {
    QTemporaryDir dir;
    QStringList arguments{"-r", QString::number(dpi), "-f", "1", "-l", "1", "-png", "-singlefile"};
    if (!crop.isEmpty()) {
        arguments << "-x" << QString::number(crop.x()) << "-y" << QString::number(crop.y()) << "-W"
                  << QString::number(crop.width()) << "-H" << QString::number(crop.height());
    }
    arguments << pdf << dir.path() + "/page";
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), arguments);
    if (!render.waitForFinished(120000) || render.exitCode() != 0)
        return {};
    return QImage(dir.path() + "/page.png").convertToFormat(QImage::Format_RGB32);
}

std::optional<QPointF> centroid(const QImage& image, const QRect& box, const std::function<bool(QRgb)>& match) {
    const QRect area = box & image.rect();
    double sx = 0;
    double sy = 0;
    long count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            if (match(line[x])) {
                sx += x;
                sy += y;
                ++count;
            }
        }
    }
    if (count == 0)
        return std::nullopt;
    return QPointF(sx / count, sy / count);
}

bool isMarkRed(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) < 40 && qBlue(pixel) < 40;
}

} // namespace PrintTestSupport
