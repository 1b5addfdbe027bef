#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

class ImageSource;
class TilePrefetch;

// The process-wide cache of decoded tiles, most recently used first, within a
// byte budget. Drawing asks it for every tile; a repaint of a known area then
// needs no file access. Used from one thread.
class TileCache {
public:
    static constexpr std::size_t DefaultBudget = 0x2000000; // 32 MiB

    static TileCache& instance();
    explicit TileCache(std::size_t budget = DefaultBudget) : m_budget(budget) {}
    ~TileCache();

    // The decoded tile (column, row) of `source`: a hit moves the entry to the
    // front; a miss first frees old entries so that the new tile fits the
    // budget, then loads the tile through the source. The buffer has
    // source->tileBufferBytes() + 1 bytes and stays valid until the entry is
    // evicted; null only when the buffer cannot be allocated.
    const uint8_t* tile(ImageSource* source, int column, int row);
    // The tile if it is cached (moved to the front), else null; never loads.
    const uint8_t* cached(ImageSource* source, int column, int row);
    bool contains(const ImageSource* source, int column, int row) const;
    // Drops every entry of `source` (called when a source is destroyed).
    void removeSource(const ImageSource* source);
    void clear();

    std::size_t entryCount() const { return m_entries.size(); }
    std::size_t cachedBytes() const { return m_bytes; }
    std::size_t budget() const { return m_budget; }
    // Takes effect at the next miss; entries are not dropped before.
    void setBudget(std::size_t budget) { m_budget = budget; }

    struct Key {
        const ImageSource* source;
        int column;
        int row;
        bool operator==(const Key&) const = default;
    };
    // The keys of all entries, most recently used first.
    std::vector<Key> keys() const;

    // Where misses take tiles decoded ahead (set by TilePrefetch while a draw
    // runs); returns the previous one.
    TilePrefetch* setPrefetch(TilePrefetch* prefetch) {
        TilePrefetch* previous = m_prefetch;
        m_prefetch = prefetch;
        return previous;
    }

private:
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept;
    };
    struct Entry {
        Key key;
        std::size_t bytes; // tile bytes counted against the budget
        std::unique_ptr<uint8_t[]> buffer;
    };
    using List = std::list<Entry>;

    void makeRoom(std::size_t incoming);
    List::iterator eraseEntry(List::iterator it);

    std::size_t m_budget;
    List m_entries;
    std::unordered_map<Key, List::iterator, KeyHash> m_index;
    std::size_t m_bytes = 0; // sum of the entries' bytes
    TilePrefetch* m_prefetch = nullptr;
};
