#include "DimmerDialog.h"

#include "MapHandle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

DimmerDialog::DimmerDialog(MapHandle& handle, QWidget* parent)
    : QDialog(parent), m_handle(handle), m_value(handle.dimmer()) {
    setWindowTitle(QStringLiteral("Abdunkeln"));
    auto* label = new QLabel(QStringLiteral("Helligkeit"), this);
    m_scrollBar = new QScrollBar(Qt::Horizontal, this);
    m_scrollBar->setObjectName(QStringLiteral("100"));
    m_scrollBar->setRange(0, 255);
    m_scrollBar->setSingleStep(1);
    m_scrollBar->setPageStep(16);
    // Only a released thumb sets the value.
    m_scrollBar->setTracking(false);
    m_scrollBar->setValue(m_value);
    m_scrollBar->setMinimumWidth(200);
    m_valueLabel = new QLabel(percentText(m_value), this);
    m_valueLabel->setObjectName(QStringLiteral("101"));
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);

    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(m_scrollBar, 1);
    valueRow->addWidget(m_valueLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(valueRow);
    layout->addLayout(buttons);

    connect(m_scrollBar, &QScrollBar::actionTriggered, this, [this](int action) {
        int code = -1;
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            code = LineLeft;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            code = LineRight;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = PageLeft;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = PageRight;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = Left;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = Right;
            break;
        default:
            return; // dragging: the value follows only when the thumb is released
        }
        // The slider applies this position once the action is done.
        m_scrollBar->setSliderPosition(scrolled(m_value, code));
    });
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int v) { setValue(v); });
    connect(m_ok, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
}

int DimmerDialog::scrolled(int value, int code, int thumb) {
    switch (code) {
    case LineLeft:
        return std::max(value - 1, 0);
    case LineRight:
        return std::min(value + 1, 255);
    case PageLeft:
        return value < 16 ? 0 : value - 16;
    case PageRight:
        return value >= 240 ? 255 : value + 16;
    case ThumbPosition:
        return std::clamp(thumb, 0, 255);
    case Left:
        return 0;
    case Right:
        return 255;
    default:
        return value;
    }
}

QString DimmerDialog::percentText(int value) {
    return QString::asprintf("%5.1f%%", double(value) * 100.0 / 255.0);
}

void DimmerDialog::scroll(int code, int thumb) {
    const int v = scrolled(m_value, code, thumb);
    setValue(v);
    m_scrollBar->setValue(v);
}

void DimmerDialog::setValue(int value) {
    m_value = value;
    m_valueLabel->setText(percentText(value));
}

void DimmerDialog::okClicked() {
    done(m_handle.setDimmer(uint32_t(m_value)) ? Changed : Unchanged);
}

void DimmerDialog::reject() {
    done(Unchanged);
}

bool DimmerDialog::ask(MapHandle& handle, QWidget* owner) {
    DimmerDialog dialog(handle, owner);
    return dialog.exec() == Changed;
}
