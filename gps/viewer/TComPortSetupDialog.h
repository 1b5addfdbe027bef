#pragma once

#include "zozi32.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// "Schnittstelle / NMEA": the receiver's port and the sentences the GPS link
// takes from it. Besides a serial port the link can read a gpsd server; the
// server is named here and kept in the link's settings file as the device of
// the chosen port number.
class TComPortSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit TComPortSetupDialog(QWidget* owner);

    // Reads the link's current port into the controls, shows the dialog
    // beside its owner and runs it.
    int execute();
    // The first step of execute(): the controls from the link's port; false
    // when the link could not be asked (the controls keep what they showed).
    bool load();
    void showConfig(const NmeaPortConfig& config);
    // What "OK" sends.
    NmeaPortConfig config() const;

    QLineEdit* sleComPort;
    QComboBox* lstBaudrate;
    QComboBox* lstBits;
    QComboBox* lstParity;
    QComboBox* lstStopbits;
    QComboBox* lstNMEAOptions;
    QCheckBox* chkGpsd;
    QLineEdit* sleGpsd;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

public slots:
    void OKBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The gpsd server configured for the port, without "gpsd://", or empty.
    static QString gpsdServer(int port);
    // Names the device of the port in the link's settings; true when it changed.
    static bool setDevice(int port, const QString& device);
};
