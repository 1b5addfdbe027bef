#include "HDBPageCache.h"

#include <atomic>

HDBPageCache::Page& HDBPageCache::Page::operator=(Page&& other) noexcept {
    if (this != &other) {
        release();
        m_cache = other.m_cache;
        m_elem = other.m_elem;
        other.m_elem = nullptr;
    }
    return *this;
}

void HDBPageCache::Page::release() {
    if (m_elem) {
        m_cache->unpin(m_elem);
        m_elem = nullptr;
    }
}

HDBPageCache::HDBPageCache(std::size_t budget) : m_budget(budget), m_remaining(std::int64_t(budget)) {}

HDBPageCache& HDBPageCache::instance() {
    static HDBPageCache cache;
    return cache;
}

std::uint64_t HDBPageCache::newFileId() {
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

HDBPageCache::Page HDBPageCache::find(std::uint64_t file, std::uint64_t offset) {
    std::lock_guard lock(m_mutex);
    auto it = m_index.find(Key{file, offset});
    if (it == m_index.end())
        return {};
    List::iterator elem = it->second;
    ++elem->useCount;
    m_list.splice(m_list.end(), m_list, elem);
    return Page(this, &*elem);
}

HDBPageCache::Page HDBPageCache::insert(std::uint64_t file, std::uint64_t offset, std::vector<std::uint8_t> bytes,
                                        const HDBPageInfo& info) {
    std::lock_guard lock(m_mutex);
    auto found = m_index.find(Key{file, offset});
    if (found != m_index.end()) {
        List::iterator elem = found->second;
        ++elem->useCount;
        m_list.splice(m_list.end(), m_list, elem);
        return Page(this, &*elem);
    }
    const auto size = std::int64_t(bytes.size());
    m_list.push_back(CacheElem{file, offset, std::move(bytes), info, 1});
    List::iterator elem = std::prev(m_list.end());
    m_index.emplace(Key{file, offset}, elem);
    m_remaining -= size;
    evictLocked();
    return Page(this, &*elem);
}

void HDBPageCache::evictLocked() {
    for (auto it = m_list.begin(); m_remaining <= 0 && it != m_list.end();) {
        if (it->useCount == 0) {
            m_remaining += std::int64_t(it->bytes.size());
            m_index.erase(Key{it->file, it->offset});
            it = m_list.erase(it);
        } else {
            ++it;
        }
    }
}

void HDBPageCache::unpin(CacheElem* elem) {
    std::lock_guard lock(m_mutex);
    --elem->useCount;
}

void HDBPageCache::removeFile(std::uint64_t file) {
    std::lock_guard lock(m_mutex);
    for (auto it = m_list.begin(); it != m_list.end();) {
        // A page still held by someone stays until it is evicted in the
        // ordinary way; its key can never match again because file ids are
        // never reused.
        if (it->file == file && it->useCount == 0) {
            m_remaining += std::int64_t(it->bytes.size());
            m_index.erase(Key{it->file, it->offset});
            it = m_list.erase(it);
        } else {
            ++it;
        }
    }
}

bool HDBPageCache::contains(std::uint64_t file, std::uint64_t offset) const {
    std::lock_guard lock(m_mutex);
    return m_index.count(Key{file, offset}) != 0;
}

HDBPageCache::Stats HDBPageCache::stats() const {
    std::lock_guard lock(m_mutex);
    Stats s;
    for (const CacheElem& e : m_list) {
        ++s.pages;
        s.bytes += e.bytes.size();
        if (e.useCount > 0)
            ++s.pinned;
    }
    return s;
}

HDBPageCache::Stats HDBPageCache::stats(std::uint64_t file) const {
    std::lock_guard lock(m_mutex);
    Stats s;
    for (const CacheElem& e : m_list) {
        if (e.file != file)
            continue;
        ++s.pages;
        s.bytes += e.bytes.size();
        if (e.useCount > 0)
            ++s.pinned;
    }
    return s;
}
