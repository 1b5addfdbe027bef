#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <memory>

class ImageSource;

// Map sheets of mosaics, opened on demand and kept in one process-wide list,
// most recently used first, of at most Capacity entries keyed by (mosaic,
// cell). Sheets pushed out are closed. A sheet that failed to open is kept as
// an empty entry in the same way, so it is not tried on every repaint.
class SheetCache {
public:
    static constexpr std::size_t Capacity = 10;

    struct Entry {
        const ImageSource* mosaic = nullptr;
        long cell = 0;
        ImageSource* sheet = nullptr; // null: the sheet did not open
        // Drawing state kept with the sheet (its handle with dimmer, zoom and
        // layer mask), owned by the entry and dropped before the sheet closes.
        std::shared_ptr<void> drawState;
    };

    static SheetCache& instance();
    ~SheetCache();

    // The entry for (mosaic, cell), moved to the front; on a miss `open` is
    // called (it returns a source with one reference for the cache, or null).
    Entry& sheet(const ImageSource* mosaic, long cell, const std::function<ImageSource*()>& open);
    bool contains(const ImageSource* mosaic, long cell) const;
    // Closes every sheet of `mosaic` (called when a source is destroyed).
    void removeMosaic(const ImageSource* mosaic);
    void clear();
    std::size_t size() const { return m_entries.size(); }

private:
    static void close(std::list<Entry>& entries);
    std::list<Entry> m_entries;
};
