#include "DisplayTileCache.h"

#include <functional>

DisplayTileCache& DisplayTileCache::instance() {
    // Lives until the process ends, like the tile cache behind it.
    static DisplayTileCache* cache = new DisplayTileCache;
    return *cache;
}

std::size_t DisplayTileCache::KeyHash::operator()(const Key& k) const noexcept {
    std::size_t h = std::hash<const void*>()(k.source);
    auto mix = [&h](uint64_t v) { h ^= std::hash<uint64_t>()(v) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
    mix(uint64_t(uint32_t(k.column)) | (uint64_t(uint32_t(k.row)) << 32));
    mix(uint64_t(k.zoomSteps));
    mix(uint64_t(k.zoomDivisor));
    mix(uint64_t(k.layerMask) | (uint64_t(k.dimmer) << 32) | (uint64_t(k.highQuality) << 40));
    return h;
}

const QImage* DisplayTileCache::find(const Key& key) {
    const auto it = m_index.find(key);
    if (it == m_index.end())
        return nullptr;
    m_entries.splice(m_entries.begin(), m_entries, it->second);
    return &it->second->image;
}

const QImage* DisplayTileCache::insert(const Key& key, QImage image) {
    const auto old = m_index.find(key);
    if (old != m_index.end()) {
        m_bytes -= old->second->bytes;
        m_entries.erase(old->second);
        m_index.erase(old);
    }
    const std::size_t bytes = std::size_t(image.sizeInBytes());
    trim(m_budget > bytes ? m_budget - bytes : 0);
    m_entries.push_front(Entry{key, std::move(image), bytes});
    m_index[key] = m_entries.begin();
    m_bytes += bytes;
    return &m_entries.front().image;
}

void DisplayTileCache::trim(std::size_t budget) {
    while (m_bytes > budget && !m_entries.empty()) {
        m_bytes -= m_entries.back().bytes;
        m_index.erase(m_entries.back().key);
        m_entries.pop_back();
    }
}

void DisplayTileCache::removeSource(const ImageSource* source) {
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->key.source == source) {
            m_bytes -= it->bytes;
            m_index.erase(it->key);
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
}

void DisplayTileCache::clear() {
    m_index.clear();
    m_entries.clear();
    m_bytes = 0;
}

std::vector<DisplayTileCache::Key> DisplayTileCache::keys() const {
    std::vector<Key> keys;
    keys.reserve(m_entries.size());
    for (const Entry& e : m_entries)
        keys.push_back(e.key);
    return keys;
}

void DisplayTileCache::setBudget(std::size_t budget) {
    m_budget = budget;
    trim(budget);
}
