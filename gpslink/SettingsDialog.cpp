#include "SettingsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QComboBox* addList(QFormLayout* form, const QString& label, QWidget* parent) {
    auto* list = new QComboBox(parent);
    auto* caption = new QLabel(label, parent);
    caption->setBuddy(list);
    form->addRow(caption, list);
    return list;
}

} // namespace

SettingsDialog::SettingsDialog(int portNumber, const PortSettings* current, std::int32_t flags, OpenPort openPort,
                               QWidget* parent)
    : QDialog(parent), m_openPort(std::move(openPort)) {
    setWindowTitle(QStringLiteral("NMEA-Einstellungen"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    m_port = new QLineEdit(this);
    auto* portLabel = new QLabel(QStringLiteral("&Schnittstelle COM"), this);
    portLabel->setBuddy(m_port);
    form->addRow(portLabel, m_port);
    m_baud = addList(form, QStringLiteral("Baud&rate:"), this);
    m_bits = addList(form, QStringLiteral("&Bits:"), this);
    m_parity = addList(form, QStringLiteral("&Parität:"), this);
    m_stopBits = addList(form, QStringLiteral("S&topbits:"), this);
    m_sentences = addList(form, QStringLiteral("GPS-Daten:"), this);

    for (const auto& rate : PortTables::BaudRates)
        m_baud->addItem(QString::fromLatin1(rate.text), rate.value);
    for (int bits = 5; bits <= 8; ++bits)
        m_bits->addItem(QString::number(bits), bits);
    for (const auto& parity : PortTables::Parities)
        m_parity->addItem(QString::fromUtf8(parity.text), parity.value);
    for (int s = 0; s < int(PortTables::StopBitTexts.size()); ++s)
        m_stopBits->addItem(QString::fromLatin1(PortTables::StopBitTexts[std::size_t(s)]), s);
    for (const auto& choice : PortTables::SentenceChoices)
        m_sentences->addItem(QString::fromUtf8(choice.text), choice.value);

    // Without an open port the usual receiver settings are offered.
    const PortSettings shown = current ? *current : PortSettings{};
    m_baud->setCurrentIndex(m_baud->findData(shown.baudRate));
    m_bits->setCurrentIndex(m_bits->findData(int(shown.dataBits)));
    m_parity->setCurrentIndex(m_parity->findData(int(shown.parity)));
    m_stopBits->setCurrentIndex(m_stopBits->findData(int(shown.stopBits)));
    m_sentences->setCurrentIndex(m_sentences->findData(int(flags)));
    m_port->setText(QString::number(portNumber));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (onOk())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::int32_t SettingsDialog::chosenFlags() const {
    return m_sentences->currentIndex() >= 0 ? std::int32_t(m_sentences->currentData().toInt()) : 0;
}

bool SettingsDialog::onOk() {
    bool isNumber = false;
    const uint number = m_port->text().trimmed().toUInt(&isNumber);
    if (!isNumber)
        return false;
    // The filter takes effect at once, whether or not the port opens.
    emit flagsChosen(chosenFlags());
    PortSettings settings;
    if (number != 0) {
        settings.baudRate = std::uint32_t(m_baud->currentData().toUInt());
        settings.dataBits = std::uint8_t(m_bits->currentData().toInt());
        settings.parity = std::uint8_t(m_parity->currentData().toInt());
        settings.stopBits = std::uint8_t(m_stopBits->currentData().toInt());
    }
    // Numbers beyond the int range are passed on as "too large" and refused
    // by the port like any number above 9.
    const int portNumber = number > 1000 ? 1000 : int(number);
    return m_openPort && m_openPort(portNumber, settings);
}
