#pragma once

#include <QImage>

#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

class ImageSource;

// Tiles already turned into display pixels, most recently used first, within
// a byte budget. It sits in front of the drawing so that a repaint of tiles
// seen before at the same zoom, dimmer, layer mask and quality is a plain copy:
// zoomed out, the decoded tiles of one view do not all fit TileCache, and
// without this cache every repaint would decode them again.
//
// Entries of a source are dropped by the map handles that draw it (every
// handle holds a reference on its source and purges when it goes), so no entry
// outlives its source. Used from one thread.
class DisplayTileCache {
public:
    static constexpr std::size_t DefaultBudget = 0x2000000; // 32 MiB

    struct Key {
        const ImageSource* source = nullptr;
        int column = 0;
        int row = 0;
        int64_t zoomSteps = 0; // zoom = zoomSteps / zoomDivisor
        int64_t zoomDivisor = 0;
        uint8_t dimmer = 255;
        uint32_t layerMask = 0;
        bool highQuality = false;
        bool operator==(const Key&) const = default;
    };

    static DisplayTileCache& instance();
    explicit DisplayTileCache(std::size_t budget = DefaultBudget) : m_budget(budget) {}

    // Whether a display tile of `bytes` bytes is worth keeping: large tiles
    // (high zoom) would push out many others and are cheap to render only in
    // their visible part, so they are not cached.
    bool accepts(std::size_t bytes) const { return bytes > 0 && bytes <= m_budget / 32; }

    // The cached tile (moved to the front), or null.
    const QImage* find(const Key& key);
    bool contains(const Key& key) const { return m_index.count(key) != 0; }
    // Stores `image` at the front, dropping the oldest entries beyond the
    // budget; returns the stored copy.
    const QImage* insert(const Key& key, QImage image);
    void removeSource(const ImageSource* source);
    void clear();
    // The keys of all entries, most recently used first.
    std::vector<Key> keys() const;

    // 0 turns the cache off.
    void setBudget(std::size_t budget);
    std::size_t budget() const { return m_budget; }
    std::size_t bytes() const { return m_bytes; }
    std::size_t entryCount() const { return m_entries.size(); }

private:
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept;
    };
    struct Entry {
        Key key;
        QImage image;
        std::size_t bytes;
    };
    using List = std::list<Entry>;

    void trim(std::size_t budget);

    std::size_t m_budget;
    std::size_t m_bytes = 0;
    List m_entries;
    std::unordered_map<Key, List::iterator, KeyHash> m_index;
};
