#pragma once

#include "HDBFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// A cursor over an HDB file: the current record number (1-based, in key
// order) and a buffer holding the current record, all zeros when there is
// none (hasRecord() tells which). The cursor keeps its file open. It remembers the page where it found
// its last record, so that reading record numbers in sequence mostly stays in
// that page instead of starting at the root.
//
// Keys are the leading bytes of a record compared byte by byte (unsigned);
// a key longer than the record compares as greater when the record equals
// its beginning.
class HDBRecords {
public:
    explicit HDBRecords(std::shared_ptr<HDBFile> file);
    HDBRecords(const HDBRecords&) = delete;
    HDBRecords& operator=(const HDBRecords&) = delete;
    ~HDBRecords();

    const std::shared_ptr<HDBFile>& file() const { return m_file; }
    int recordCount() const { return m_file->recordCount(); }
    std::size_t recordSize() const { return m_buffer.size(); }

    // Positions on record number `recNo`; true when it exists. Otherwise the
    // position is still `recNo` and the buffer is zeroed.
    bool seek(int recNo);
    // The first record whose leading `length` bytes are not smaller than
    // `key`. With `nearestOk` false it must also be equal to it. Not found:
    // position record count + 1, buffer zeroed.
    bool findNearest(const void* key, std::size_t length, bool nearestOk);
    bool findNearest(std::string_view key, bool nearestOk) { return findNearest(key.data(), key.size(), nearestOk); }
    // The first record whose leading `length` bytes are greater than `key`.
    bool findAfter(const void* key, std::size_t length);
    bool findAfter(std::string_view key) { return findAfter(key.data(), key.size()); }

    // Current position beyond the last record.
    bool eof() const { return m_recNo > std::int64_t(recordCount()); }
    int recNo() const { return int(m_recNo); }
    const std::uint8_t* record() const { return m_buffer.data(); }
    // Whether the last positioning found a record. Fields read without one
    // fail instead of decoding the zeroed buffer.
    bool hasRecord() const { return m_hasRecord; }

private:
    // The page where the last record was found.
    struct Hint {
        std::uint64_t offset = 0; // 0: none
        std::int64_t base = 0;    // record number of the page's first record
        std::int64_t total = 0;   // records in the page's subtree
        int depth = 0;            // 1 for the root
    };
    enum class Outcome { Found, NotFound, Refused };

    Outcome seekFrom(const Hint& start, std::int64_t target);
    Outcome searchKey(std::uint64_t offset, std::int64_t total, std::int64_t base, int depth, const std::uint8_t* key,
                      std::size_t length, bool greater, std::int64_t& position);
    // Copies record `index` of `page` into the buffer; false when it cannot
    // be read.
    bool readRecord(const HDBPageCache::Page& page, std::uint32_t index);
    int compareRecord(const std::uint8_t* record, const std::uint8_t* key, std::size_t length) const;
    void clearBuffer();
    void notFound();
    void take(const std::uint8_t* record);

    std::shared_ptr<HDBFile> m_file;
    std::int64_t m_recNo = 0;
    Hint m_hint;
    std::vector<std::uint8_t> m_buffer;
    std::vector<std::uint8_t> m_probe; // a record looked at by a search
    bool m_hasRecord = false;
};
