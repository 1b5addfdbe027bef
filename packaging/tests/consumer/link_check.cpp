// Asks the GPS link for its port through the installed client library, which
// starts the link program when none answers.
#include <zozi32.h>

#include <cstdio>

int main() {
    NmeaPortConfig config{};
    const int result = nmeaGetComPort(&config);
    std::printf("nmeaGetComPort %d\n", result);
    return result != 0 ? 0 : 1;
}
