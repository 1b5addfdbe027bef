#include "LinkPaths.h"

#include "ProfileFile.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string envOr(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : std::string();
}

} // namespace

namespace LinkPaths {

std::string runtimeDir() {
    std::string dir = envOr("XDG_RUNTIME_DIR");
    if (!dir.empty())
        return dir;
    dir = "/tmp/vistrel-" + std::to_string(geteuid());
    mkdir(dir.c_str(), 0700);
    struct stat st {};
    // Somebody else's directory (or a link planted in its place) is never used.
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
        return std::string();
    if ((st.st_mode & 077) != 0 && chmod(dir.c_str(), 0700) != 0)
        return std::string();
    return dir;
}

std::string socketPath() {
    const std::string dir = runtimeDir();
    return dir.empty() ? dir : dir + "/NMEA";
}

std::string instanceLockPath() {
    const std::string dir = runtimeDir();
    return dir.empty() ? dir : dir + "/NMEA.lock";
}

std::string clientsDir() {
    const std::string dir = runtimeDir();
    return dir.empty() ? dir : dir + "/NMEA.clients";
}

std::string configDir() {
    std::string dir = envOr("VISTREL_SYSCONFDIR");
    if (!dir.empty())
        return dir;
    dir = envOr("XDG_CONFIG_HOME");
    if (!dir.empty())
        return dir;
    std::string home = envOr("HOME");
    if (home.empty()) {
        if (const passwd* pw = getpwuid(geteuid()))
            home = pw->pw_dir;
    }
    return home + "/.config";
}

std::string tolmIniPath() {
    return configDir() + "/TOLM.INI";
}

std::string portDevice(int number) {
    const std::string key = "COM" + std::to_string(number);
    const std::string device = ProfileFile::read(tolmIniPath(), "Ports", key);
    if (!device.empty())
        return device;
    return "/dev/ttyUSB" + std::to_string(number - 1);
}

} // namespace LinkPaths
