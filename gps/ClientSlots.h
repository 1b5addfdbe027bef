#pragma once

#include <string>

// The client count of the shared block, kept so that a client killed without
// uninstalling stops counting. Every attached client holds an exclusive lock
// on a slot file of its own in the clients directory; the kernel drops the
// lock when the process dies, however it dies. The count is the number of
// slot files whose lock is still held.
namespace ClientSlots {

class Slot {
public:
    Slot() = default;
    ~Slot();
    Slot(Slot&& other) noexcept;
    Slot& operator=(Slot&& other) noexcept;
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;

    // Creates and locks a new slot file in `dir` (created with mode 0700).
    static Slot acquire(const std::string& dir);
    bool valid() const { return m_fd >= 0; }
    void release();

private:
    int m_fd = -1;
    std::string m_path;
};

// Number of live slots in `dir`. With `removeStale` the slot files of dead
// clients are deleted on the way.
int countLive(const std::string& dir, bool removeStale);

// Counts under the directory's own lock and stores the count into `target`
// through `store`, so that two clients recounting at once cannot leave an
// older count behind.
template <class Store> int recount(const std::string& dir, Store store);

int lockDirectory(const std::string& dir); // returns an fd to close, or -1
void unlockDirectory(int fd);

template <class Store> int recount(const std::string& dir, Store store) {
    const int lock = lockDirectory(dir);
    const int count = countLive(dir, true);
    store(count);
    unlockDirectory(lock);
    return count;
}

} // namespace ClientSlots
