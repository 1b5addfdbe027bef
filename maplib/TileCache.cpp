#include "TileCache.h"

#include "ImageSource.h"
#include "TilePrefetch.h"

#include <iterator>
#include <new>

TileCache& TileCache::instance() {
    // Lives until the process ends, after every source that may still use it.
    static TileCache* cache = new TileCache;
    return *cache;
}

TileCache::~TileCache() {
    clear();
}

std::size_t TileCache::KeyHash::operator()(const Key& k) const noexcept {
    std::size_t h = std::hash<const void*>()(k.source);
    h ^= std::hash<int>()(k.column) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    h ^= std::hash<int>()(k.row) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h;
}

const uint8_t* TileCache::cached(ImageSource* source, int column, int row) {
    const auto it = m_index.find(Key{source, column, row});
    if (it == m_index.end())
        return nullptr;
    m_entries.splice(m_entries.begin(), m_entries, it->second);
    return it->second->buffer.get();
}

bool TileCache::contains(const ImageSource* source, int column, int row) const {
    return m_index.count(Key{source, column, row}) != 0;
}

void TileCache::makeRoom(std::size_t incoming) {
    // What old entries may keep: the budget less the incoming tile. The most
    // recently used entries that fit stay; the rest go, oldest first. Keeping
    // the byte sum makes this independent of the number of entries, which
    // matters when a draw of many small tiles misses for each of them.
    const std::size_t left = m_budget > incoming ? m_budget - incoming : 0;
    while (!m_entries.empty() && m_bytes > left)
        eraseEntry(std::prev(m_entries.end()));
}

TileCache::List::iterator TileCache::eraseEntry(List::iterator it) {
    m_bytes -= it->bytes;
    m_index.erase(it->key);
    return m_entries.erase(it);
}

const uint8_t* TileCache::tile(ImageSource* source, int column, int row) {
    if (const uint8_t* hit = cached(source, column, row))
        return hit;
    const std::size_t bytes = source->tileBufferBytes();
    makeRoom(bytes);
    // A tile decoded ahead on another thread has the very bytes readTile
    // would give here; the cache's bookkeeping is the same either way.
    std::unique_ptr<uint8_t[]> buffer = m_prefetch ? m_prefetch->take(source, column, row) : nullptr;
    if (!buffer) {
        buffer.reset(new (std::nothrow) uint8_t[bytes + 1]);
        if (!buffer)
            return nullptr;
        buffer[bytes] = 0;
        source->readTile(column, row, buffer.get(), bytes);
    }
    const Key key{source, column, row};
    m_entries.push_front(Entry{key, bytes, std::move(buffer)});
    m_bytes += bytes;
    m_index[key] = m_entries.begin();
    return m_entries.front().buffer.get();
}

void TileCache::removeSource(const ImageSource* source) {
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->key.source == source) {
            it = eraseEntry(it);
        } else {
            ++it;
        }
    }
}

void TileCache::clear() {
    m_index.clear();
    m_entries.clear();
    m_bytes = 0;
}

std::vector<TileCache::Key> TileCache::keys() const {
    std::vector<Key> result;
    result.reserve(m_entries.size());
    for (const Entry& e : m_entries)
        result.push_back(e.key);
    return result;
}
