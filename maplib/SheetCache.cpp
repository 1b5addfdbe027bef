#include "SheetCache.h"

#include "ImageSource.h"

SheetCache& SheetCache::instance() {
    // Lives until the process ends, after every source that may still use it.
    static SheetCache* cache = new SheetCache;
    return *cache;
}

SheetCache::~SheetCache() {
    clear();
}

void SheetCache::close(std::list<Entry>& entries) {
    // Entries are unlinked from the cache before their sheets close: a sheet
    // that is a mosaic itself removes its own entries while it goes.
    for (Entry& e : entries) {
        e.drawState.reset();
        if (e.sheet)
            e.sheet->release();
    }
    entries.clear();
}

SheetCache::Entry& SheetCache::sheet(const ImageSource* mosaic, long cell, const std::function<ImageSource*()>& open) {
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->mosaic == mosaic && it->cell == cell) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            return m_entries.front();
        }
    }
    ImageSource* opened = open();
    m_entries.push_front(Entry{mosaic, cell, opened, {}});
    if (m_entries.size() > Capacity) {
        std::list<Entry> evicted;
        auto first = std::next(m_entries.begin(), long(Capacity));
        evicted.splice(evicted.begin(), m_entries, first, m_entries.end());
        close(evicted);
    }
    return m_entries.front();
}

bool SheetCache::contains(const ImageSource* mosaic, long cell) const {
    for (const Entry& e : m_entries) {
        if (e.mosaic == mosaic && e.cell == cell)
            return true;
    }
    return false;
}

void SheetCache::removeMosaic(const ImageSource* mosaic) {
    std::list<Entry> removed;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        auto next = std::next(it);
        if (it->mosaic == mosaic)
            removed.splice(removed.end(), m_entries, it);
        it = next;
    }
    close(removed);
}

void SheetCache::clear() {
    std::list<Entry> all;
    all.splice(all.begin(), m_entries);
    close(all);
}
