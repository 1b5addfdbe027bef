#include "StdDrawAppearance.h"

#include "StdDrawStrategy.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPen>

namespace {

QColor colour(uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// The stored line style as the pen style the canvas knows: 5 (clear), 6
// (inside frame) and anything beyond draw no line.
Qt::PenStyle penStyle(uint8_t lineStyle) {
    switch (lineStyle) {
    case 0:
        return Qt::SolidLine;
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    default:
        return Qt::NoPen;
    }
}

Qt::BrushStyle brushStyle(uint8_t fillStyle) {
    switch (fillStyle) {
    case 0:
        return Qt::SolidPattern;
    case 2:
        return Qt::HorPattern;
    case 3:
        return Qt::VerPattern;
    case 4:
        return Qt::FDiagPattern;
    case 5:
        return Qt::BDiagPattern;
    case 6:
        return Qt::CrossPattern;
    case 7:
        return Qt::DiagCrossPattern;
    default:
        return Qt::NoBrush;
    }
}

bool isDashed(Qt::PenStyle style) {
    return style == Qt::DashLine || style == Qt::DotLine || style == Qt::DashDotLine || style == Qt::DashDotDotLine;
}

} // namespace

void StdDrawAppearance::applyPen(QPainter& canvas) const {
    canvas.setBackgroundMode(Qt::TransparentMode);
    const Qt::PenStyle style = penStyle(lineStyle);
    QPen pen;
    if (lineWidth != 1 && isDashed(style)) {
        // An ordinary pen wider than one pixel would lose its dashes; the
        // geometric pen keeps them and rounds its ends and corners.
        pen = QPen(QBrush(colour(lineColor)), qMax(lineWidth, 0), style, Qt::RoundCap, Qt::RoundJoin);
    } else {
        // Wide ordinary pens round their ends and corners too; a one-pixel
        // line has none, so its dashes keep their exact length.
        const Qt::PenCapStyle cap = lineWidth > 1 ? Qt::RoundCap : Qt::FlatCap;
        pen = QPen(QBrush(colour(lineColor)), qMax(lineWidth, 0), style, cap, Qt::RoundJoin);
    }
    canvas.setPen(pen);
}

void StdDrawAppearance::applyBrush(QPainter& canvas) const {
    const Qt::BrushStyle style = brushStyle(fillStyle);
    const bool hatched = style != Qt::SolidPattern && style != Qt::NoBrush;
    if (hatched && hasBackColor) {
        canvas.setBackgroundMode(Qt::OpaqueMode);
        canvas.setBackground(QBrush(colour(backColor)));
    } else {
        canvas.setBackgroundMode(Qt::TransparentMode);
    }
    canvas.setBrush(QBrush(colour(fillColor), style));
}

QString StdDrawAppearance::kindLabel(const StdDrawObject& geometry) const {
    return strategy ? strategy->kindLabel(geometry) : QString();
}

void StdDrawAppearance::draw(MapEventInfo& target, const StdDrawObject& geometry) const {
    if (strategy)
        strategy->draw(target, geometry, *this);
}

StdDrawAppearance& StdDrawStrategy::defaultAppearance() const {
    return DefaultAppearances::record(0);
}

namespace DefaultAppearances {

namespace {
void setDefaults(std::array<StdDrawAppearance, 3>& records) {
    for (StdDrawAppearance& record : records) {
        const StdDrawStrategy* strategy = record.strategy;
        record = StdDrawAppearance();
        record.strategy = strategy;
    }
    // Texts sit on a white box.
    records[2].fillStyle = 0;
    records[2].fillColor = StdDrawAppearance::White;
}
} // namespace

std::array<StdDrawAppearance, 3>& table() {
    static std::array<StdDrawAppearance, 3> records = [] {
        std::array<StdDrawAppearance, 3> r;
        setDefaults(r);
        return r;
    }();
    return records;
}

StdDrawAppearance& record(int index) {
    return table()[size_t(qBound(0, index, 2))];
}

void reset() {
    setDefaults(table());
}

} // namespace DefaultAppearances
