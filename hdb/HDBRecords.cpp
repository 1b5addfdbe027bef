#include "HDBRecords.h"

#include "HDBFormat.h"

#include <algorithm>
#include <cstring>

using HDBFormat::readLE32;

namespace {

const std::uint8_t* childOffsets(const HDBPageCache::Page& page) {
    return page.data() + HDBFormat::PageChildOffset;
}
const std::uint8_t* subtreeCounts(const HDBPageCache::Page& page) {
    return page.data() + HDBFormat::PageSubtreeOffset;
}

} // namespace

HDBRecords::HDBRecords(std::shared_ptr<HDBFile> file) : m_file(std::move(file)) {
    if (!m_file)
        m_file = HDBFile::open(std::string(), std::string());
    ++m_file->m_cursors;
    m_buffer.assign(m_file->recordSize(), 0);
    m_probe.assign(m_file->recordSize(), 0);
}

HDBRecords::~HDBRecords() {
    --m_file->m_cursors;
}

void HDBRecords::clearBuffer() {
    std::fill(m_buffer.begin(), m_buffer.end(), std::uint8_t(0));
    m_hasRecord = false;
}

// A file may declare fields of no bytes at all; its records are then empty
// and the buffer has no storage to copy into.
void HDBRecords::take(const std::uint8_t* record) {
    if (!m_buffer.empty())
        std::memcpy(m_buffer.data(), record, m_buffer.size());
    m_hasRecord = true;
}

void HDBRecords::notFound() {
    m_recNo = std::int64_t(recordCount()) + 1;
    clearBuffer();
}

bool HDBRecords::seek(int recNo) {
    m_recNo = recNo;
    if (m_file->isOpen() && recNo >= 1 && recNo <= recordCount()) {
        // The hint page's subtree holds the records base … base + total − 1;
        // a record outside it is not looked for there (which would cost a
        // page read when the page has left the cache).
        const bool inHint = m_hint.offset != 0 && recNo >= m_hint.base && recNo < m_hint.base + m_hint.total;
        if (inHint && seekFrom(m_hint, recNo) == Outcome::Found)
            return true;
        const Hint root{m_file->rootOffset(), 1, recordCount(), 1};
        if (seekFrom(root, recNo) == Outcome::Found)
            return true;
    }
    clearBuffer();
    return false;
}

bool HDBRecords::readRecord(const HDBPageCache::Page& page, std::uint32_t index) {
    const std::uint8_t* bytes = nullptr;
    if (!m_file->record(page, index, m_buffer.data(), bytes))
        return false;
    if (bytes != m_buffer.data())
        take(bytes);
    m_hasRecord = true;
    return true;
}

HDBRecords::Outcome HDBRecords::seekFrom(const Hint& start, std::int64_t target) {
    std::uint64_t offset = start.offset;
    std::int64_t total = start.total;
    std::int64_t base = start.base;
    for (int depth = start.depth; depth <= HDBFormat::MaxTreeDepth; ++depth) {
        HDBPageCache::Page page = m_file->readPage(offset, total);
        if (!page)
            return Outcome::Refused;
        if (base > target)
            return Outcome::NotFound;
        const std::uint32_t n = page.info().count;
        const std::int64_t pageBase = base;
        if (page.info().leaf) {
            // No children: record i has number base + i.
            const std::int64_t index = target - base;
            if (index >= std::int64_t(n))
                return Outcome::NotFound;
            if (!readRecord(page, std::uint32_t(index)))
                return Outcome::Refused;
            m_hint = Hint{offset, base, total, depth};
            return Outcome::Found;
        }
        bool descend = false;
        for (std::uint32_t i = 0; i <= n; ++i) {
            const std::int64_t count = readLE32(subtreeCounts(page) + 4 * i);
            const std::int64_t position = count + base;
            if (position > target) {
                offset = readLE32(childOffsets(page) + 4 * i);
                total = count;
                descend = true;
                break;
            }
            if (position == target) {
                if (i == n)
                    return Outcome::NotFound;
                if (!readRecord(page, i))
                    return Outcome::Refused;
                m_hint = Hint{offset, pageBase, total, depth};
                return Outcome::Found;
            }
            base = position + 1;
        }
        if (!descend)
            return Outcome::NotFound;
    }
    return Outcome::Refused; // deeper than any real file: a cycle
}

int HDBRecords::compareRecord(const std::uint8_t* record, const std::uint8_t* key, std::size_t length) const {
    const std::size_t size = m_buffer.size();
    const std::size_t common = std::min(length, size);
    const int c = common == 0 ? 0 : std::memcmp(record, key, common);
    if (c != 0)
        return c;
    return length > size ? -1 : 0;
}

// Finds, below the page at `offset`, the first record whose key is not
// smaller than (`greater`: greater than) `key`. Records inside a page are in
// key order, so the page is searched by bisection; the record found there is
// the answer unless the child before it holds an earlier one.
HDBRecords::Outcome HDBRecords::searchKey(std::uint64_t offset, std::int64_t total, std::int64_t base, int depth,
                                          const std::uint8_t* key, std::size_t length, bool greater,
                                          std::int64_t& position) {
    if (depth > HDBFormat::MaxTreeDepth)
        return Outcome::Refused;
    HDBPageCache::Page page = m_file->readPage(offset, total);
    if (!page)
        return Outcome::Refused;
    std::uint32_t low = 0;
    std::uint32_t high = page.info().count;
    while (low < high) {
        const std::uint32_t middle = (low + high) / 2;
        // Whichever way this comparison goes, the next probe is one of these.
        m_file->prefetch(page, (low + middle) / 2);
        m_file->prefetch(page, (middle + 1 + high) / 2);
        const std::uint8_t* probe = nullptr;
        if (!m_file->record(page, middle, m_probe.data(), probe))
            return Outcome::Refused;
        const int c = compareRecord(probe, key, length);
        if (greater ? c > 0 : c >= 0)
            high = middle;
        else
            low = middle + 1;
    }
    const std::uint32_t i = low;
    std::int64_t running = base + i;
    std::int64_t count = 0;
    if (!page.info().leaf) {
        for (std::uint32_t j = 0; j < i; ++j)
            running += std::int64_t(readLE32(subtreeCounts(page) + 4 * j));
        const std::uint32_t child = readLE32(childOffsets(page) + 4 * i);
        count = readLE32(subtreeCounts(page) + 4 * i);
        if (child != 0) {
            const Outcome inChild = searchKey(child, count, running, depth + 1, key, length, greater, position);
            if (inChild != Outcome::NotFound)
                return inChild;
        }
    }
    if (i == page.info().count)
        return Outcome::NotFound;
    if (!readRecord(page, i))
        return Outcome::Refused;
    position = running + count;
    m_hint = Hint{offset, base, total, depth};
    return Outcome::Found;
}

bool HDBRecords::findNearest(const void* key, std::size_t length, bool nearestOk) {
    const auto* k = static_cast<const std::uint8_t*>(key);
    std::int64_t position = 0;
    if (!m_file->isOpen() ||
        searchKey(m_file->rootOffset(), recordCount(), 1, 1, k, length, false, position) != Outcome::Found) {
        notFound();
        return false;
    }
    if (!nearestOk && compareRecord(m_buffer.data(), k, length) != 0) {
        notFound();
        return false;
    }
    m_recNo = position;
    return true;
}

bool HDBRecords::findAfter(const void* key, std::size_t length) {
    const auto* k = static_cast<const std::uint8_t*>(key);
    std::int64_t position = 0;
    if (!m_file->isOpen() ||
        searchKey(m_file->rootOffset(), recordCount(), 1, 1, k, length, true, position) != Outcome::Found) {
        notFound();
        return false;
    }
    m_recNo = position;
    return true;
}
