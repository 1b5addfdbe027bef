// The receiving thread of a port, on a pseudo-terminal in this process, and
// how the notifications of the lines it reads reach a client of the window.
#include "LinkProcess.h"

#include "LinkDialogs.h"
#include "NmeaPort.h"
#include "NmeaWindow.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>

namespace {

// What the handlers saw, in order: "L:" and the line, or "D" after a read.
struct Seen {
    void line(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back("L:" + text);
        threads.push_back(std::this_thread::get_id());
    }
    void done() {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back("D");
    }
    std::vector<std::string> lines() {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::string> result;
        for (const auto& e : events)
            if (e.rfind("L:", 0) == 0)
                result.push_back(e.substr(2));
        return result;
    }
    NmeaPort::Handlers handlers() {
        return {[this](const std::string& text) { line(text); }, [this] { done(); }};
    }

    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<std::thread::id> threads;
};

// Waits for a condition another thread brings about; the limit only keeps
// a broken build from hanging.
template <class Condition> bool eventually(Condition condition) {
    for (int i = 0; i < 500; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

std::string readSome(int fd, std::size_t size) {
    std::string text;
    while (text.size() < size) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 5000) <= 0)
            break;
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n <= 0)
            break;
        text.append(buffer, std::size_t(n));
    }
    return text;
}

const std::string Fix = "$GPGGA,100010,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";

} // namespace

TEST(NmeaPort, ReadsWritesAndReconfiguresInItsThread) {
    LinkProcess pty;
    pty.ini("Ports", "COM1", pty.slave);
    Seen seen;
    NmeaPort port;
    port.setHandlers(seen.handlers());
    ASSERT_EQ(port.open(1, PortSettings{4800, 8, 0, 0}), NmeaPort::OpenResult::Ok);
    EXPECT_EQ(port.portNumber(), 1);

    // A line split over two writes, CR LF ends, an empty line on its own.
    pty.send("$GPGGA,1*00\r\n$GP");
    pty.send("RMC,2\r\n\n");
    ASSERT_TRUE(eventually([&] { return seen.lines().size() >= 5; }));
    EXPECT_EQ(seen.lines(), (std::vector<std::string>{"$GPGGA,1*00", "", "$GPRMC,2", "", ""}));
    {
        std::lock_guard<std::mutex> lock(seen.mutex);
        for (const auto& id : seen.threads)
            EXPECT_NE(id, std::this_thread::get_id()) << "lines are handled in the receiving thread";
        // Every read ends with the done call, after its lines.
        ASSERT_FALSE(seen.events.empty());
        EXPECT_NE(seen.events.front(), "D");
        EXPECT_EQ(seen.events.back(), "D");
    }

    PortSettings settings;
    ASSERT_TRUE(port.deviceSettings(settings));
    EXPECT_EQ(settings, (PortSettings{4800, 8, 0, 0}));
    ASSERT_EQ(port.open(1, PortSettings{9600, 8, 0, 2}), NmeaPort::OpenResult::Ok);
    ASSERT_TRUE(port.deviceSettings(settings));
    EXPECT_EQ(settings, (PortSettings{9600, 8, 0, 2}));
    // A pseudo-terminal refuses parity; the port keeps what it had.
    EXPECT_EQ(port.open(1, PortSettings{4800, 8, 2, 0}), NmeaPort::OpenResult::Refused);
    ASSERT_TRUE(port.deviceSettings(settings));
    EXPECT_EQ(settings, (PortSettings{9600, 8, 0, 2}));

    EXPECT_TRUE(port.writeLine("$PVTST,1"));
    EXPECT_EQ(readSome(pty.master, 10), "$PVTST,1\r\n");

    // Handlers exchanged while the port runs: the next line goes to the new ones.
    Seen later;
    port.setHandlers(later.handlers());
    pty.send(Fix + "\r");
    ASSERT_TRUE(eventually([&] { return !later.lines().empty(); }));
    EXPECT_EQ(later.lines(), std::vector<std::string>{Fix});
    EXPECT_EQ(seen.lines().size(), 5u);

    // A device that hangs up leaves a port that still answers and closes.
    close(pty.master);
    pty.master = -1;
    EXPECT_TRUE(port.deviceSettings(settings));
    EXPECT_FALSE(port.writeLine("$PVTST,2"));
    EXPECT_EQ(port.open(0, PortSettings{}), NmeaPort::OpenResult::Ok);
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.deviceSettings(settings));
    EXPECT_FALSE(port.writeLine("$PVTST,3"));
}

TEST(NmeaPort, RefusesMissingDevicesAndBadNumbers) {
    LinkProcess pty;
    pty.ini("Ports", "COM2", pty.dir + "/no-such-device");
    pty.ini("Ports", "COM1", pty.slave);
    NmeaPort port;
    EXPECT_EQ(port.open(2, PortSettings{}), NmeaPort::OpenResult::Refused);
    EXPECT_EQ(port.open(10, PortSettings{}), NmeaPort::OpenResult::Refused);
    EXPECT_EQ(port.open(-1, PortSettings{}), NmeaPort::OpenResult::Refused);
    EXPECT_EQ(port.open(1, PortSettings{0, 8, 0, 0}), NmeaPort::OpenResult::Refused);
    EXPECT_FALSE(port.isOpen());
    // A failed open keeps the open port.
    ASSERT_EQ(port.open(1, PortSettings{}), NmeaPort::OpenResult::Ok);
    EXPECT_EQ(port.open(2, PortSettings{}), NmeaPort::OpenResult::Refused);
    EXPECT_EQ(port.portNumber(), 1);
    Seen seen;
    port.setHandlers(seen.handlers());
    pty.send("$GPRMC\r");
    ASSERT_TRUE(eventually([&] { return !seen.lines().empty(); }));
    EXPECT_EQ(seen.lines(), std::vector<std::string>{"$GPRMC"});
}

namespace {

class QuietDialogs : public LinkDialogs {
public:
    void message(QWidget*, const QString&, const QString&, Icon) override {}
    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    int exec(QDialog&) override { return 0; }
};

// A request answered by the window thread of this process: its events are
// processed until the reply is there.
bool request(int fd, const LinkWire::Request& r, std::uint32_t& result) {
    const auto bytes = LinkWire::encodeRequest(r);
    if (!LinkSocket::writeAll(fd, bytes.data(), bytes.size()))
        return false;
    for (int i = 0; i < 500; ++i) {
        QCoreApplication::processEvents();
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 10) > 0) {
            std::uint8_t frame[LinkWire::ServerFrameSize];
            if (!LinkSocket::readExact(fd, frame, sizeof(frame), 1000))
                return false;
            const auto f = LinkWire::decodeServerFrame(frame);
            if (f.kind == LinkWire::KindReply) {
                result = f.a;
                return true;
            }
        }
    }
    return false;
}

std::uint32_t registerFor(int fd, std::uint32_t message, std::uint32_t events) {
    std::vector<std::uint8_t> payload(16, 0);
    LinkWire::writeLe32(&payload[4], message);
    std::uint32_t handle = 0;
    request(fd, LinkWire::Request{LinkWire::KindData, GpsProtocol::NMEA_REGISTER, events, 0, payload}, handle);
    return handle;
}

bool nothingWaiting(int fd) {
    std::uint8_t byte;
    return recv(fd, &byte, 1, MSG_DONTWAIT | MSG_PEEK) < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

} // namespace

TEST(NmeaPort, NotificationsOfOneReadGoOutTogetherAfterIt) {
    LinkProcess dirs;
    QuietDialogs dialogs;
    NmeaWindow window(dialogs);
    QString error;
    ASSERT_TRUE(window.initialise(dirs.runDir + "/NMEA", &error)) << error.toStdString();
    const int listener = dirs.rawConnection();
    const int deaf = dirs.rawConnection();
    const int gone = dirs.rawConnection();
    ASSERT_GE(listener, 0);
    ASSERT_GE(deaf, 0);
    ASSERT_GE(gone, 0);
    ASSERT_NE(registerFor(listener, 3001, GpsProtocol::NMEA_EVENT_POSITION), 0u);
    ASSERT_NE(registerFor(deaf, 3002, 0), 0u);
    ASSERT_NE(registerFor(gone, 3003, GpsProtocol::NMEA_EVENT_POSITION), 0u);
    close(gone);

    // Two fixes, an empty line and a sentence without a fix, as one read
    // hands them over: nothing is sent before the read is done.
    window.handleLine(Fix);
    window.handleLine("");
    window.handleLine("$GPGGA,100011,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    window.handleLine("$GPGGA,100012,4807.038,N,01131.000,E,0,08,0.9,545.4,M,46.9,M,,");
    EXPECT_TRUE(nothingWaiting(listener));
    window.server().sendQueued();
    for (int i = 0; i < 2; ++i) {
        std::uint8_t frame[LinkWire::ServerFrameSize];
        ASSERT_TRUE(LinkSocket::readExact(listener, frame, sizeof(frame), 5000)) << i;
        const auto f = LinkWire::decodeServerFrame(frame);
        EXPECT_EQ(f.kind, LinkWire::KindNotification);
        EXPECT_EQ(f.a, 3001u);
    }
    EXPECT_TRUE(nothingWaiting(listener)) << "one notification per fix, no more";
    EXPECT_TRUE(nothingWaiting(deaf)) << "a registration without the event hears nothing";
    // Nothing queued: sending again sends nothing.
    window.server().sendQueued();
    EXPECT_TRUE(nothingWaiting(listener));

    // The closed client is dropped as the window thread notices; the others
    // keep their registrations.
    for (int i = 0; i < 20 && window.server().registrationCount() > 2; ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(window.server().registrationCount(), 2u);
    window.handleLine(Fix);
    window.server().sendQueued();
    std::uint8_t frame[LinkWire::ServerFrameSize];
    ASSERT_TRUE(LinkSocket::readExact(listener, frame, sizeof(frame), 5000));
    EXPECT_EQ(LinkWire::decodeServerFrame(frame).a, 3001u);
    close(listener);
    close(deaf);
}
