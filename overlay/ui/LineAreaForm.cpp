#include "LineAreaForm.h"

#include "LineAreaFunction.h"
#include "StdDrawObject.h"

#include <QPushButton>
#include <QVBoxLayout>

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
    const QSize size = frameGeometry().size();
    move(top.x() - size.width() / 2, top.y() - size.height());
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
