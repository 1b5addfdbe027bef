#include "TMeasureFrame.h"

#include "MeasureLineArea.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <cmath>

TMeasureFrame::TMeasureFrame(const MeasureNumberFormat& format, QWidget* parent) : QFrame(parent), m_format(format) {
    setObjectName(QStringLiteral("TMeasureFrame"));
    auto label = [this](const char* name, const QString& text, bool right) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        if (right)
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    lblLastDist = label("lblLastDist", QStringLiteral("Letzte Teilstrecke:"), false);
    txtLastDist = label("txtLastDist", QStringLiteral("0 m"), true);
    lblSumDist = label("lblSumDist", QStringLiteral("Gesamtstrecke:"), false);
    txtSumDist = label("txtSumDist", QStringLiteral("0 m"), true);
    lblArea = label("lblArea", QStringLiteral("Fläche:"), false);
    txtArea = label("txtArea", QStringLiteral("0 m²"), true);
    pshCloseArea = button("pshCloseArea", QStringLiteral("&Fläche schließen"));
    pshDeleteLast = button("pshDeleteLast", QStringLiteral("&Letzte Teilstrecke löschen"));
    pshDeleteAll = button("pshDeleteAll", QStringLiteral("&Gesamtstrecke löschen"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblLastDist, 0, 0);
    grid->addWidget(txtLastDist, 0, 1);
    grid->addWidget(lblSumDist, 1, 0);
    grid->addWidget(txtSumDist, 1, 1);
    // The close button stands in the place of the area line until the line
    // is closed.
    grid->addWidget(lblArea, 2, 0);
    grid->addWidget(txtArea, 2, 1);
    grid->addWidget(pshCloseArea, 2, 0, 1, 2);
    grid->addWidget(pshDeleteLast, 3, 0, 1, 2);
    grid->addWidget(pshDeleteAll, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    // Room for a large area with its separators, so the window does not grow.
    txtArea->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("99.999.999.999 m²")));

    connect(pshCloseArea, &QPushButton::clicked, this, &TMeasureFrame::pshCloseAreaClick);
    connect(pshDeleteLast, &QPushButton::clicked, this, &TMeasureFrame::pshDeleteLastClick);
    connect(pshDeleteAll, &QPushButton::clicked, this, &TMeasureFrame::pshDeleteAllClick);
    UpdateView();
}

TMeasureFrame::~TMeasureFrame() {
    Bind(nullptr);
}

void TMeasureFrame::Bind(MeasureLineArea* measurement) {
    if (m_measurement != nullptr)
        m_measurement->RemoveListener(m_listener);
    m_measurement = measurement;
    m_listener = 0;
    if (m_measurement != nullptr)
        m_listener = m_measurement->AddListener([this](bool) { UpdateView(); });
    UpdateView();
}

void TMeasureFrame::UpdateView() {
    const bool closed = m_measurement != nullptr && m_measurement->Closed();
    const double last = m_measurement ? m_measurement->Last() : 0.0;
    const double total = m_measurement ? m_measurement->Total() : 0.0;
    txtLastDist->setText(m_format.Length(last));
    txtSumDist->setText(m_format.Length(total));
    lblArea->setVisible(closed);
    txtArea->setVisible(closed);
    pshCloseArea->setVisible(!closed);
    if (closed) {
        txtArea->setText(m_format.Area(std::fabs(m_measurement->Area())));
        pshDeleteAll->setText(QStringLiteral("&Gesamtfläche löschen"));
    } else {
        pshCloseArea->setEnabled(m_measurement != nullptr && m_measurement->PointCount() >= 3);
        pshDeleteAll->setText(QStringLiteral("&Gesamtstrecke löschen"));
    }
}

void TMeasureFrame::pshCloseAreaClick() {
    if (m_measurement != nullptr && m_measurement->PointCount() >= 3)
        m_measurement->CloseArea();
}

void TMeasureFrame::pshDeleteLastClick() {
    if (m_measurement != nullptr)
        m_measurement->DeleteLast();
}

void TMeasureFrame::pshDeleteAllClick() {
    if (m_measurement != nullptr)
        m_measurement->DeleteAll();
}
