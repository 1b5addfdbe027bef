#include "LineAreaForm.h"

#include "LineAreaFunction.h"
#include "StdDrawObject.h"

#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

TLineAreaForm::TLineAreaForm(LineAreaFunction& function, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_function(function) {
    setWindowTitle(QStringLiteral("Zeichnen"));
    pshDeleteLast = new QPushButton(QStringLiteral("&Letzten Punkt löschen"), this);
    pshCloseArea = new QPushButton(QStringLiteral("&Fläche schließen"), this);
    pshDeleteAll = new QPushButton(QStringLiteral("&Alles löschen"), this);
    pshCloseArea->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pshDeleteLast);
    layout->addWidget(pshCloseArea);
    layout->addWidget(pshDeleteAll);
    // Buttons that take no focus leave it on the map, where backspace and 0 work.
    for (QPushButton* button : {pshDeleteLast, pshCloseArea, pshDeleteAll})
        button->setFocusPolicy(Qt::NoFocus);
    connect(pshDeleteLast, &QPushButton::clicked, this, &TLineAreaForm::pshDeleteLastClick);
    connect(pshCloseArea, &QPushButton::clicked, this, &TLineAreaForm::pshCloseAreaClick);
    connect(pshDeleteAll, &QPushButton::clicked, this, &TLineAreaForm::pshDeleteAllClick);
    adjustSize();
    updateButtons();
}

void TLineAreaForm::updateButtons() {
    const StdDrawObject& geometry = m_function.Geometry();
    const size_t count = geometry.points.size();
    pshCloseArea->setEnabled(count > 2 && !geometry.closed());
    pshDeleteLast->setEnabled(count >= 1);
    pshDeleteAll->setEnabled(count >= 1);
}

void TLineAreaForm::placeOver(const QWidget& control) {
    const QPoint top = control.mapToGlobal(QPoint(control.width() / 2, 0));
    QSize size = frameGeometry().size();
    // The window manager adds the title bar only once the window is on the
    // screen; until then its height is estimated, or the window would cover
    // the control.
    if (size.height() == height())
        size.rheight() += style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    QPoint corner(top.x() - size.width() / 2, top.y() - size.height());
    // Never off the screen, where the window manager would put it anywhere.
    if (const QScreen* screen = control.screen()) {
        const QRect area = screen->availableGeometry();
        corner.setX(std::clamp(corner.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
        corner.setY(std::clamp(corner.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
    }
    move(corner);
}

void TLineAreaForm::pshDeleteLastClick() {
    m_function.DeleteLast();
}

void TLineAreaForm::pshCloseAreaClick() {
    m_function.CloseArea();
}

void TLineAreaForm::pshDeleteAllClick() {
    m_function.DeleteAll();
}
