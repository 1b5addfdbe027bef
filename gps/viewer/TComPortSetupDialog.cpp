#include "TComPortSetupDialog.h"

#include "GpsClient.h"
#include "LinkPaths.h"
#include "PlatformDialogs.h"
#include "ProfileFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Parity entries in list order, with their device numbers.
const struct {
    const char* text;
    uint8_t parity;
} Parities[] = {{"keine", 0}, {"gerade", 2}, {"ungerade", 1}, {"Markierung", 3}, {"Leerzeichen", 4}};
// Stop bit entries in list order, with their device numbers.
const struct {
    const char* text;
    uint8_t stopBits;
} StopBits[] = {{"1 Stoppbit", 0}, {"2 Stoppbits", 2}, {"1,5 Stoppbits", 1}};

constexpr const char* GpsdScheme = "gpsd://";
constexpr const char* GpsdDefault = "localhost:2947";
} // namespace

TComPortSetupDialog::TComPortSetupDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Schnittstelle / NMEA"));
    sleComPort = new QLineEdit(this);
    sleComPort->setMaxLength(3);
    lstBaudrate = new QComboBox(this);
    lstBaudrate->addItems(
        {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "28800", "38400", "57600", "115200"});
    lstBaudrate->setCurrentText(QStringLiteral("4800"));
    lstBits = new QComboBox(this);
    lstBits->addItems({"5 Bits", "6 Bits", "7 Bits", "8 Bits"});
    lstBits->setCurrentIndex(3);
    lstParity = new QComboBox(this);
    for (const auto& p : Parities)
        lstParity->addItem(QString::fromUtf8(p.text));
    lstStopbits = new QComboBox(this);
    for (const auto& s : StopBits)
        lstStopbits->addItem(QString::fromUtf8(s.text));
    lstNMEAOptions = new QComboBox(this);
    lstNMEAOptions->addItems({"nur GGA", "nur RMC", "GGA und RMC"});
    lstNMEAOptions->setCurrentIndex(2);
    chkGpsd = new QCheckBox(QStringLiteral("über &gpsd-Dienst"), this);
    sleGpsd = new QLineEdit(QString::fromLatin1(GpsdDefault), this);
    sleGpsd->setToolTip(QStringLiteral("Rechner:Port des gpsd-Dienstes"));
    sleGpsd->setEnabled(false);
    connect(chkGpsd, &QCheckBox::toggled, sleGpsd, &QWidget::setEnabled);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    connect(OKBtn, &QPushButton::clicked, this, &TComPortSetupDialog::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Schnittstelle COM"), sleComPort);
    form->addRow(chkGpsd, sleGpsd);
    form->addRow(QStringLiteral("Baudrate"), lstBaudrate);
    form->addRow(QStringLiteral("Bits"), lstBits);
    form->addRow(QStringLiteral("Parität"), lstParity);
    form->addRow(QStringLiteral("Stoppbits"), lstStopbits);
    form->addRow(QStringLiteral("NMEA"), lstNMEAOptions);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TComPortSetupDialog::gpsdServer(int port) {
    if (port <= 0)
        return QString();
    const QString device = QString::fromStdString(LinkPaths::portDevice(port));
    if (!device.startsWith(QLatin1String(GpsdScheme)))
        return QString();
    return device.mid(int(qstrlen(GpsdScheme)));
}

bool TComPortSetupDialog::setDevice(int port, const QString& device) {
    const std::string key = "COM" + std::to_string(port);
    const std::string old = ProfileFile::read(LinkPaths::tolmIniPath(), "Ports", key);
    if (old == device.toStdString())
        return false;
    ProfileFile::write(LinkPaths::tolmIniPath(), "Ports", key, device.toStdString());
    return true;
}

void TComPortSetupDialog::showConfig(const NmeaPortConfig& config) {
    // Flags 0 select nothing.
    lstNMEAOptions->setCurrentIndex((config.flags & 3) - 1);
    sleComPort->setText(config.port == 0 ? QString() : QString::number(config.port));
    const int baud = lstBaudrate->findText(QString::number(config.baudRate));
    lstBaudrate->setCurrentIndex(baud >= 0 ? baud : lstBaudrate->findText(QStringLiteral("4800")));
    lstBits->setCurrentIndex(int(config.dataBits) - 5);
    for (int i = 0; i < int(std::size(Parities)); ++i)
        if (Parities[i].parity == config.parity)
            lstParity->setCurrentIndex(i);
    for (int i = 0; i < int(std::size(StopBits)); ++i)
        if (StopBits[i].stopBits == config.stopBits)
            lstStopbits->setCurrentIndex(i);
    const QString server = gpsdServer(config.port);
    chkGpsd->setChecked(!server.isEmpty());
    if (!server.isEmpty())
        sleGpsd->setText(server);
}

bool TComPortSetupDialog::load() {
    NmeaPortConfig current{};
    if (!GpsClient::getComPort(current))
        return false;
    showConfig(current);
    return true;
}

int TComPortSetupDialog::execute() {
    load();
    return exec();
}

void TComPortSetupDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    setWindowIcon(QApplication::windowIcon());
    if (QWidget* owner = parentWidget())
        move(owner->mapToGlobal(QPoint(owner->width() / 2, 10)));
    sleComPort->setFocus();
}

NmeaPortConfig TComPortSetupDialog::config() const {
    NmeaPortConfig c{};
    c.flags = lstNMEAOptions->currentIndex() + 1;
    bool ok = false;
    const int port = sleComPort->text().trimmed().toInt(&ok);
    c.port = ok ? port : 0;
    c.baudRate = lstBaudrate->currentText().toUInt();
    c.dataBits = uint8_t(lstBits->currentIndex() + 5);
    c.parity = Parities[std::max(lstParity->currentIndex(), 0)].parity;
    c.stopBits = StopBits[std::max(lstStopbits->currentIndex(), 0)].stopBits;
    return c;
}

void TComPortSetupDialog::OKBtnClick() {
    NmeaPortConfig c = config();
    if (chkGpsd->isChecked()) {
        // A gpsd server takes the place of a port's device; without a number
        // it becomes port 1.
        if (c.port == 0) {
            c.port = 1;
            sleComPort->setText(QStringLiteral("1"));
        }
        const QString server = sleGpsd->text().trimmed();
        const QString device = QLatin1String(GpsdScheme) + (server.isEmpty() ? QLatin1String(GpsdDefault) : server);
        NmeaPortConfig current{};
        // The link keeps an open port's device when the number stays the
        // same: close it first, so that the new device is opened.
        if (setDevice(c.port, device) && GpsClient::getComPort(current) && current.port == c.port) {
            NmeaPortConfig closed = current;
            closed.port = 0;
            GpsClient::setComPort(closed);
        }
    } else if (c.port > 0 && !gpsdServer(c.port).isEmpty()) {
        NmeaPortConfig current{};
        if (setDevice(c.port, QString()) && GpsClient::getComPort(current) && current.port == c.port) {
            NmeaPortConfig closed = current;
            closed.port = 0;
            GpsClient::setComPort(closed);
        }
    }
    const QString error = GpsClient::setComPort(c);
    if (error.isEmpty()) {
        accept();
        return;
    }
    Platform::dialogs().messageBox(this, error, QStringLiteral("Schnittstelle"), Platform::MsgButtons::Ok,
                                   Platform::MsgIcon::Error);
}
