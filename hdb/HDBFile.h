#pragma once

#include "HDBFormat.h"
#include "HDBPageCache.h"
#include "RowField.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One opened HDB file: read-only handle, code word, root page, fields in
// definition order, record count and record size.
//
// A file that cannot be read (missing, wrong magic, a zero header word, an
// unknown field type, field definitions running past their block, an
// unreadable or inconsistent root page) stays closed: it has no fields and
// no records, and every read fails. There is no message; the caller shows
// an empty table.
//
// The file lives as long as its cursors (HDBRecords) hold it; when the last
// one goes, its pages leave the page cache and the handle is closed.
class HDBFile {
public:
    // Records longer than this are taken as a damaged header: no real table
    // comes near it, and a page is 254 records.
    static constexpr std::size_t MaxRecordSize = 65535;

    // The path is looked up case-insensitively (data media come from a
    // case-insensitive world) and opened read-only.
    // With `mapped` false the file is only ever read through its handle, as
    // when it cannot be mapped.
    static std::shared_ptr<HDBFile> open(const std::string& path, const std::string& codeword, bool mapped = true);

    HDBFile(const HDBFile&) = delete;
    HDBFile& operator=(const HDBFile&) = delete;
    ~HDBFile();

    bool isOpen() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }
    const std::string& codeword() const { return m_codeword; }

    int fieldCount() const { return int(m_fields.size()); }
    // 1-based; none outside 1 … fieldCount().
    const RowField* field(int number) const;
    // Exact, case-sensitive comparison of the stored 8-bit name; first match.
    const RowField* fieldByName(std::string_view name) const;
    const std::vector<std::unique_ptr<RowField>>& fields() const { return m_fields; }

    int recordCount() const { return m_recordCount; }
    std::size_t recordSize() const { return m_recordSize; }
    std::uint32_t rootOffset() const { return m_root; }
    std::uint64_t fileSize() const { return m_fileSize; }
    // Pages from the root down to the first leaf (1 for a file of one page;
    // 0 when closed).
    int treeDepth() const;
    int cursorCount() const { return m_cursors.load(); }
    // The key of this file's pages in the page cache.
    std::uint64_t cacheId() const { return m_id; }

    // The page at file offset `offset`, pinned, after checking it: at most
    // 254 records, all of them inside what could be read, child offsets
    // inside the file, no subtree count without a child, and (when
    // `expectedTotal` is not negative) a record total equal to what the
    // parent page says. A page that fails any check is refused (empty Page).
    HDBPageCache::Page readPage(std::uint64_t offset, std::int64_t expectedTotal = -1) const;
    // Asks the processor to start loading record `index` of a page of sums
    // from the mapping, so that a search can overlap its next probes' waits
    // for memory with the comparison at hand. Never fails, never faults.
    void prefetch(const HDBPageCache::Page& page, std::uint32_t index) const {
        if (page.info().sums && index < page.info().count) {
            const std::uint8_t* p = m_map + page.offset() + HDBFormat::PageRecordsOffset + index * m_recordSize;
            __builtin_prefetch(p);
            __builtin_prefetch(p + m_recordSize);
        }
    }
    // Makes bytes 0 … end − 1 of a page read by readPage() available; false
    // when the file no longer holds them, and always for a page of sums.
    bool ensure(const HDBPageCache::Page& page, std::size_t end) const;
    // Record `index` (below the page's count) of a page read by readPage(),
    // plain: `out` points either into the page or to `scratch` (recordSize()
    // bytes), where it was unscrambled. False where the file no longer holds
    // the record's bytes.
    bool record(const HDBPageCache::Page& page, std::uint32_t index, std::uint8_t* scratch,
                const std::uint8_t*& out) const;

private:
    friend class HDBRecords;
    HDBFile(std::string path, std::string codeword);
    bool load(const std::string& realPath, bool mapped);
    void close();
    std::size_t readAt(std::uint8_t* data, std::size_t size, std::uint64_t offset) const;

    std::string m_path;
    std::string m_codeword;
    HDBFormat::CodewordPattern m_pattern;
    int m_fd = -1;
    const std::uint8_t* m_map = nullptr; // the whole file, when it could be mapped
    std::uint64_t m_fileSize = 0;
    std::uint64_t m_dataStart = 0; // first byte after the field-definition block
    std::uint32_t m_root = 0;
    std::vector<std::unique_ptr<RowField>> m_fields;
    std::size_t m_recordSize = 0;
    int m_recordCount = 0;
    std::atomic<int> m_cursors{0};
    const std::uint64_t m_id;
};
