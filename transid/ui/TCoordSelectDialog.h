#pragma once

#include "ShowCoord.h"

#include <QDialog>

class QGroupBox;
class QPushButton;
class QRadioButton;

// "Koordinatenwahl": which projected and which geographic system the status
// bar shows. OK copies the checked buttons into the settings; "Abbrechen"
// leaves them alone.
class TCoordSelectDialog : public QDialog {
    Q_OBJECT
public:
    TCoordSelectDialog(Modul::ShowCoord::Settings& settings, QWidget* parent = nullptr);

    QGroupBox* RadioGroup1;
    QRadioButton* rbGK;
    QRadioButton* rbUTM_ED50;
    QRadioButton* rbUTM_ETRS89;
    QRadioButton* rbVerebnetKein;
    QGroupBox* RadioGroup2;
    QRadioButton* rbDHDN;
    QRadioButton* rbED50;
    QRadioButton* rbETRS89;
    QRadioButton* rbGeoKein;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OKBtnClick();

    Modul::ShowCoord::Settings& m_settings;
};
