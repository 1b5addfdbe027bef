// The link program against other programs' NMEA: a track written by
// gpsbabel, and the stream of a real gpsd serving a log through gpsfake.
#include "LinkProcess.h"

#include "zozi32.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cmath>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

struct Fix {
    double lat, lon;
    float height;
};

std::mutex fixMutex;
std::vector<Fix> fixes;

void recordFix(uint32_t, uint32_t, uint32_t, uint32_t, void*) {
    unsigned char b[128];
    wglGetPosData(b, 0);
    std::int32_t latDeg, lonDeg;
    double latMin, lonMin;
    std::memcpy(&latDeg, b + 36, 4);
    std::memcpy(&latMin, b + 40, 8);
    std::memcpy(&lonDeg, b + 48, 4);
    std::memcpy(&lonMin, b + 52, 8);
    float height = 0;
    nmeaGetHeight(&height);
    std::lock_guard<std::mutex> lock(fixMutex);
    fixes.push_back(Fix{latDeg + latMin / 60, lonDeg + lonMin / 60, height});
}

std::vector<Fix> fixesSoFar() {
    std::lock_guard<std::mutex> lock(fixMutex);
    return fixes;
}

bool toolPresent(const char* name) {
    for (const char* dir : {"/usr/bin/", "/usr/sbin/", "/usr/local/bin/"}) {
        if (access((std::string(dir) + name).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

int runTool(const std::vector<std::string>& args) {
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return LinkProcess::waitExit(child, 30000);
}

struct Attached {
    Attached() {
        {
            std::lock_guard<std::mutex> lock(fixMutex);
            fixes.clear();
        }
        zoziSetPostFunction(&recordFix, nullptr);
        installed = wglInstall() != 0;
        NmeaHookRequest hook{1, 1024, {0, 0}};
        handle = installed ? wglHookPosition(&hook) : 0;
    }
    ~Attached() {
        if (handle)
            wglDeHook(handle);
        if (installed)
            wglUnInstall(1);
        zoziSetPostFunction(nullptr, nullptr);
    }
    bool installed = false;
    std::uint32_t handle = 0;
};

template <class Pred> bool eventually(Pred pred, int seconds = 20) {
    for (int i = 0; i < seconds * 100; ++i) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int freeTcpPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

} // namespace

// A GPX track converted by gpsbabel plays back with the track's positions,
// in the track's order, ending at its last point.
TEST(GpsLinkInterop, GpsbabelTrackPlaysBack) {
    if (!toolPresent("gpsbabel"))
        GTEST_SKIP() << "gpsbabel is not installed (scripts/setup installs it)";
    LinkProcess link;
    struct Point {
        double lat, lon, ele;
    };
    std::vector<Point> track;
    for (int i = 0; i < 8; ++i)
        track.push_back(Point{48.1173 + i * 0.0011, 11.5167 - i * 0.0007, 545.4 + i});
    const std::string gpx = link.dir + "/track.gpx";
    {
        std::ofstream out(gpx);
        out << "<?xml version=\"1.0\"?>\n<gpx version=\"1.0\" creator=\"test\" "
               "xmlns=\"http://www.topografix.com/GPX/1/0\">\n<trk><trkseg>\n";
        char line[256];
        for (std::size_t i = 0; i < track.size(); ++i) {
            std::snprintf(line, sizeof(line),
                          "<trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>%.1f</ele><time>2026-01-07T12:00:%02zuZ</time>"
                          "<fix>3d</fix><sat>8</sat></trkpt>\n",
                          track[i].lat, track[i].lon, track[i].ele, i);
            out << line;
        }
        out << "</trkseg></trk></gpx>\n";
    }
    const std::string nme = link.dir + "/track.nme";
    ASSERT_EQ(runTool({"gpsbabel", "-i", "gpx", "-f", gpx, "-o", "nmea", "-F", nme}), 0);
    ASSERT_TRUE(link.start());
    Attached client;
    ASSERT_NE(client.handle, 0u);
    ASSERT_EQ(nmeaSetPlaySpeed(3), 1);
    ASSERT_EQ(nmeaSetPlayFile(nme.c_str()), 1);
    ASSERT_TRUE(eventually([&] {
        const auto f = fixesSoFar();
        return !f.empty() && std::fabs(f.back().lat - track.back().lat) < 1e-5;
    })) << "the last track point arrives";
    const auto got = fixesSoFar();
    std::size_t at = 0;
    for (const Fix& fix : got) {
        while (at < track.size() &&
               (std::fabs(fix.lat - track[at].lat) > 1e-5 || std::fabs(fix.lon - track[at].lon) > 1e-5))
            ++at;
        ASSERT_LT(at, track.size()) << "a delivered position is not the next track point: " << fix.lat << " "
                                    << fix.lon;
    }
    EXPECT_GE(got.size(), track.size() / 2) << "most points arrive one by one at 8x";
    EXPECT_NEAR(got.back().height, track.back().ele, 0.05);
    EXPECT_EQ(link.stop(), 0);
}

// A "[Ports]" entry naming a gpsd server: the link program takes the raw
// NMEA stream that a real gpsd serves (gpsfake feeds it a log), and the
// positions reach the clients like those of a serial receiver.
TEST(GpsLinkInterop, GpsdServedLogReachesClients) {
    if (!toolPresent("gpsfake") || !toolPresent("gpsd"))
        GTEST_SKIP() << "gpsd or gpsfake is not installed (scripts/setup installs gpsd and gpsd-clients)";
    LinkProcess link;
    const std::string log = link.dir + "/receiver.log";
    {
        std::ofstream out(log, std::ios::binary);
        out << "# Test receiver log\n";
        for (int s = 0; s < 20; ++s) {
            char body[128];
            std::snprintf(body, sizeof(body), "$GPGGA,1200%02d.00,4807.%03d,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", s,
                          s * 10);
            unsigned sum = 0;
            for (const char* p = body + 1; *p; ++p)
                sum ^= static_cast<unsigned char>(*p);
            char line[160];
            std::snprintf(line, sizeof(line), "%s*%02X\r\n", body, sum);
            out << line;
        }
    }
    const int port = freeTcpPort();
    const pid_t fake = fork();
    if (fake == 0) {
        setpgid(0, 0);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        const std::string path = std::string(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin") + ":/usr/sbin";
        setenv("PATH", path.c_str(), 1);
        // Loopback only; the log repeats until the test ends.
        execlp("gpsfake", "gpsfake", "-q", "-P", std::to_string(port).c_str(), "-c", "0.05", log.c_str(), nullptr);
        _exit(127);
    }
    struct Reaper {
        pid_t pid;
        ~Reaper() {
            kill(-pid, SIGTERM);
            if (LinkProcess::waitExit(pid, 5000) == -2)
                kill(-pid, SIGKILL);
        }
    } reaper{fake};
    setpgid(fake, fake);
    ASSERT_TRUE(eventually([&] {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(std::uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
        close(fd);
        return ok;
    })) << "gpsd answers";

    link.ini("Ports", "COM4", "gpsd://127.0.0.1:" + std::to_string(port));
    link.ini("NMEA", "Port", "COM4:4800,n,8,1");
    ASSERT_TRUE(link.start());
    Attached client;
    ASSERT_NE(client.handle, 0u);
    const std::string recorded = link.dir + "/from-gpsd.nme";
    ASSERT_EQ(nmeaSetRecordFile(recorded.c_str()), 1);
    ASSERT_TRUE(eventually([] { return fixesSoFar().size() >= 5; })) << "positions arrive from gpsd";
    ASSERT_EQ(nmeaSetRecordFile(""), 1);
    for (const Fix& fix : fixesSoFar()) {
        const double minutes = (fix.lat - 48) * 60;
        EXPECT_NEAR(minutes, 7.0 + std::round((minutes - 7.0) * 100) / 100, 1e-4);
        EXPECT_GE(minutes, 7.0 - 1e-4);
        EXPECT_LE(minutes, 7.19 + 1e-4);
        EXPECT_NEAR(fix.lon, 11 + 31.0 / 60, 1e-6);
        EXPECT_NEAR(fix.height, 545.4, 0.01);
    }
    // Only the receiver's sentences are recorded, not gpsd's own reports.
    const std::string text = LinkProcess::fileText(recorded);
    EXPECT_NE(text.find("$GPGGA,1200"), std::string::npos);
    EXPECT_EQ(text.find("{\"class\""), std::string::npos);
    NmeaPortConfig config{};
    ASSERT_EQ(nmeaGetComPort(&config), 1);
    EXPECT_EQ(config.port, 4);
    EXPECT_EQ(link.stop(), 0);
    EXPECT_EQ(link.ini("NMEA", "Port"), "COM4:4800,n,8,1");
}
