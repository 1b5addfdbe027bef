#include "StyleComboBox.h"

#include "StdDrawAppearance.h"

#include <QPainter>
#include <QPixmap>

namespace {
constexpr int PenStyleCount = 6;  // solid, dash, dot, dash-dot, dash-dot-dot, clear
constexpr int FillStyleCount = 8; // solid, clear and the six hatches
const QSize SampleSize(64, 14);
} // namespace

TStyleComboBox::TStyleComboBox(Kind kind, QWidget* parent) : QComboBox(parent), m_kind(kind) {
    setIconSize(SampleSize);
    const int count = kind == PenStyles ? PenStyleCount : FillStyleCount;
    for (int style = 0; style < count; ++style)
        addItem(QIcon(sample(kind, style, SampleSize)), QString());
}

QPixmap TStyleComboBox::sample(Kind kind, int style, const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    StdDrawAppearance look;
    look.lineColor = 0; // black
    look.fillColor = 0;
    if (kind == PenStyles) {
        look.lineWidth = 1;
        look.lineStyle = uint8_t(style);
        look.applyPen(painter);
        const int y = size.height() / 2;
        painter.drawLine(2, y, size.width() - 3, y);
    } else {
        look.fillStyle = uint8_t(style);
        look.applyBrush(painter);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(QRect(QPoint(1, 1), size - QSize(3, 3)));
    }
    return pixmap;
}
