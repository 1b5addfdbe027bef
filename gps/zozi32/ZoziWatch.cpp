// zozi32-watch [COUNT]: attaches to the GPS link, prints every announced
// position (latitude, longitude, altitude) and stops after COUNT of them.
#include "zozi32.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::mutex mutex;
std::condition_variable arrived;
int pending = 0;

void onPosition(uint32_t, uint32_t, uint32_t, uint32_t, void*) {
    std::lock_guard<std::mutex> lock(mutex);
    ++pending;
    arrived.notify_one();
}

} // namespace

int main(int argc, char** argv) {
    const long limit = argc > 1 ? std::strtol(argv[1], nullptr, 10) : -1;
    if (!wglInstall()) {
        std::fprintf(stderr, "zozi32-watch: GPS-Verbindung nicht verfügbar\n");
        return 1;
    }
    zoziSetPostFunction(&onPosition, nullptr);
    NmeaHookRequest hook{1, 1024, {0, 0}};
    const uint32_t handle = wglHookPosition(&hook);
    if (handle == 0) {
        std::fprintf(stderr, "zozi32-watch: keine Anmeldung möglich\n");
        wglUnInstall(1);
        return 1;
    }
    for (long seen = 0; limit < 0 || seen < limit; ++seen) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            arrived.wait(lock, [] { return pending > 0; });
            --pending;
        }
        unsigned char buffer[128];
        wglGetPosData(buffer, 0);
        int latDegrees, lonDegrees;
        double latMinutes, lonMinutes;
        std::memcpy(&latDegrees, buffer + 36, 4);
        std::memcpy(&latMinutes, buffer + 40, 8);
        std::memcpy(&lonDegrees, buffer + 48, 4);
        std::memcpy(&lonMinutes, buffer + 52, 8);
        float height = 0;
        nmeaGetHeight(&height);
        std::printf("%d %.4f %d %.4f %.1f\n", latDegrees, latMinutes, lonDegrees, lonMinutes, double(height));
        std::fflush(stdout);
    }
    wglDeHook(handle);
    wglUnInstall(1);
    return 0;
}
