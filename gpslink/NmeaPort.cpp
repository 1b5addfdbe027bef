#include "NmeaPort.h"

#include "LinkPaths.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>

// Lives in the receiving thread and owns the device there.
class PortReceiver : public QObject {
public:
    explicit PortReceiver(std::shared_ptr<NmeaPort::LineHandler> handler) : m_handler(std::move(handler)) {}

    bool openDevice(const QString& device, const PortSettings& settings) {
        if (device.startsWith(QLatin1String("gpsd://")))
            return openGpsd(QUrl(device), settings);
        m_serial = new QSerialPort(this);
        m_serial->setPortName(device);
        if (!m_serial->open(QIODevice::ReadWrite) || !configure(settings)) {
            delete m_serial;
            m_serial = nullptr;
            return false;
        }
        connect(m_serial, &QSerialPort::readyRead, this, [this] { readAvailable(m_serial); });
        return true;
    }

    bool configure(const PortSettings& settings) {
        if (m_tcp) {
            // A gpsd server has no line settings; they are kept for the
            // settings string and the queries.
            m_settings = settings;
            return true;
        }
        if (!m_serial || !validSettings(settings))
            return false;
        if (!apply(settings)) {
            // A refused state must not leave the device half changed: the
            // previous port stays as it was.
            if (m_configured)
                apply(m_settings);
            return false;
        }
        m_settings = settings;
        m_configured = true;
        return true;
    }

    bool apply(const PortSettings& settings) {
        m_serial->clearError();
        m_serial->setBreakEnabled(false);
        static constexpr QSerialPort::Parity Parities[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                           QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                           QSerialPort::SpaceParity};
        static constexpr QSerialPort::StopBits StopBits[] = {QSerialPort::OneStop, QSerialPort::OneAndHalfStop,
                                                             QSerialPort::TwoStop};
        const bool ok = m_serial->setBaudRate(qint32(settings.baudRate)) &&
                        m_serial->setDataBits(QSerialPort::DataBits(settings.dataBits)) &&
                        m_serial->setParity(Parities[settings.parity]) &&
                        m_serial->setStopBits(StopBits[settings.stopBits]) &&
                        m_serial->setFlowControl(QSerialPort::HardwareControl);
        if (!ok)
            return false;
        m_serial->setDataTerminalReady(true);
        return true;
    }

    bool settings(PortSettings& out) const {
        if (m_tcp) {
            out = m_settings;
            return true;
        }
        if (!m_serial || !m_serial->isOpen())
            return false;
        out.baudRate = std::uint32_t(m_serial->baudRate());
        out.dataBits = std::uint8_t(m_serial->dataBits());
        switch (m_serial->parity()) {
        case QSerialPort::OddParity:
            out.parity = 1;
            break;
        case QSerialPort::EvenParity:
            out.parity = 2;
            break;
        case QSerialPort::MarkParity:
            out.parity = 3;
            break;
        case QSerialPort::SpaceParity:
            out.parity = 4;
            break;
        default:
            out.parity = 0;
            break;
        }
        switch (m_serial->stopBits()) {
        case QSerialPort::OneAndHalfStop:
            out.stopBits = 1;
            break;
        case QSerialPort::TwoStop:
            out.stopBits = 2;
            break;
        default:
            out.stopBits = 0;
            break;
        }
        return true;
    }

    bool writeLine(const std::string& text) {
        QIODevice* device = m_serial ? static_cast<QIODevice*>(m_serial) : m_tcp;
        if (!device)
            return false;
        if (m_serial)
            m_serial->clearError();
        const QByteArray bytes = QByteArray::fromStdString(text) + "\r\n";
        return device->write(bytes) == bytes.size() && device->waitForBytesWritten(100 * int(bytes.size()));
    }

    void closeDevice() {
        if (m_serial) {
            m_serial->setDataTerminalReady(false);
            m_serial->setRequestToSend(false);
            m_serial->close();
            delete m_serial;
            m_serial = nullptr;
        }
        if (m_tcp) {
            m_tcp->abort();
            delete m_tcp;
            m_tcp = nullptr;
        }
    }

    static bool validSettings(const PortSettings& s) {
        return s.baudRate > 0 && s.baudRate <= 4000000 && s.dataBits >= 5 && s.dataBits <= 8 && s.parity <= 4 &&
               s.stopBits <= 2;
    }

private:
    bool openGpsd(const QUrl& url, const PortSettings& settings) {
        if (!validSettings(settings) || url.host().isEmpty())
            return false;
        m_tcp = new QTcpSocket(this);
        m_tcp->connectToHost(url.host(), quint16(url.port(2947)));
        if (!m_tcp->waitForConnected(3000)) {
            delete m_tcp;
            m_tcp = nullptr;
            return false;
        }
        m_gpsd = true;
        m_settings = settings;
        connect(m_tcp, &QTcpSocket::readyRead, this, [this] { readAvailable(m_tcp); });
        // The raw sentences of the receiver, as it sends them.
        m_tcp->write("?WATCH={\"enable\":true,\"nmea\":true};\n");
        m_tcp->flush();
        return true;
    }

    void readAvailable(QIODevice* device) {
        char buffer[4096];
        for (;;) {
            const qint64 n = device->read(buffer, sizeof(buffer));
            if (n <= 0)
                break;
            m_lines.feed(reinterpret_cast<const std::uint8_t*>(buffer), std::size_t(n),
                         [this](const std::string& line) {
                             // gpsd mixes its own JSON reports into the stream; they are
                             // not the receiver's and never reach the handler.
                             if (m_gpsd && !line.empty() && line.front() == '{')
                                 return;
                             if (*m_handler)
                                 (*m_handler)(line);
                         });
        }
    }

    std::shared_ptr<NmeaPort::LineHandler> m_handler;
    QSerialPort* m_serial = nullptr;
    QTcpSocket* m_tcp = nullptr;
    bool m_gpsd = false;
    bool m_configured = false;
    PortSettings m_settings;
    LineAssembler m_lines;
};

NmeaPort::NmeaPort(QObject* parent) : QObject(parent), m_handler(std::make_shared<LineHandler>()) {}

NmeaPort::~NmeaPort() {
    stopWorker(m_worker);
}

void NmeaPort::setLineHandler(LineHandler handler) {
    *m_handler = std::move(handler);
}

bool NmeaPort::startWorker(Worker& worker) {
    worker.thread = new QThread;
    worker.receiver = new PortReceiver(m_handler);
    worker.receiver->moveToThread(worker.thread);
    worker.thread->start();
    if (!worker.thread->isRunning()) {
        delete worker.receiver;
        delete worker.thread;
        worker = Worker{};
        return false;
    }
    return true;
}

void NmeaPort::stopWorker(Worker& worker) {
    if (!worker.thread)
        return;
    QMetaObject::invokeMethod(
        worker.receiver, [r = worker.receiver] { r->closeDevice(); }, Qt::BlockingQueuedConnection);
    worker.thread->quit();
    worker.thread->wait();
    delete worker.receiver;
    delete worker.thread;
    worker = Worker{};
}

NmeaPort::OpenResult NmeaPort::open(int number, const PortSettings& settings) {
    if (number == 0) {
        m_number = 0;
        stopWorker(m_worker);
        return OpenResult::Ok;
    }
    // The device table holds COM1 to COM9 only.
    if (number < 0 || number > MaxPortNumber || !PortReceiver::validSettings(settings))
        return OpenResult::Refused;
    if (number == m_number && m_worker.thread) {
        bool ok = false;
        QMetaObject::invokeMethod(
            m_worker.receiver, [r = m_worker.receiver, settings] { return r->configure(settings); },
            Qt::BlockingQueuedConnection, &ok);
        return ok ? OpenResult::Ok : OpenResult::Refused;
    }
    Worker fresh;
    if (!startWorker(fresh))
        return OpenResult::ThreadFailed;
    const QString device = QString::fromStdString(LinkPaths::portDevice(number));
    bool ok = false;
    QMetaObject::invokeMethod(
        fresh.receiver, [r = fresh.receiver, device, settings] { return r->openDevice(device, settings); },
        Qt::BlockingQueuedConnection, &ok);
    if (!ok) {
        stopWorker(fresh);
        return OpenResult::Refused;
    }
    stopWorker(m_worker);
    m_worker = fresh;
    m_number = number;
    return OpenResult::Ok;
}

bool NmeaPort::deviceSettings(PortSettings& settings) const {
    if (!m_worker.thread)
        return false;
    bool ok = false;
    PortSettings s;
    QMetaObject::invokeMethod(
        m_worker.receiver, [r = m_worker.receiver, &s] { return r->settings(s); }, Qt::BlockingQueuedConnection, &ok);
    if (ok)
        settings = s;
    return ok;
}

bool NmeaPort::writeLine(const std::string& text) {
    if (!m_worker.thread)
        return false;
    bool ok = false;
    QMetaObject::invokeMethod(
        m_worker.receiver, [r = m_worker.receiver, text] { return r->writeLine(text); }, Qt::BlockingQueuedConnection,
        &ok);
    return ok;
}
