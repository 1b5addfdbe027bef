#include "TCoordSelectDialog.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

using Modul::ShowCoord;

TCoordSelectDialog::TCoordSelectDialog(ShowCoord::Settings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_settings(settings) {
    setObjectName(QStringLiteral("TCoordSelectDialog"));
    setWindowTitle(QStringLiteral("Koordinatenwahl"));

    auto radio = [](QGroupBox* group, const char* name, const QString& caption, bool checked) {
        auto* button = new QRadioButton(caption, group);
        button->setObjectName(QString::fromLatin1(name));
        button->setChecked(checked);
        group->layout()->addWidget(button);
        return button;
    };

    const int projected = settings.projected;
    RadioGroup1 = new QGroupBox(QStringLiteral("verebnete Koordinate"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    new QVBoxLayout(RadioGroup1);
    rbGK = radio(RadioGroup1, "rbGK", QStringLiteral("Gauß-Krüger"), projected == ShowCoord::ProjectedGaussKrueger);
    rbUTM_ED50 = radio(RadioGroup1, "rbUTM_ED50", QStringLiteral("UTM-ED50"), projected == ShowCoord::ProjectedEd50Utm);
    rbUTM_ETRS89 =
        radio(RadioGroup1, "rbUTM_ETRS89", QStringLiteral("UTM-ETRS89"), projected == ShowCoord::ProjectedEtrs89Utm);
    rbVerebnetKein =
        radio(RadioGroup1, "rbVerebnetKein", QStringLiteral("keine"), projected == ShowCoord::ProjectedNone);

    const int geographic = settings.geographic;
    RadioGroup2 = new QGroupBox(QStringLiteral("geographische Koordinate"), this);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    new QVBoxLayout(RadioGroup2);
    rbDHDN = radio(RadioGroup2, "rbDHDN", QStringLiteral("DHDN"), geographic == ShowCoord::GeographicDhdn);
    rbED50 = radio(RadioGroup2, "rbED50", QStringLiteral("ED50"), geographic == ShowCoord::GeographicEd50);
    rbETRS89 = radio(RadioGroup2, "rbETRS89", QStringLiteral("ETRS89"), geographic == ShowCoord::GeographicEtrs89);
    rbGeoKein = radio(RadioGroup2, "rbGeoKein", QStringLiteral("keine"), geographic == ShowCoord::GeographicNone);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &TCoordSelectDialog::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* groups = new QHBoxLayout;
    groups->addWidget(RadioGroup1);
    groups->addWidget(RadioGroup2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    // A dialog border: the size follows the contents and cannot be dragged.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TCoordSelectDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen, not on the main window.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TCoordSelectDialog::OKBtnClick() {
    if (rbGK->isChecked())
        m_settings.projected = ShowCoord::ProjectedGaussKrueger;
    else if (rbUTM_ED50->isChecked())
        m_settings.projected = ShowCoord::ProjectedEd50Utm;
    else if (rbUTM_ETRS89->isChecked())
        m_settings.projected = ShowCoord::ProjectedEtrs89Utm;
    else if (rbVerebnetKein->isChecked())
        m_settings.projected = ShowCoord::ProjectedNone;
    if (rbDHDN->isChecked())
        m_settings.geographic = ShowCoord::GeographicDhdn;
    else if (rbED50->isChecked())
        m_settings.geographic = ShowCoord::GeographicEd50;
    else if (rbETRS89->isChecked())
        m_settings.geographic = ShowCoord::GeographicEtrs89;
    else if (rbGeoKein->isChecked())
        m_settings.geographic = ShowCoord::GeographicNone;
    accept();
}
