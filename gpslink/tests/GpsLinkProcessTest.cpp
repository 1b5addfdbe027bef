// The link program as a whole: a real process on a pseudo-terminal, clients
// through the client library and through raw connections.
#include "LinkProcess.h"

#include "zozi32.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace GpsProtocol;

namespace {

std::mutex noteMutex;
std::condition_variable noteCv;
std::map<std::uint32_t, int> notes; // by window

void countNote(uint32_t window, uint32_t message, uint32_t, uint32_t, void*) {
    std::lock_guard<std::mutex> lock(noteMutex);
    if (message == WM_USER)
        ++notes[window];
    noteCv.notify_all();
}

int notesFor(std::uint32_t window) {
    std::lock_guard<std::mutex> lock(noteMutex);
    return notes[window];
}

bool waitNotes(std::uint32_t window, int count) {
    std::unique_lock<std::mutex> lock(noteMutex);
    return noteCv.wait_for(lock, std::chrono::seconds(10), [&] { return notes[window] >= count; });
}

struct Position {
    std::int32_t latDegrees, lonDegrees, quality, satellites, timeMs;
    double latMinutes, lonMinutes;
    float altitude;
};

Position position() {
    unsigned char b[128];
    std::memset(b, 0xEE, sizeof(b));
    Position p{};
    if (!wglGetPosData(b, 0))
        return p;
    std::memcpy(&p.quality, b, 4);
    std::memcpy(&p.satellites, b + 4, 4);
    std::memcpy(&p.altitude, b + 12, 4);
    std::memcpy(&p.timeMs, b + 20, 4);
    std::memcpy(&p.latDegrees, b + 36, 4);
    std::memcpy(&p.latMinutes, b + 40, 8);
    std::memcpy(&p.lonDegrees, b + 48, 4);
    std::memcpy(&p.lonMinutes, b + 52, 8);
    return p;
}

template <class Pred> bool eventually(Pred pred) {
    for (int i = 0; i < 1000; ++i) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

std::string withChecksum(const std::string& body) {
    unsigned sum = 0;
    for (std::size_t i = 1; i < body.size(); ++i)
        sum ^= static_cast<unsigned char>(body[i]);
    char tail[8];
    std::snprintf(tail, sizeof(tail), "*%02X", sum);
    return body + tail;
}

std::string gga(const char* time, const char* lat, const char* ns, const char* lon, const char* ew, int quality,
                const char* altitude = "545.4") {
    char line[160];
    std::snprintf(line, sizeof(line), "$GPGGA,%s,%s,%s,%s,%s,%d,08,0.9,%s,M,46.9,M,,", time, lat, ns, lon, ew, quality,
                  altitude);
    return line;
}

// Installs the client library for one test and detaches it again.
struct Client {
    Client() {
        {
            std::lock_guard<std::mutex> lock(noteMutex);
            notes.clear();
        }
        zoziSetPostFunction(&countNote, nullptr);
        installed = wglInstall() != 0;
    }
    ~Client() {
        for (std::uint32_t h : hooks)
            wglDeHook(h);
        if (installed)
            wglUnInstall(1);
        zoziSetPostFunction(nullptr, nullptr);
    }
    std::uint32_t hook(std::uint32_t window) {
        NmeaHookRequest request{window, WM_USER, {0, 0}};
        const std::uint32_t h = wglHookPosition(&request);
        if (h)
            hooks.push_back(h);
        return h;
    }
    bool installed = false;
    std::vector<std::uint32_t> hooks;
};

std::int32_t blockInt(std::size_t offset) {
    const int fd = shm_open(SharedBlockName, O_RDONLY, 0);
    if (fd < 0)
        return -999;
    void* p = mmap(nullptr, SharedBlockSize, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    std::int32_t value;
    std::memcpy(&value, static_cast<const char*>(p) + offset, 4);
    munmap(p, SharedBlockSize);
    return value;
}

} // namespace

TEST(GpsLinkProcess, SingleInstanceAndSettingsKeys) {
    LinkProcess link;
    link.ini("NMEA", "Port", "COM1:4800,n,8,1");
    link.ini("NMEA", "Flags", "2");
    ASSERT_TRUE(link.start());
    EXPECT_TRUE(std::filesystem::equivalent(link.ini("NMEA", "Application"), LinkProcess::binary("gpslink")));
    // A second instance finds the first and leaves at once, changing nothing.
    EXPECT_EQ(LinkProcess::waitExit(link.spawn()), 0);
    EXPECT_TRUE(link.waitForServer());
    EXPECT_EQ(link.stop(), 0);
    EXPECT_EQ(link.ini("NMEA", "Port"), "COM1:4800,n,8,1");
    EXPECT_EQ(link.ini("NMEA", "Flags"), "2");
    EXPECT_FALSE(std::filesystem::exists(link.runDir + "/NMEA")) << "the socket is removed at exit";
    EXPECT_EQ(link.dialogs(), "");
}

TEST(GpsLinkProcess, PortSentencesReachTheClients) {
    LinkProcess link;
    link.ini("NMEA", "Port", "COM1:4800,n,8,1");
    ASSERT_TRUE(link.start());
    Client client;
    ASSERT_TRUE(client.installed);
    ASSERT_NE(client.hook(7), 0u);

    // A fix of quality 0 is stored but not announced.
    link.send(gga("100000", "5000.000", "N", "00800.000", "E", 0) + "\r\n");
    EXPECT_TRUE(eventually([] { return position().latDegrees == 50; }));
    EXPECT_EQ(position().quality, 0);

    link.send(withChecksum(gga("123519", "4807.038", "N", "01131.000", "W", 1)) + "\r\n");
    ASSERT_TRUE(waitNotes(7, 1));
    Position p = position();
    EXPECT_EQ(p.latDegrees, 48);
    EXPECT_NEAR(p.latMinutes, 7.038, 1e-5);
    EXPECT_EQ(p.lonDegrees, -11);
    EXPECT_NEAR(p.lonMinutes, -31.0, 1e-6);
    EXPECT_EQ(p.timeMs, 45319000);
    float height = 0;
    EXPECT_EQ(nmeaGetHeight(&height), 0);
    EXPECT_FLOAT_EQ(height, 545.4f);

    // The RMC of the same second is refused; a line with a damaged checksum
    // does not move the position; the next second's RMC is taken.
    link.send("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W\r\n");
    std::string damaged = withChecksum(gga("123521", "5207.038", "N", "01131.000", "E", 1));
    damaged[20] = '9';
    link.send(damaged + "\r\n");
    link.send("$GPRMC,123520,A,4807.038,S,01131.000,E,022.4,084.4,230394,003.1,W\r\n");
    ASSERT_TRUE(waitNotes(7, 2));
    p = position();
    EXPECT_EQ(notesFor(7), 2) << "the refused sentences announced nothing";
    EXPECT_EQ(p.latDegrees, -48);
    EXPECT_EQ(p.timeMs, 45320000);
    EXPECT_EQ(p.satellites, 4);
    EXPECT_EQ(p.quality, 2);
    EXPECT_EQ(link.stop(), 0);
}

// A receiver still searching for satellites sends RMC sentences with status
// "V" and placeholder positions, some far out of range: clients must never be
// sent there.
TEST(GpsLinkProcess, InvalidFixesAreNotAnnounced) {
    LinkProcess link;
    link.ini("NMEA", "Port", "COM1:4800,n,8,1");
    ASSERT_TRUE(link.start());
    Client client;
    ASSERT_TRUE(client.installed);
    ASSERT_NE(client.hook(9), 0u);

    link.send(gga("120000", "4807.038", "N", "01131.000", "E", 1) + "\r\n");
    ASSERT_TRUE(waitNotes(9, 1));

    // Out of range: refused, the last fix stays.
    link.send("$GPRMC,120001,V,9999.999,N,99999.999,E,0.0,0.0,010180,,\r\n");
    link.send("$GPRMC,120002,A,4860.000,N,01131.000,E,0.0,0.0,010180,,\r\n");
    link.send(gga("120003", "4807.038", "N", "18100.000", "E", 1) + "\r\n");
    // No valid fix: stored without a position and quality 0, not announced.
    link.send("$GPRMC,120004,V,5000.000,N,00800.000,E,0.0,0.0,010180,,\r\n");
    EXPECT_TRUE(eventually([] { return position().timeMs == 43204000; }));
    Position p = position();
    EXPECT_EQ(p.quality, 0);
    EXPECT_EQ(p.latDegrees, 0);
    EXPECT_EQ(p.lonDegrees, 0);

    link.send(gga("120005", "5000.000", "N", "00800.000", "E", 1) + "\r\n");
    ASSERT_TRUE(waitNotes(9, 2));
    EXPECT_EQ(notesFor(9), 2) << "only the two valid fixes are announced";
    p = position();
    EXPECT_EQ(p.latDegrees, 50);
    EXPECT_EQ(p.quality, 1);
    EXPECT_EQ(link.stop(), 0);
}

TEST(GpsLinkProcess, RecordingKeepsEveryLine) {
    LinkProcess link;
    link.ini("NMEA", "Port", "COM1:4800,n,8,1");
    ASSERT_TRUE(link.start());
    Client client;
    ASSERT_NE(client.hook(1), 0u);
    const std::string file = link.dir + "/track.nme";
    ASSERT_EQ(nmeaSetRecordFile(file.c_str()), 1);
    NmeaState state{};
    ASSERT_EQ(nmeaGetState(&state), 1);
    EXPECT_EQ(state.recording, 1);
    EXPECT_EQ(state.playing, 0);
    // A file that cannot be created leaves recording as it was.
    EXPECT_EQ(nmeaSetRecordFile((link.dir + "/missing/x.nme").c_str()), 0);

    const std::string fix = gga("120000", "4807.038", "N", "01131.000", "E", 1);
    link.send("$GPGSV,3,1\r\n" + std::string(200, 'z') + "\r\n" + fix + "\r");
    ASSERT_TRUE(waitNotes(1, 1));
    ASSERT_EQ(nmeaSetRecordFile(""), 1);
    ASSERT_EQ(nmeaGetState(&state), 1);
    EXPECT_EQ(state.recording, 0);
    EXPECT_EQ(LinkProcess::fileText(file), "$GPGSV,3,1\r\n\r\n" + std::string(127, 'z') + "\r\n\r\n" + fix + "\r\n");
    EXPECT_EQ(link.stop(), 0);
}

TEST(GpsLinkProcess, PlaybackRequests) {
    LinkProcess link;
    ASSERT_TRUE(link.start());
    Client client;
    ASSERT_NE(client.hook(3), 0u);

    const std::string one = link.dir + "/one.nme";
    std::ofstream(one) << "$GPGSV,1\r\n" << gga("080000", "4900.000", "N", "00900.000", "E", 1) << "\r\n";
    EXPECT_EQ(nmeaSetPlayFile(one.c_str()), 1);
    ASSERT_TRUE(waitNotes(3, 1));
    EXPECT_EQ(position().latDegrees, 49);
    NmeaState state{};
    ASSERT_EQ(nmeaGetState(&state), 1);
    EXPECT_EQ(state.playing, 0) << "a one-sentence file ends at once";

    const std::string none = link.dir + "/none.nme";
    std::ofstream(none) << "nothing\r\n\r\n$GPGGA,1,2\r\n";
    EXPECT_EQ(nmeaSetPlayFile(none.c_str()), 0);
    EXPECT_EQ(nmeaSetPlayFile((link.dir + "/absent.nme").c_str()), 0);

    const std::string longFile = link.dir + "/long.nme";
    {
        std::ofstream out(longFile);
        for (int s = 0; s < 60; ++s)
            out << gga(("0900" + std::string(s < 10 ? "0" : "") + std::to_string(s)).c_str(), "4800.000", "N",
                       "00900.000", "E", 1)
                << "\r\n";
    }
    EXPECT_EQ(nmeaSetPlaySpeed(3), 1);
    EXPECT_EQ(nmeaSetPlaySpeed(4), 0) << "outside the speed table";
    EXPECT_EQ(nmeaSetPlayFile(longFile.c_str()), 1);
    ASSERT_EQ(nmeaGetState(&state), 1);
    EXPECT_EQ(state.recording, 0);
    EXPECT_EQ(state.playing, 1);
    EXPECT_EQ(state.speedExponent, 3);
    EXPECT_EQ(nmeaSetPlayFile(""), 1);
    ASSERT_EQ(nmeaGetState(&state), 1);
    EXPECT_EQ(state.playing, 0);

    // Flags 0: nothing is accepted, so no playback can start.
    NmeaPortConfig config{0, 0, 4800, 8, 0, 0, 0};
    EXPECT_EQ(nmeaSetComPort(&config), 1);
    EXPECT_EQ(nmeaSetPlayFile(one.c_str()), 0);
    EXPECT_EQ(link.stop(), 0);
    EXPECT_EQ(link.ini("NMEA", "Flags"), "0");
}

namespace {

// A TCP endpoint standing in for a gpsd server that sends nothing: the
// kernel completes the connection from its backlog.
struct SilentTcpServer {
    SilentTcpServer() {
        fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(fd, 8);
        socklen_t length = sizeof(address);
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    ~SilentTcpServer() { close(fd); }
    int fd;
    int port;
};

} // namespace

TEST(GpsLinkProcess, PortRequests) {
    LinkProcess link;
    link.ini("Ports", "COM2", link.slave);
    NmeaPortConfig config{};
    {
        ASSERT_TRUE(link.start());
        ASSERT_EQ(nmeaGetComPort(&config), 1);
        EXPECT_EQ(config.port, 0);
        EXPECT_EQ(config.flags, 3);
        EXPECT_EQ(config.baudRate, 4800u);
        EXPECT_EQ(config.dataBits, 8);
        EXPECT_EQ(config.parity, 0);
        EXPECT_EQ(config.stopBits, 0);
        EXPECT_EQ(link.stop(), 0);
        EXPECT_EQ(link.ini("NMEA", "Port"), "");
    }
    link.ini("NMEA", "Port", "COM2:9600,n,8,2");
    ASSERT_TRUE(link.start());
    ASSERT_EQ(nmeaGetComPort(&config), 1);
    EXPECT_EQ(config.port, 2);
    EXPECT_EQ(config.baudRate, 9600u);
    EXPECT_EQ(config.stopBits, 2);

    // Reconfiguring the open port; the flags follow only a success.
    NmeaPortConfig faster{1, 2, 19200, 8, 0, 0, 0};
    EXPECT_EQ(nmeaSetComPort(&faster), 1);
    // A pseudo-terminal refuses parity, like a device that cannot do it.
    for (NmeaPortConfig refused : {NmeaPortConfig{2, 2, 4800, 8, 2, 0, 0}, NmeaPortConfig{2, 5, 4800, 8, 0, 0, 0},
                                   NmeaPortConfig{2, 2, 4800, 9, 0, 0, 0}, NmeaPortConfig{2, 10, 4800, 8, 0, 0, 0}})
        EXPECT_EQ(nmeaSetComPort(&refused), 0) << refused.port;
    ASSERT_EQ(nmeaGetComPort(&config), 1);
    EXPECT_EQ(config.flags, 1);
    EXPECT_EQ(config.port, 2);
    EXPECT_EQ(config.baudRate, 19200u);
    EXPECT_EQ(config.parity, 0);
    EXPECT_EQ(config.stopBits, 0);
    EXPECT_EQ(link.stop(), 0);
    EXPECT_EQ(link.ini("NMEA", "Port"), "COM2:19200,n,8,1");
    EXPECT_EQ(link.ini("NMEA", "Flags"), "1");
    const std::string refused = "Fehler!\tDie Schnittstelle unterstuetzt diese Parametereinstellungen nicht!\n";
    EXPECT_EQ(link.dialogs(), refused + refused + refused + refused);

    // A gpsd port keeps the line settings as given: even parity is read from
    // the settings string, odd parity is written back with the letter o.
    SilentTcpServer gpsd;
    link.ini("Ports", "COM3", "gpsd://127.0.0.1:" + std::to_string(gpsd.port));
    link.ini("NMEA", "Port", "COM3:9600,e,8,1");
    ASSERT_TRUE(link.start());
    ASSERT_EQ(nmeaGetComPort(&config), 1);
    EXPECT_EQ(config.port, 3);
    EXPECT_EQ(config.baudRate, 9600u);
    EXPECT_EQ(config.parity, 2);
    NmeaPortConfig odd{3, 3, 9600, 8, 1, 0, 0};
    EXPECT_EQ(nmeaSetComPort(&odd), 1);
    EXPECT_EQ(link.stop(), 0);
    EXPECT_EQ(link.ini("NMEA", "Port"), "COM3:9600,o,8,1");
}

TEST(GpsLinkProcess, BadRequestsNeverHurt) {
    LinkProcess link;
    link.ini("NMEA", "Port", "COM1:4800,n,8,1");
    ASSERT_TRUE(link.start());
    const int a = link.rawConnection();
    ASSERT_GE(a, 0);
    std::uint32_t result = 99;
    auto reg = [](std::uint32_t mask, std::size_t bytes, std::uint32_t message) {
        std::vector<std::uint8_t> payload(bytes, 0);
        if (bytes >= 8)
            LinkWire::writeLe32(&payload[4], message);
        return LinkWire::Request{LinkWire::KindData, NMEA_REGISTER, mask, 0, payload};
    };
    ASSERT_TRUE(LinkProcess::rawRequest(a, reg(1, 15, 1), result));
    EXPECT_EQ(result, 0u) << "15 bytes are too few";
    std::uint32_t handleA = 0;
    ASSERT_TRUE(LinkProcess::rawRequest(a, reg(1, 16, 1111), handleA));
    EXPECT_NE(handleA, 0u);
    const int b = link.rawConnection();
    std::uint32_t handleB = 0;
    ASSERT_TRUE(LinkProcess::rawRequest(b, reg(2, 20, 2222), handleB)) << "a longer payload is fine";
    EXPECT_NE(handleB, 0u);
    EXPECT_NE(handleA, handleB);

    for (const LinkWire::Request& r :
         {LinkWire::Request{LinkWire::KindData, 1099, 0, 0, {1, 2, 3}},
          LinkWire::Request{LinkWire::KindPlain, 1099, 0, 0, {}},
          LinkWire::Request{LinkWire::KindPlain, NMEA_REGISTER, 0, 0, {}},
          LinkWire::Request{LinkWire::KindData, NMEA_SET_PORT, 0, 0, std::vector<std::uint8_t>(15, 0)},
          LinkWire::Request{LinkWire::KindPlain, NMEA_SET_PLAY_SPEED, 0xFFFFFFFF, 0, {}}}) {
        ASSERT_TRUE(LinkProcess::rawRequest(a, r, result));
        EXPECT_EQ(result, 0u) << r.code;
    }
    // Unregistering twice, and an unknown handle: nothing happens.
    const int c = link.rawConnection();
    std::uint32_t handleC = 0;
    ASSERT_TRUE(LinkProcess::rawRequest(c, reg(1, 16, 3333), handleC));
    ASSERT_TRUE(
        LinkProcess::rawRequest(c, LinkWire::Request{LinkWire::KindPlain, NMEA_UNREGISTER, 0, handleC, {}}, result));
    ASSERT_TRUE(
        LinkProcess::rawRequest(c, LinkWire::Request{LinkWire::KindPlain, NMEA_UNREGISTER, 0, handleC, {}}, result));
    ASSERT_TRUE(
        LinkProcess::rawRequest(c, LinkWire::Request{LinkWire::KindPlain, NMEA_UNREGISTER, 0, 0xABCDEF, {}}, result));

    // A frame cut off mid-way, a client that vanishes while registered, and
    // an unframeable stream: the server drops those connections and goes on.
    const int cut = link.rawConnection();
    auto cutBytes = LinkWire::encodeRequest(reg(1, 16, 4444));
    LinkSocket::writeAll(cut, cutBytes.data(), 9);
    close(cut);
    const int gone = link.rawConnection();
    ASSERT_TRUE(LinkProcess::rawRequest(gone, reg(1, 16, 5555), result));
    close(gone);
    const int garbage = link.rawConnection();
    const std::string junk(64, '\xff');
    LinkSocket::writeAll(garbage, junk.data(), junk.size());
    std::uint8_t frame[16];
    EXPECT_FALSE(LinkSocket::readExact(garbage, frame, sizeof(frame), 5000)) << "the stream is closed";
    close(garbage);

    // Only registrations with bit 1 are notified; b registered last, so it is
    // first in the list and would have had its frame before a's.
    link.send(gga("130000", "4807.038", "N", "01131.000", "E", 1) + "\r\n");
    ASSERT_TRUE(LinkSocket::readExact(a, frame, sizeof(frame), 5000));
    const auto note = LinkWire::decodeServerFrame(frame);
    EXPECT_EQ(note.kind, LinkWire::KindNotification);
    EXPECT_EQ(note.a, 1111u);
    // Read b's stream by hand: the next frame must be the reply.
    std::uint8_t bytes[LinkWire::RequestHeaderSize];
    auto q = LinkWire::encodeRequest(LinkWire::Request{LinkWire::KindPlain, NMEA_QUERY_STATE, 0, 0, {}});
    std::memcpy(bytes, q.data(), sizeof(bytes));
    ASSERT_TRUE(LinkSocket::writeAll(b, bytes, sizeof(bytes)));
    ASSERT_TRUE(LinkSocket::readExact(b, frame, sizeof(frame), 5000));
    EXPECT_EQ(LinkWire::decodeServerFrame(frame).kind, LinkWire::KindReply) << "no notification for mask 2";
    close(a);
    close(b);
    close(c);
    EXPECT_EQ(link.stop(), 0);
}

TEST(GpsLinkProcess, FiftyClientsGetEveryNotification) {
    LinkProcess link;
    link.ini("NMEA", "Port", "COM1:4800,n,8,1");
    ASSERT_TRUE(link.start());
    constexpr int Clients = 50;
    constexpr int Fixes = 40;
    std::vector<int> fds;
    for (int i = 0; i < Clients; ++i) {
        const int fd = link.rawConnection();
        ASSERT_GE(fd, 0);
        fds.push_back(fd);
        std::vector<std::uint8_t> payload(16, 0);
        LinkWire::writeLe32(&payload[4], 2000 + std::uint32_t(i));
        std::uint32_t handle = 0;
        ASSERT_TRUE(
            LinkProcess::rawRequest(fd, LinkWire::Request{LinkWire::KindData, NMEA_REGISTER, 1, 0, payload}, handle));
        ASSERT_NE(handle, 0u);
    }
    std::string burst;
    for (int s = 0; s < Fixes; ++s) {
        char time[16];
        std::snprintf(time, sizeof(time), "1400%02d", s);
        burst += gga(time, "4807.038", "N", "01131.000", "E", 1) + "\r\n";
    }
    link.send(burst);
    for (int i = 0; i < Clients; ++i) {
        int received = 0;
        std::uint8_t frame[16];
        while (received < Fixes && LinkSocket::readExact(fds[std::size_t(i)], frame, sizeof(frame), 5000)) {
            const auto f = LinkWire::decodeServerFrame(frame);
            EXPECT_EQ(f.kind, LinkWire::KindNotification);
            EXPECT_EQ(f.a, 2000u + std::uint32_t(i));
            ++received;
        }
        EXPECT_EQ(received, Fixes) << "client " << i;
    }
    for (int fd : fds)
        close(fd);
    EXPECT_EQ(link.stop(), 0);
}

TEST(GpsLinkProcess, ClientCountSurvivesDeadClients) {
    LinkProcess link;
    ASSERT_TRUE(link.start());
    {
        Client client;
        ASSERT_TRUE(client.installed);
        EXPECT_EQ(blockInt(40), 1);
        ASSERT_NE(client.hook(9), 0u);
        // Another client process attaches and is killed without detaching.
        const pid_t watcher = fork();
        if (watcher == 0) {
            const std::string program = LinkProcess::binary("zozi32-watch");
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            execl(program.c_str(), program.c_str(), "1000", nullptr);
            _exit(127);
        }
        EXPECT_TRUE(eventually([] { return blockInt(40) == 2; }));
        kill(watcher, SIGKILL);
        waitpid(watcher, nullptr, 0);
        // The dead client's registration died with its connection: the server
        // still notifies the living one.
        ASSERT_EQ(nmeaSetPlayFile([&] {
                      const std::string f = link.dir + "/one.nme";
                      std::ofstream(f) << gga("080000", "4900.000", "N", "00900.000", "E", 1) << "\n";
                      return f;
                  }()
                                      .c_str()),
                  1);
        EXPECT_TRUE(waitNotes(9, 1));
        // The next change of the count counts only the living.
        ASSERT_EQ(wglInstall(), 1);
        EXPECT_EQ(blockInt(40), 2);
        wglUnInstall(1);
        EXPECT_EQ(blockInt(40), 1);
    }
    EXPECT_EQ(blockInt(40), 0);
    EXPECT_EQ(link.stop(), 0);
}

TEST(GpsLinkProcess, ClientStartsTheProgram) {
    LinkProcess link;
    link.ini("NMEA", "Application", LinkProcess::binary("gpslink"));
    Client client;
    ASSERT_TRUE(client.installed) << "the client started the link program";
    const int fd = link.rawConnection();
    ASSERT_GE(fd, 0);
    ucred credentials{};
    socklen_t length = sizeof(credentials);
    ASSERT_EQ(getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length), 0);
    close(fd);
    EXPECT_NE(credentials.pid, getpid());
    NmeaState state{};
    EXPECT_EQ(nmeaGetState(&state), 1);
    kill(credentials.pid, SIGTERM);
    EXPECT_TRUE(eventually([&] { return kill(credentials.pid, 0) != 0; }));
}

TEST(GpsLinkProcess, ForeignBlockIsRefused) {
    if (geteuid() != 0)
        GTEST_SKIP() << "making a block of another user needs root";
    LinkProcess link;
    const int fd = shm_open(SharedBlockName, O_RDWR | O_CREAT | O_EXCL, 0666);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 4096), 0);
    ASSERT_EQ(fchown(fd, 65534, 65534), 0);
    close(fd);
    EXPECT_EQ(LinkProcess::waitExit(link.spawn()), 255);
    EXPECT_NE(link.dialogs().find("anderen Benutzer"), std::string::npos) << link.dialogs();
}
