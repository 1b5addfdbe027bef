// Latency from the end of an NMEA line at the port to the client's
// notification, over 10 000 fixes fed through a pseudo-terminal, beside the
// bare pseudo-terminal (line end written to line end read) as the floor.
// Counters: p50, p99, p99.9 and max in microseconds, and the share of fixes
// seen within the 5 ms budget.
#include "LinkProcess.h"

#include "zozi32.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <thread>

namespace {

constexpr int Fixes = 10000;
using Clock = std::chrono::steady_clock;

std::mutex mutex;
std::condition_variable arrived;
std::vector<Clock::time_point> seen;
// The count the waiting thread waits for: it is woken once, when the count
// is reached, not once per fix, so the measurement adds no wake-up per fix.
std::size_t awaited = 0;

void onFix(uint32_t, uint32_t, uint32_t, uint32_t, void*) {
    const auto now = Clock::now();
    // Read the position as a client would before it counts as seen.
    unsigned char buffer[128];
    wglGetPosData(buffer, 0);
    std::lock_guard<std::mutex> lock(mutex);
    seen.push_back(now);
    if (seen.size() == awaited)
        arrived.notify_all();
}

std::string fixLine(int i) {
    char line[128];
    const int s = i % 86400;
    std::snprintf(line, sizeof(line), "$GPGGA,%02d%02d%02d.%d,4807.%03d,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,\r\n",
                  s / 3600, s / 60 % 60, s % 60, i / 86400, i % 1000);
    return line;
}

// Microseconds from each line's end to its arrival; a clock step never makes
// them negative.
std::vector<double> latencies(const std::vector<Clock::time_point>& sent, const std::vector<Clock::time_point>& got) {
    std::vector<double> micros;
    micros.reserve(sent.size());
    for (std::size_t i = 0; i < sent.size() && i < got.size(); ++i)
        micros.push_back(std::max(0.0, std::chrono::duration<double, std::micro>(got[i] - sent[i]).count()));
    return micros;
}

void report(benchmark::State& state, std::vector<double> micros) {
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    auto at = [&](double q) { return micros[std::min(micros.size() - 1, std::size_t(q * double(micros.size())))]; };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["p999_us"] = at(0.999);
    state.counters["max_us"] = micros.back();
    state.counters["within_5ms"] =
        double(std::count_if(micros.begin(), micros.end(), [](double u) { return u <= 5000; })) / double(micros.size());
    state.counters["fixes"] = double(micros.size());
}

struct Link {
    Link() {
        process.ini("NMEA", "Port", "COM1:4800,n,8,1");
        started = process.start();
        zoziSetPostFunction(&onFix, nullptr);
        installed = started && wglInstall();
        NmeaHookRequest hook{1, 1024, {0, 0}};
        handle = installed ? wglHookPosition(&hook) : 0;
    }
    ~Link() {
        if (handle)
            wglDeHook(handle);
        if (installed)
            wglUnInstall(1);
        zoziSetPostFunction(nullptr, nullptr);
    }
    LinkProcess process;
    bool started = false;
    bool installed = false;
    std::uint32_t handle = 0;
};

// Floor: the pseudo-terminal alone, one line at a time.
void BM_PtyAlone(benchmark::State& state) {
    for (auto _ : state) {
        LinkProcess pty;
        const int slave = open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        std::vector<double> micros;
        micros.reserve(Fixes);
        for (int i = 0; i < Fixes; ++i) {
            const std::string line = fixLine(i);
            const auto start = Clock::now();
            pty.send(line);
            std::size_t got = 0;
            char buffer[256];
            while (got < line.size()) {
                const ssize_t n = read(slave, buffer, sizeof(buffer));
                if (n <= 0)
                    break;
                got += std::size_t(n);
            }
            micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
        close(slave);
        report(state, micros);
    }
}

// Floor at full speed: the same lines back to back, read by a thread that
// only looks for the line ends.
void BM_PtyAloneFullSpeed(benchmark::State& state) {
    for (auto _ : state) {
        LinkProcess pty;
        const int slave = open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        std::vector<Clock::time_point> written(Fixes);
        std::vector<Clock::time_point> read(Fixes);
        int lines = 0;
        std::thread reader([&] {
            char buffer[4096];
            while (lines < Fixes) {
                const ssize_t n = ::read(slave, buffer, sizeof(buffer));
                if (n <= 0)
                    break;
                const auto now = Clock::now();
                for (ssize_t k = 0; k < n; ++k)
                    if (buffer[k] == '\n' && lines < Fixes)
                        read[std::size_t(lines++)] = now;
            }
        });
        for (int i = 0; i < Fixes; ++i) {
            pty.send(fixLine(i));
            written[std::size_t(i)] = Clock::now();
        }
        reader.join();
        close(slave);
        if (lines < Fixes) {
            state.SkipWithError("lines were lost");
            return;
        }
        report(state, latencies(written, read));
    }
}

// One fix at a time: the next line is sent once the client has seen the last.
void BM_LinkPaced(benchmark::State& state) {
    for (auto _ : state) {
        Link link;
        if (!link.handle) {
            state.SkipWithError("link program not available");
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            seen.clear();
        }
        std::vector<double> micros;
        micros.reserve(Fixes);
        for (int i = 0; i < Fixes; ++i) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                awaited = std::size_t(i) + 1;
            }
            const auto start = Clock::now();
            link.process.send(fixLine(i));
            std::unique_lock<std::mutex> lock(mutex);
            if (!arrived.wait_for(lock, std::chrono::seconds(5), [&] { return int(seen.size()) > i; })) {
                state.SkipWithError("a fix was lost");
                return;
            }
            micros.push_back(std::chrono::duration<double, std::micro>(seen[std::size_t(i)] - start).count());
        }
        report(state, micros);
    }
}

// Full speed: all lines written back to back as fast as the pseudo-terminal
// takes them; each fix is timed from the moment its line end was written.
void BM_LinkFullSpeed(benchmark::State& state) {
    for (auto _ : state) {
        Link link;
        if (!link.handle) {
            state.SkipWithError("link program not available");
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            seen.clear();
            awaited = Fixes;
        }
        std::vector<Clock::time_point> written(Fixes);
        for (int i = 0; i < Fixes; ++i) {
            link.process.send(fixLine(i));
            written[std::size_t(i)] = Clock::now();
        }
        std::unique_lock<std::mutex> lock(mutex);
        if (!arrived.wait_for(lock, std::chrono::seconds(30), [&] { return int(seen.size()) >= Fixes; })) {
            state.SkipWithError("fixes were lost");
            return;
        }
        report(state, latencies(written, seen));
    }
}

// Full speed with 49 further clients registered beside the timed one, each
// on its own connection: every one of them must get every notification.
// The others are read by one thread, so that the measurement itself costs
// little; "all_notified" is 1 when all of them got all fixes.
void BM_LinkFullSpeedFiftyClients(benchmark::State& state) {
    constexpr int Others = 49;
    for (auto _ : state) {
        Link link;
        if (!link.handle) {
            state.SkipWithError("link program not available");
            return;
        }
        std::vector<int> fds;
        for (int c = 0; c < Others; ++c) {
            const int fd = link.process.rawConnection();
            std::vector<std::uint8_t> payload(16, 0);
            LinkWire::writeLe32(&payload[4], 5000 + std::uint32_t(c));
            std::uint32_t handle = 0;
            if (fd < 0 ||
                !LinkProcess::rawRequest(
                    fd, LinkWire::Request{LinkWire::KindData, GpsProtocol::NMEA_REGISTER, 1, 0, payload}, handle) ||
                handle == 0) {
                state.SkipWithError("a client could not register");
                return;
            }
            fds.push_back(fd);
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            seen.clear();
            awaited = Fixes;
        }
        std::vector<std::atomic<int>> counts(Others);
        std::atomic<bool> stop{false};
        std::thread others([&] {
            std::vector<pollfd> pfds;
            for (int fd : fds)
                pfds.push_back(pollfd{fd, POLLIN, 0});
            std::uint8_t buffer[16384];
            int complete = 0;
            while (complete < Others && !stop.load()) {
                if (poll(pfds.data(), pfds.size(), 100) <= 0)
                    continue;
                for (std::size_t c = 0; c < pfds.size(); ++c) {
                    if (!(pfds[c].revents & POLLIN))
                        continue;
                    const ssize_t n = recv(pfds[c].fd, buffer, sizeof(buffer), MSG_DONTWAIT);
                    if (n <= 0)
                        continue;
                    // Whole frames only arrive here in practice; a count
                    // of bytes is what matters.
                    const int frames = int(std::size_t(n) / LinkWire::ServerFrameSize);
                    const int before = counts[c].fetch_add(frames);
                    if (before < Fixes && before + frames >= Fixes)
                        ++complete;
                }
            }
        });
        std::vector<Clock::time_point> written(Fixes);
        for (int i = 0; i < Fixes; ++i) {
            link.process.send(fixLine(i));
            written[std::size_t(i)] = Clock::now();
        }
        bool all = false;
        {
            std::unique_lock<std::mutex> lock(mutex);
            all = arrived.wait_for(lock, std::chrono::seconds(30), [&] { return int(seen.size()) >= Fixes; });
        }
        for (int i = 0; i < 300 && std::any_of(counts.begin(), counts.end(),
                                               [](const std::atomic<int>& c) { return c.load() < Fixes; });
             ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop = true;
        others.join();
        for (int fd : fds)
            close(fd);
        if (!all) {
            state.SkipWithError("fixes were lost");
            return;
        }
        report(state, latencies(written, seen));
        int fewest = Fixes;
        bool exact = true;
        for (const auto& c : counts) {
            fewest = std::min(fewest, c.load());
            exact = exact && c.load() == Fixes;
        }
        state.counters["all_notified"] = exact ? 1 : 0;
        state.counters["fewest_seen"] = fewest;
    }
}

} // namespace

BENCHMARK(BM_PtyAlone)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PtyAloneFullSpeed)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkPaced)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkFullSpeed)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkFullSpeedFiftyClients)->Iterations(1)->Unit(benchmark::kMillisecond);
