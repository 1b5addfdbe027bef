#include "TilePrefetch.h"

#include "ImageSource.h"
#include "TileCache.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>

namespace {

// Abandoned: a worker decodes the tile, but the draw has gone past it.
enum class SlotState : uint8_t { Pending, Running, Done, Dropped, Abandoned };

struct Slot {
    int column = 0;
    int row = 0;
    SlotState state = SlotState::Pending;
    bool delivered = false; // handed to the draw; written and read on the drawing thread
    std::unique_ptr<uint8_t[]> buffer;
};

int defaultThreads() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : int(std::min(n, 64u));
}

std::atomic<int> g_threadCount{defaultThreads()};

// Decoded tiles held ahead of the draw: memory stays bounded however many
// tiles a view has, and a tile decoded on another core is still in that
// core's cache when the draw reads it. Run further ahead, the decoders push
// the tiles out to main memory first, and reading them back costs the
// drawing thread more than the decoding it was spared.
constexpr std::size_t AheadBytes = 0x100000; // 1 MiB

// Tiles that decode in microseconds come and go faster than a thread can
// sleep and be woken again: before a thread blocks it looks again for a
// while, letting go of the lock in between. Blocking on every tile cost a
// context switch per tile on each side, more than the decoding it shared.
// But when the machine is busy, the thread waited for may not be running at
// all and the looking is wasted: each look that ends in blocking halves the
// time of the next, each look that succeeds lengthens it again.
constexpr int MinSpinMicros = 2;
constexpr int MaxSpinMicros = 30;
std::atomic<int> g_spinMicros{MaxSpinMicros};

// A pause between two looks, so that the lock is left to the others most of
// the time.
inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
    for (int i = 0; i < 16; ++i)
        __builtin_ia32_pause();
#endif
}

// Waits on `lock` for `ready`, first looking again and again for a while,
// then on `condition`.
template <typename Ready>
void await(std::unique_lock<std::mutex>& lock, std::condition_variable& condition, Ready ready) {
    if (ready())
        return;
    const int spin = g_spinMicros.load(std::memory_order_relaxed);
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(spin);
    do {
        lock.unlock();
        relax();
        lock.lock();
        if (ready()) {
            g_spinMicros.store(std::min(MaxSpinMicros, spin + 4), std::memory_order_relaxed);
            return;
        }
    } while (std::chrono::steady_clock::now() < until);
    g_spinMicros.store(std::max(MinSpinMicros, spin / 2), std::memory_order_relaxed);
    condition.wait(lock, ready);
}

} // namespace

struct TilePrefetch::Job {
    ImageSource* source = nullptr;
    Finisher* finisher = nullptr;
    std::size_t bytes = 0;
    std::vector<Slot> slots;
    std::unordered_map<uint64_t, std::size_t> index;
    std::size_t next = 0;     // first slot the draw has not asked for yet
    std::size_t window = 1;   // slots decoded ahead of `next`
    std::size_t frontier = 0; // one past the last slot anyone has claimed
    // Slots below this have their buffer. Buffers are allocated (and later
    // freed by the tile cache) on the drawing thread: memory allocated on a
    // pool thread and freed on another goes back to the pool thread's heap,
    // which hands it back to the system and faults it in again, tile by tile.
    std::size_t allocated = 0;

    // Gives the slots entering the window their buffers; called on the
    // drawing thread without the lock, for slots no worker may claim yet.
    std::size_t allocateUpTo(std::size_t end) const {
        end = std::min(slots.size(), end);
        for (std::size_t i = allocated; i < end; ++i) {
            Slot& s = const_cast<Slot&>(slots[i]);
            s.buffer.reset(new (std::nothrow) uint8_t[bytes + 1]);
            if (s.buffer && finisher)
                finisher->prepare(i);
        }
        return end;
    }

    // Decodes (and finishes) slot `i`, claimed by the calling thread; without
    // the lock.
    void decode(std::size_t i, uint8_t* buffer) const {
        if (!buffer)
            return;
        buffer[bytes] = 0;
        source->readTile(slots[i].column, slots[i].row, buffer, bytes);
        if (finisher)
            finisher->finish(i, buffer);
    }
    int workers = 0;      // pool threads allowed on this job
    int running = 0;      // pool threads decoding for it now
    bool waiting = false; // the drawing thread waits for a slot
    // Tiles that decode about as fast as a thread is woken: the drawing
    // thread decodes such a tile again itself rather than wait for a worker
    // that has it, which on a busy machine may not even be running.
    bool cheap = false;
    // Buffers of abandoned slots, freed by the drawing thread.
    std::vector<std::unique_ptr<uint8_t[]>> spare;

    static uint64_t key(int column, int row) { return uint64_t(uint32_t(column)) << 32 | uint32_t(row); }

    void claim(std::size_t i) {
        slots[i].state = SlotState::Running;
        frontier = std::max(frontier, i + 1);
    }

    // Whether sleeping workers should be woken: only when a good part of the
    // window is left to decode, so that they work in batches. A wake-up per
    // tile would cost a context switch per tile, and on a busy machine the
    // woken worker may push the drawing thread off its core.
    bool worthWaking() const {
        const std::size_t end = std::min(allocated, next + window);
        const std::size_t from = std::max(frontier, next);
        if (from >= end)
            return false;
        return end - from >= window / 2 || end == std::min(allocated, slots.size());
    }

    // A pending slot in the window, or slots.size().
    std::size_t claimable() const {
        const std::size_t end = std::min(allocated, next + window);
        for (std::size_t i = next; i < end; ++i)
            if (slots[i].state == SlotState::Pending)
                return i;
        return slots.size();
    }
};

namespace {

// The worker threads, started on first need and stopped when the process
// ends. One mutex guards every job; a tile takes far longer to decode than
// the lock is held.
class Pool {
public:
    static Pool& instance() {
        static Pool pool;
        return pool;
    }

    std::mutex mutex;
    std::condition_variable work; // a slot became claimable, or stop
    std::condition_variable done; // a slot was decoded, or a worker left a job
    std::list<std::shared_ptr<TilePrefetch::Job>> jobs;
    int idle = 0; // workers waiting for work; waking none saves a system call

    void ensureThreads(int count) {
        // Called with `mutex` held.
        while (int(m_threads.size()) < count)
            m_threads.emplace_back([this] { run(); });
    }

    ~Pool() {
        {
            std::lock_guard lock(mutex);
            m_stop = true;
        }
        work.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }

private:
    Pool() = default;

    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            std::shared_ptr<TilePrefetch::Job> job;
            std::size_t slot = 0;
            ++idle;
            await(lock, work, [&] {
                if (m_stop)
                    return true;
                for (const auto& j : jobs) {
                    if (j->running >= j->workers)
                        continue;
                    slot = j->claimable();
                    if (slot < j->slots.size()) {
                        job = j;
                        return true;
                    }
                }
                return false;
            });
            --idle;
            if (m_stop)
                return;
            Slot& s = job->slots[slot];
            job->claim(slot);
            ++job->running;
            uint8_t* buffer = s.buffer.get();
            lock.unlock();
            job->decode(slot, buffer);
            lock.lock();
            --job->running;
            Slot& finished = job->slots[slot];
            if (finished.state == SlotState::Abandoned) {
                job->spare.push_back(std::move(finished.buffer));
                finished.state = SlotState::Dropped;
            } else {
                finished.state = SlotState::Done;
            }
            if (job->waiting || job->running == 0)
                done.notify_all();
        }
    }

    std::vector<std::thread> m_threads;
    bool m_stop = false;
};

} // namespace

void TilePrefetch::setThreadCount(int count) {
    g_threadCount = std::clamp(count, 1, 64);
}

int TilePrefetch::threadCount() {
    return g_threadCount;
}

bool TilePrefetch::worthwhile(const ImageSource* source, std::size_t tileCount, double rowsShown, bool finished) {
    if (source->cheapTiles() && rowsShown > 0.25 && !finished)
        return false;
    return threadCount() > 1 && tileCount > 1 && source->concurrentReads();
}

TilePrefetch::TilePrefetch(ImageSource* source, std::vector<std::pair<int, int>> tiles, Finisher* finisher) {
    // The source lives while pool threads may read it, even if the abort
    // callback closes its last handle.
    source->addRef();
    m_job = std::make_shared<Job>();
    Job& job = *m_job;
    job.source = source;
    job.finisher = finisher;
    job.bytes = source->tileBufferBytes();
    job.cheap = source->cheapTiles();
    job.slots.resize(tiles.size());
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        job.slots[i].column = tiles[i].first;
        job.slots[i].row = tiles[i].second;
        job.index.emplace(Job::key(tiles[i].first, tiles[i].second), i);
    }
    const int threads = threadCount();
    job.workers = threads - 1;
    job.window = std::max<std::size_t>(std::size_t(threads) * 2, AheadBytes / std::max<std::size_t>(job.bytes, 1));
    job.allocated = job.allocateUpTo(job.window);
    Pool& pool = Pool::instance();
    {
        std::lock_guard lock(pool.mutex);
        pool.ensureThreads(job.workers);
        pool.jobs.push_back(m_job);
    }
    pool.work.notify_all();
    m_previous = TileCache::instance().setPrefetch(this);
}

TilePrefetch::~TilePrefetch() {
    TileCache::instance().setPrefetch(m_previous);
    Pool& pool = Pool::instance();
    {
        std::unique_lock lock(pool.mutex);
        for (Slot& s : m_job->slots) {
            if (s.state == SlotState::Pending)
                s.state = SlotState::Dropped;
        }
        pool.jobs.remove(m_job);
        pool.done.wait(lock, [&] { return m_job->running == 0; });
    }
    // Buffers left over go with the job, outside the lock.
    ImageSource* source = m_job->source;
    m_job.reset();
    source->release();
}

std::unique_ptr<uint8_t[]> TilePrefetch::take(const ImageSource* source, int column, int row) {
    Job& job = *m_job;
    if (source != job.source)
        return nullptr;
    const auto found = job.index.find(Job::key(column, row));
    if (found == job.index.end())
        return nullptr;
    const std::size_t wanted = found->second;
    // `next` and `allocated` change only on this thread.
    const std::size_t allocated = job.allocateUpTo(std::max(job.next, wanted + 1) + job.window);
    Pool& pool = Pool::instance();
    std::vector<std::unique_ptr<uint8_t[]>> spare; // freed after the lock
    std::unique_lock lock(pool.mutex);
    spare.swap(job.spare);
    job.allocated = std::max(job.allocated, allocated);
    if (wanted < job.next && job.slots[wanted].state != SlotState::Done)
        return nullptr;
    // Tiles skipped by the draw will not be asked for any more.
    std::vector<std::unique_ptr<uint8_t[]>> dropped;
    for (std::size_t i = job.next; i < wanted; ++i) {
        Slot& s = job.slots[i];
        if (s.state == SlotState::Running) {
            s.state = SlotState::Abandoned;
        } else if (s.state != SlotState::Abandoned) {
            dropped.push_back(std::move(s.buffer));
            s.state = SlotState::Dropped;
        }
    }
    job.next = std::max(job.next, wanted + 1);
    if (pool.idle > 0 && job.worthWaking())
        pool.work.notify_all();
    Slot& slot = job.slots[wanted];
    while (slot.state != SlotState::Done) {
        // Decode here rather than wait: the wanted tile if no worker has it,
        // else the next one nobody has started.
        std::size_t mine = wanted;
        if (slot.state != SlotState::Pending) {
            const std::size_t end = std::min(job.allocated, job.next + job.window);
            mine = job.slots.size();
            for (std::size_t i = job.next; i < end; ++i) {
                if (job.slots[i].state == SlotState::Pending) {
                    mine = i;
                    break;
                }
            }
        }
        if (mine == job.slots.size()) {
            if (slot.state == SlotState::Dropped)
                return nullptr;
            if (job.cheap) {
                slot.state = SlotState::Abandoned;
                return nullptr; // the cache reads the tile itself
            }
            // Only a worker can move the tile on from here: it is decoding it.
            job.waiting = true;
            await(lock, pool.done, [&] { return slot.state != SlotState::Running; });
            job.waiting = false;
            continue;
        }
        Slot& s = job.slots[mine];
        job.claim(mine);
        uint8_t* buffer = s.buffer.get();
        lock.unlock();
        job.decode(mine, buffer);
        lock.lock();
        s.state = SlotState::Done;
    }
    slot.state = SlotState::Dropped;
    std::unique_ptr<uint8_t[]> result = std::move(slot.buffer);
    lock.unlock();
    slot.delivered = result != nullptr;
    return result;
}

bool TilePrefetch::delivered(std::size_t index) const {
    return index < m_job->slots.size() && m_job->slots[index].delivered;
}
