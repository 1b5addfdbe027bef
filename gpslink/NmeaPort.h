#pragma once

#include "LineAssembler.h"
#include "PortSettings.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class PortReceiver;

// The receiver's port: a serial device ("COM1:".."COM9:", mapped to a device
// path by the settings file), or a gpsd server named as gpsd://host:port in
// place of a device, whose raw NMEA stream is read instead. Every port has
// one receiving thread that reads the device, assembles lines and calls the
// line handler in that thread.
class NmeaPort : public QObject {
    Q_OBJECT
public:
    enum class OpenResult { Ok, Refused, ThreadFailed };
    using LineHandler = std::function<void(const std::string&)>;
    // What the receiving thread calls: `line` for every finished line, then
    // `linesDone` once all lines of one read from the device are handed on.
    struct Handlers {
        LineHandler line;
        std::function<void()> linesDone;
    };

    explicit NmeaPort(QObject* parent = nullptr);
    ~NmeaPort() override;

    // Port number 0 closes the port. A failed open leaves the previous port
    // as it was. Window thread only.
    OpenResult open(int number, const PortSettings& settings);
    int portNumber() const { return m_number; }
    bool isOpen() const { return m_number != 0; }
    // The open port's settings as the device holds them; false when no port
    // is open or the device state cannot be read.
    bool deviceSettings(PortSettings& settings) const;

    // Installed once by the main window before any port opens.
    void setHandlers(Handlers handlers);
    // Sends a text followed by CR LF to the open port.
    bool writeLine(const std::string& text);

    std::int32_t filterFlags() const { return m_flags.load(); }
    void setFilterFlags(std::int32_t flags) { m_flags.store(flags); }

    static constexpr int MaxPortNumber = 9;

private:
    struct Worker {
        PortReceiver* receiver = nullptr;
    };
    bool startWorker(Worker& worker);
    void stopWorker(Worker& worker);

    Worker m_worker;
    int m_number = 0;
    std::atomic<std::int32_t> m_flags{3};
    std::shared_ptr<Handlers> m_handlers;
};
