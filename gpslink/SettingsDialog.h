#pragma once

#include "PortSettings.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;

// "NMEA-Einstellungen": port number, line settings and the sentence filter.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    // Opens the port (0 closes it); true when that worked.
    using OpenPort = std::function<bool(int number, const PortSettings& settings)>;

    // `current` holds the open port's settings, or nothing when no port is open.
    SettingsDialog(int portNumber, const PortSettings* current, std::int32_t flags, OpenPort openPort,
                   QWidget* parent = nullptr);

    // The "OK" rule: false keeps the dialog open.
    bool onOk();
    std::int32_t chosenFlags() const;

    QLineEdit* portField() const { return m_port; }
    QComboBox* baudList() const { return m_baud; }
    QComboBox* bitsList() const { return m_bits; }
    QComboBox* parityList() const { return m_parity; }
    QComboBox* stopBitsList() const { return m_stopBits; }
    QComboBox* sentenceList() const { return m_sentences; }

signals:
    void flagsChosen(std::int32_t flags);

private:
    QLineEdit* m_port;
    QComboBox* m_baud;
    QComboBox* m_bits;
    QComboBox* m_parity;
    QComboBox* m_stopBits;
    QComboBox* m_sentences;
    OpenPort m_openPort;
};
