#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class ImageSource;

// Decodes the tiles a draw is about to load, ahead of it, on an internal pool
// of threads. The draw itself stays on the calling thread and goes on asking
// TileCache tile by tile in its own order; on a miss the cache takes the
// decoded buffer from here instead of reading the tile itself. So what the
// cache holds, what it evicts and when, the order of the tiles on the screen
// and the abort question between tiles are those of a draw without prefetch;
// only the decoding has moved. Tiles decoded but never asked for (the draw
// was aborted, or a tile was found elsewhere) are dropped unseen.
//
// A draw may hand in a Finisher for what it does with a tile right after
// loading it (turning it into display pixels): that work then moves to the
// decoding threads as well, tile by tile with the decoding.
//
// Only sources whose readTile may run on several threads at once
// (ImageSource::concurrentReads) are prefetched. Objects of this class are
// made and used on one thread; the pool is the only thing shared.
class TilePrefetch {
public:
    // Threads that decode for a draw, the drawing thread included; 1 turns
    // prefetching off. Starts at std::thread::hardware_concurrency().
    static void setThreadCount(int count);
    static int threadCount();

    // Work on a decoded tile, done by the thread that decoded it.
    class Finisher {
    public:
        virtual ~Finisher() = default;
        // On the drawing thread, before tile `index` (of the tiles given to
        // the constructor) may be decoded: memory that finish() fills is
        // best allocated here (see Job::allocated).
        virtual void prepare(std::size_t index) = 0;
        // On a decoding thread, right after tile `index` was decoded into
        // `bits`. Calls for different tiles run at the same time.
        virtual void finish(std::size_t index, const uint8_t* bits) = 0;
    };

    // Starts decoding `tiles` (column, row) of `source`, in the order given,
    // which must be the order the draw asks for them. While the object lives,
    // TileCache::instance() takes its misses of these tiles from it.
    // `finisher`, when given, must outlive the object.
    TilePrefetch(ImageSource* source, std::vector<std::pair<int, int>> tiles, Finisher* finisher = nullptr);
    // Drops what was not taken and waits for decodes still running.
    ~TilePrefetch();
    TilePrefetch(const TilePrefetch&) = delete;
    TilePrefetch& operator=(const TilePrefetch&) = delete;

    // Whether a draw of `tileCount` tiles of `source` that reads `rowsShown`
    // of the rows of each tile (the zoom, up to 1) is worth prefetching.
    // Without a finisher, a tile decoded on another core reaches the drawing
    // core line by line, which costs about as much as decoding a run-length
    // tile there: such tiles are then prefetched only when zoomed out to a
    // quarter or less. With one (`finished`), the drawing core never reads
    // the decoded lines.
    static bool worthwhile(const ImageSource* source, std::size_t tileCount, double rowsShown,
                           bool finished = false);

    // The decoded tile buffer (source->tileBufferBytes() + 1 bytes, the last
    // one 0), or null when the tile is not one of this prefetch or no memory
    // was left for it: the caller then reads the tile itself. Waits for the
    // tile, decoding it (or one after it) on this thread when no worker has.
    std::unique_ptr<uint8_t[]> take(const ImageSource* source, int column, int row);
    // Whether take() handed out tile `index`, decoded and finished. Until it
    // has, what the finisher makes for that tile may still be in the works.
    bool delivered(std::size_t index) const;

    struct Job;

private:
    std::shared_ptr<Job> m_job;
    TilePrefetch* m_previous = nullptr;
};
