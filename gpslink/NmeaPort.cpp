#include "NmeaPort.h"

#include "LinkPaths.h"
#include "ThreadSlice.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

// The receiving thread. The port is opened and configured through the
// serial-port and socket classes, but received bytes are read straight from
// the descriptor in a poll loop of this thread: a receiver sending back to
// back must not wait for an event loop, a notifier and a second buffer per
// chunk. The thread never runs an event loop, so the classes' own read
// notifiers stay silent and never take bytes away from the loop. Everything
// else the window thread wants from the device runs here too, as a command.
class PortReceiver : public QThread {
public:
    explicit PortReceiver(std::shared_ptr<NmeaPort::Handlers> handlers) : m_handlers(std::move(handlers)) {
        m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    }
    ~PortReceiver() override {
        if (m_wakeFd >= 0)
            close(m_wakeFd);
    }

    bool usable() const { return m_wakeFd >= 0; }

    // Runs `command` in the receiving thread and returns its result; false
    // when the thread no longer runs.
    bool call(std::function<bool()> command) {
        std::lock_guard<std::mutex> oneAtATime(m_callerMutex);
        std::unique_lock<std::mutex> lock(m_commandMutex);
        if (m_exited)
            return false;
        m_command = std::move(command);
        m_commandDone = false;
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(m_wakeFd, &one, sizeof(one));
        m_commandCv.wait(lock, [this] { return m_commandDone || m_exited; });
        return m_commandDone && m_commandResult;
    }

    // Closes the device and ends the thread. Window thread only.
    void finish() {
        call([this] {
            closeDevice();
            m_stopping = true;
            return true;
        });
        wait();
    }

    // The commands, run in the receiving thread.
    bool openDevice(const QString& device, const PortSettings& settings) {
        if (device.startsWith(QLatin1String("gpsd://")))
            return openGpsd(QUrl(device), settings);
        m_serial = new QSerialPort;
        m_serial->setPortName(device);
        if (!m_serial->open(QIODevice::ReadWrite) || !configure(settings)) {
            delete m_serial;
            m_serial = nullptr;
            return false;
        }
        watch(int(m_serial->handle()), false);
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

    bool writeLine(const std::string& text) { return writeBytes(text + "\r\n"); }

    bool writeBytes(const std::string& bytes) {
        if (m_fd < 0)
            return false;
        // About as long as the bytes take at the slowest line speed.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(100 * bytes.size());
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = m_socket ? send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL)
                                       : write(m_fd, bytes.data() + sent, bytes.size() - sent);
            if (n > 0) {
                sent += std::size_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (!(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)))
                return false;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd pfd{m_fd, POLLOUT, 0};
            poll(&pfd, 1, int(left.count()));
        }
        return true;
    }

    bool setHandlers(NmeaPort::Handlers handlers) {
        *m_handlers = std::move(handlers);
        return true;
    }

    void closeDevice() {
        watch(-1, false);
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

protected:
    void run() override {
        // A line is handled in a few microseconds; it should not wait for a
        // busy processor's long turns first.
        ThreadSlice::requestShort();
        bool stopping = false;
        while (!stopping) {
            pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {m_fd, POLLIN, 0}};
            const nfds_t count = m_watching ? 2 : 1;
            if (poll(fds, count, -1) < 0) {
                if (errno != EINTR && errno != EAGAIN && errno != ENOMEM)
                    break;
                continue;
            }
            if (count == 2 && fds[1].revents != 0) {
                const Read result = readDevice();
                // A device that hung up keeps reporting it; it is no longer
                // read until the port is opened again.
                if (result == Read::Failed ||
                    (result == Read::Nothing && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0))
                    m_watching = false;
            }
            if (fds[0].revents != 0)
                stopping = runCommand();
        }
        closeDevice();
        std::lock_guard<std::mutex> lock(m_commandMutex);
        m_exited = true;
        m_commandCv.notify_all();
    }

private:
    enum class Read { Data, Nothing, Failed };

    // True when the thread is to end.
    bool runCommand() {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = read(m_wakeFd, &count, sizeof(count));
        std::function<bool()> command;
        {
            std::lock_guard<std::mutex> lock(m_commandMutex);
            if (m_commandDone || !m_command)
                return false;
            command = std::move(m_command);
            m_command = nullptr;
        }
        const bool result = command();
        std::lock_guard<std::mutex> lock(m_commandMutex);
        m_commandResult = result;
        m_commandDone = true;
        m_commandCv.notify_all();
        return m_stopping;
    }

    void watch(int fd, bool socket) {
        m_fd = fd;
        m_socket = socket;
        m_watching = fd >= 0;
        m_lines.reset();
        if (fd >= 0)
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }

    // Reads what the device holds and hands every finished line on.
    Read readDevice() {
        Read result = Read::Nothing;
        // Bytes handed on since the last done call: a receiver that is ahead
        // fills read after read, and their lines go out together, up to a
        // limit that keeps the first of them from waiting long.
        std::size_t handed = 0;
        auto done = [&] {
            if (handed > 0 && m_handlers->linesDone)
                m_handlers->linesDone();
            handed = 0;
        };
        for (;;) {
            const ssize_t n =
                m_socket ? recv(m_fd, m_buffer, sizeof(m_buffer), 0) : read(m_fd, m_buffer, sizeof(m_buffer));
            if (n > 0) {
                result = Read::Data;
                m_lines.feed(m_buffer, std::size_t(n), [this](const std::string& line) {
                    // gpsd mixes its own JSON reports into the stream; they
                    // are not the receiver's and never reach the handler.
                    if (m_gpsd && !line.empty() && line.front() == '{')
                        return;
                    if (m_handlers->line)
                        m_handlers->line(line);
                });
                handed += std::size_t(n);
                // A short read took everything there was; the next poll
                // tells when more arrives, without an empty read first.
                if (std::size_t(n) < sizeof(m_buffer)) {
                    done();
                    return result;
                }
                if (handed >= MaxHandedBytes)
                    done();
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            done();
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return result;
            // A socket at its end, or a device error; a terminal in raw mode
            // reads 0 when it merely has nothing.
            if (n == 0 && !m_socket)
                return result;
            return result == Read::Data ? result : Read::Failed;
        }
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

    bool openGpsd(const QUrl& url, const PortSettings& settings) {
        if (!validSettings(settings) || url.host().isEmpty())
            return false;
        m_tcp = new QTcpSocket;
        m_tcp->connectToHost(url.host(), quint16(url.port(2947)));
        if (!m_tcp->waitForConnected(3000)) {
            delete m_tcp;
            m_tcp = nullptr;
            return false;
        }
        m_gpsd = true;
        m_settings = settings;
        watch(int(m_tcp->socketDescriptor()), true);
        // The raw sentences of the receiver, as it sends them.
        if (!writeBytes("?WATCH={\"enable\":true,\"nmea\":true};\n")) {
            closeDevice();
            return false;
        }
        return true;
    }

    std::shared_ptr<NmeaPort::Handlers> m_handlers;
    int m_wakeFd = -1;

    std::mutex m_callerMutex;
    std::mutex m_commandMutex;
    std::condition_variable m_commandCv;
    std::function<bool()> m_command; // under m_commandMutex
    bool m_commandDone = true;       // under m_commandMutex
    bool m_commandResult = false;    // under m_commandMutex
    bool m_exited = false;           // under m_commandMutex

    // Receiving thread only from here on.
    QSerialPort* m_serial = nullptr;
    QTcpSocket* m_tcp = nullptr;
    int m_fd = -1;
    bool m_socket = false;
    bool m_watching = false;
    bool m_stopping = false;
    bool m_gpsd = false;
    bool m_configured = false;
    PortSettings m_settings;
    LineAssembler m_lines;
    // One read takes what a terminal's input buffer holds at most.
    std::uint8_t m_buffer[4096];
    static constexpr std::size_t MaxHandedBytes = 4 * sizeof(m_buffer);
};

NmeaPort::NmeaPort(QObject* parent) : QObject(parent), m_handlers(std::make_shared<Handlers>()) {}

NmeaPort::~NmeaPort() {
    stopWorker(m_worker);
}

void NmeaPort::setHandlers(Handlers handlers) {
    // The receiving thread calls the handlers; while it runs, they are
    // exchanged there, between two reads.
    if (m_worker.receiver)
        m_worker.receiver->call(
            [r = m_worker.receiver, h = std::move(handlers)]() mutable { return r->setHandlers(std::move(h)); });
    else
        *m_handlers = std::move(handlers);
}

bool NmeaPort::startWorker(Worker& worker) {
    auto* receiver = new PortReceiver(m_handlers);
    if (receiver->usable())
        receiver->start();
    if (!receiver->isRunning()) {
        delete receiver;
        return false;
    }
    worker.receiver = receiver;
    return true;
}

void NmeaPort::stopWorker(Worker& worker) {
    if (!worker.receiver)
        return;
    worker.receiver->finish();
    delete worker.receiver;
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
    if (number == m_number && m_worker.receiver) {
        PortReceiver* r = m_worker.receiver;
        return r->call([r, settings] { return r->configure(settings); }) ? OpenResult::Ok : OpenResult::Refused;
    }
    Worker fresh;
    if (!startWorker(fresh))
        return OpenResult::ThreadFailed;
    const QString device = QString::fromStdString(LinkPaths::portDevice(number));
    PortReceiver* r = fresh.receiver;
    if (!r->call([r, device, settings] { return r->openDevice(device, settings); })) {
        stopWorker(fresh);
        return OpenResult::Refused;
    }
    stopWorker(m_worker);
    m_worker = fresh;
    m_number = number;
    return OpenResult::Ok;
}

bool NmeaPort::deviceSettings(PortSettings& settings) const {
    if (!m_worker.receiver)
        return false;
    PortSettings s;
    PortReceiver* r = m_worker.receiver;
    if (!r->call([r, &s] { return r->settings(s); }))
        return false;
    settings = s;
    return true;
}

bool NmeaPort::writeLine(const std::string& text) {
    if (!m_worker.receiver)
        return false;
    PortReceiver* r = m_worker.receiver;
    return r->call([r, &text] { return r->writeLine(text); });
}
