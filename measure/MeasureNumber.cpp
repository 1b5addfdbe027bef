#include "MeasureNumber.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

MeasureNumberFormat::MeasureNumberFormat(int decimals) {
    // More decimals than a double holds would only show noise.
    decimals = std::clamp(decimals, 0, 15);
    char format[16];
    std::snprintf(format, sizeof format, "%%.%df", decimals);
    m_format = format;
}

QString MeasureNumberFormat::Number(double value) const {
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // Qt's printf ignores the process locale, so the point is always ".".
    const QString text = QString::asprintf(m_format.constData(), value);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    QString integer = point < 0 ? text : text.left(point);
    const QString fraction = point < 0 ? QString() : text.mid(point + 1);
    const bool negative = integer.startsWith(QLatin1Char('-'));
    if (negative)
        integer.remove(0, 1);
    for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
        integer.insert(i, QLatin1Char('.'));
    QString result = negative ? QStringLiteral("-") + integer : integer;
    if (!fraction.isEmpty())
        result += QLatin1Char(',') + fraction;
    return result;
}
