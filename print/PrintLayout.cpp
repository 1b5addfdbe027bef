#include "PrintLayout.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace PrintLayout {

std::int32_t clampScale(std::int64_t n, std::int32_t defaultScale, std::int32_t minimum, std::int32_t maximum) {
    if (n == 0)
        return defaultScale;
    if (n < minimum)
        return minimum;
    if (n > maximum)
        return maximum;
    return static_cast<std::int32_t>(n);
}

std::int64_t scaleFieldValue(const QString& text) {
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    return ok ? n : 0;
}

double PrintArea::millimetresPerPixel() const {
    if (widthPx <= 0 || heightPx <= 0)
        return 0.0;
    return (widthMm / widthPx + heightMm / heightPx) * 0.5;
}

void limitToPaper(PrintArea& area, bool tall, std::int32_t paperWidth, std::int32_t paperHeight) {
    // The module's limits travel as 16-bit millimetres: 2147483647 reads 65535.
    const int width = static_cast<std::uint16_t>(paperWidth);
    const int height = static_cast<std::uint16_t>(paperHeight);
    if (height > width)
        tall = !tall;
    const double horizontal = tall ? height : width;
    const double vertical = tall ? width : height;
    if (horizontal < area.widthMm && area.widthMm > 0) {
        area.widthPx = static_cast<std::int32_t>(horizontal / area.widthMm * area.widthPx);
        area.widthMm = horizontal;
    }
    if (vertical < area.heightMm && area.heightMm > 0) {
        area.heightPx = static_cast<std::int32_t>(vertical / area.heightMm * area.heightPx);
        area.heightMm = vertical;
    }
}

std::int32_t roundedScale(double groundPerPaper) {
    if (!(groundPerPaper > 0) || groundPerPaper >= 2147483647.0)
        return groundPerPaper >= 2147483647.0 ? 2147483647 : 0;
    std::int64_t scale = static_cast<std::int64_t>(groundPerPaper);
    int k = 0;
    while (scale > 100) {
        scale /= 10;
        ++k;
    }
    while (k-- > 0)
        scale *= 10;
    return static_cast<std::int32_t>(std::min<std::int64_t>(scale, 2147483647));
}

QStringList marginLinesFromBottom(const QString& text) {
    QStringList lines = text.split(QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts);
    std::reverse(lines.begin(), lines.end());
    return lines;
}

ScaleBarStep scaleBarStep(double groundMetres) {
    ScaleBarStep step;
    double g = groundMetres;
    if (!(g > 0) || !std::isfinite(g))
        g = 1.0;
    // g is brought into 1 .. 10 and the unit kept as its power of ten, so
    // that the step is a clean 1, 2 or 5 x 10^k.
    int k = 0;
    while (g < 1) {
        --k;
        g *= 10;
    }
    while (g > 10) {
        ++k;
        g /= 10;
    }
    double factor = 1;
    if (g > 5)
        factor = 10;
    else if (g > 2)
        factor = 5;
    else if (g > 1)
        factor = 2;
    const double c = factor * std::pow(10.0, k);
    step.metres = c;
    // Units of exact powers of ten are divided out, so that whole labels stay whole.
    if (c < 0.01) {
        step.unit = QStringLiteral("mm");
        step.labelValue = c * 1000;
    } else if (c < 1) {
        step.unit = QStringLiteral("cm");
        step.labelValue = c * 100;
    } else if (c < 1000) {
        step.unit = QStringLiteral("m");
        step.labelValue = c;
    } else if (c < 1000000) {
        step.unit = QStringLiteral("km");
        step.labelValue = c / 1000;
    } else {
        step.unit = QStringLiteral("tkm");
        step.labelValue = c / 1000000;
    }
    return step;
}

QString scaleBarLabel(const ScaleBarStep& step, int i) {
    // The guard keeps a product a hair below a whole number (a step of
    // 0.05 m read in centimetres) from losing a unit to the truncation.
    return QString::number(static_cast<long long>(std::trunc(i * step.labelValue + 1e-9)));
}

ScaleBarPlacement placeScaleBar(int mapRight, int printWidth, double block, double stepWidth) {
    ScaleBarPlacement placement;
    if (!(stepWidth > 0))
        return placement;
    placement.ticks = static_cast<int>(std::floor((mapRight - block) / stepWidth));
    if (placement.ticks >= 5) {
        placement.left = (mapRight - static_cast<int>(block + placement.ticks * stepWidth)) / 2;
        return placement;
    }
    placement.ticks = std::clamp(static_cast<int>(std::floor((printWidth - block) / stepWidth)), 0, 11);
    placement.left = 0;
    return placement;
}

} // namespace PrintLayout
