#include "ClientSlots.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ClientSlots {

namespace {

constexpr const char* SlotSuffix = ".slot";

bool isSlotName(const char* name) {
    const std::string n(name);
    return n.size() > 5 && n.compare(n.size() - 5, 5, SlotSuffix) == 0;
}

} // namespace

Slot::~Slot() {
    release();
}

Slot::Slot(Slot&& other) noexcept : m_fd(other.m_fd), m_path(std::move(other.m_path)) {
    other.m_fd = -1;
}

Slot& Slot::operator=(Slot&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        other.m_fd = -1;
    }
    return *this;
}

Slot Slot::acquire(const std::string& dir) {
    Slot slot;
    if (dir.empty())
        return slot;
    mkdir(dir.c_str(), 0700);
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = dir + "/" + std::to_string(getpid()) + "-" + std::to_string(serial++) + SlotSuffix;
        // Close-on-exec: a child (the link program started by a client) must
        // not inherit the lock and keep a dead client alive.
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return slot;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            unlink(path.c_str());
            return slot;
        }
        slot.m_fd = fd;
        slot.m_path = path;
        return slot;
    }
    return slot;
}

void Slot::release() {
    if (m_fd < 0)
        return;
    unlink(m_path.c_str());
    close(m_fd);
    m_fd = -1;
    m_path.clear();
}

int countLive(const std::string& dir, bool removeStale) {
    DIR* d = opendir(dir.c_str());
    if (!d)
        return 0;
    int live = 0;
    while (dirent* entry = readdir(d)) {
        if (!isSlotName(entry->d_name))
            continue;
        const std::string path = dir + "/" + entry->d_name;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        // flock locks belong to open file descriptions, so even the holder's
        // own process is refused here while its slot is held.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (removeStale)
                unlink(path.c_str());
        } else if (errno == EWOULDBLOCK) {
            ++live;
        }
        close(fd);
    }
    closedir(d);
    return live;
}

int lockDirectory(const std::string& dir) {
    mkdir(dir.c_str(), 0700);
    const std::string path = dir + "/count.lock";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0)
        flock(fd, LOCK_EX);
    return fd;
}

void unlockDirectory(int fd) {
    if (fd >= 0)
        close(fd);
}

} // namespace ClientSlots
