#include "HDBFile.h"

#include "HDBFormat.h"
#include "MappedCopy.h"

#include <MediumPath.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// Reads up to `size` bytes at `offset`; returns how many could be read.
// A mapped file is copied from memory (no system call per page); otherwise,
// or where the mapping fails, the bytes are read from the handle.
std::size_t HDBFile::readAt(std::uint8_t* data, std::size_t size, std::uint64_t offset) const {
    if (m_map) {
        if (offset >= m_fileSize)
            return 0;
        size = std::size_t(std::min<std::uint64_t>(size, m_fileSize - offset));
        return MappedCopy::copy(data, m_map + offset, size) ? size : 0;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(m_fd, data + done, size - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

HDBFile::HDBFile(std::string path, std::string codeword)
    : m_path(std::move(path)), m_codeword(std::move(codeword)), m_pattern(m_codeword), m_id(HDBPageCache::newFileId()) {
}

HDBFile::~HDBFile() {
    close();
}

std::shared_ptr<HDBFile> HDBFile::open(const std::string& path, const std::string& codeword, bool mapped) {
    std::shared_ptr<HDBFile> file(new HDBFile(path, codeword));
    std::string realPath = path.empty() ? std::string() : MediumPath::resolve(path);
    if (realPath.empty())
        realPath = path;
    if (!file->load(realPath, mapped))
        file->close();
    return file;
}

void HDBFile::close() {
    HDBPageCache::instance().removeFile(m_id);
    if (m_map)
        ::munmap(const_cast<std::uint8_t*>(m_map), m_fileSize);
    m_map = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_fields.clear();
    m_recordCount = 0;
}

bool HDBFile::load(const std::string& realPath, bool mapped) {
    m_fd = ::open(realPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    m_fileSize = std::uint64_t(st.st_size);
    if (mapped && m_fileSize > 0) {
        void* map = ::mmap(nullptr, m_fileSize, PROT_READ, MAP_SHARED, m_fd, 0);
        if (map != MAP_FAILED)
            m_map = static_cast<const std::uint8_t*>(map);
    }

    std::uint8_t header[HDBFormat::HeaderSize];
    if (readAt(header, sizeof header, 0) != sizeof header)
        return false;
    const std::uint32_t magic = HDBFormat::readLE32(header);
    m_root = HDBFormat::readLE32(header + 4);
    const std::uint32_t fieldCount = HDBFormat::readLE32(header + 8);
    const std::uint32_t blockLength = HDBFormat::readLE32(header + 12);
    if (magic != HDBFormat::Magic || m_root == 0 || fieldCount == 0 || blockLength == 0)
        return false;
    // The block must be in the file, and every entry takes at least six
    // bytes (an empty name, its zero, two unused bytes, type, length, decimals).
    if (blockLength > m_fileSize - HDBFormat::FieldBlockOffset || fieldCount > blockLength / 6)
        return false;
    m_dataStart = HDBFormat::FieldBlockOffset + blockLength;

    std::vector<std::uint8_t> block(blockLength);
    if (readAt(block.data(), block.size(), HDBFormat::FieldBlockOffset) != block.size())
        return false;
    HDBFormat::unscramble(block.data(), block.size(), m_codeword);

    std::size_t pos = 0;
    std::size_t offset = 0;
    for (std::uint32_t f = 0; f < fieldCount; ++f) {
        const void* zero = std::memchr(block.data() + pos, 0, block.size() - pos);
        if (!zero)
            return false;
        const std::size_t nameEnd = std::size_t(static_cast<const std::uint8_t*>(zero) - block.data());
        if (block.size() - (nameEnd + 1) < 5)
            return false;
        HDBFieldDef def;
        def.name.assign(reinterpret_cast<const char*>(block.data() + pos), nameEnd - pos);
        const std::uint8_t* entry = block.data() + nameEnd + 1; // two unused bytes first
        def.type = entry[2];
        def.length = entry[3];
        def.decimals = entry[4];
        pos = nameEnd + 1 + 5;
        std::unique_ptr<RowField> field = RowField::create(def, offset);
        if (!field)
            return false;
        offset += field->size();
        if (offset > MaxRecordSize)
            return false;
        m_fields.push_back(std::move(field));
    }
    m_recordSize = offset;

    HDBPageCache::Page root = readPage(m_root);
    if (!root)
        return false;
    const std::int64_t total = root.info().total;
    // Every record takes its bytes somewhere in the file; a root claiming more
    // records than the file could hold does not add up.
    if (m_recordSize > 0 && std::uint64_t(total) > m_fileSize / m_recordSize)
        return false;
    m_recordCount = int(total);
    return true;
}

const RowField* HDBFile::field(int number) const {
    if (number < 1 || number > fieldCount())
        return nullptr;
    return m_fields[std::size_t(number - 1)].get();
}

const RowField* HDBFile::fieldByName(std::string_view name) const {
    for (const auto& f : m_fields) {
        if (f->name() == name)
            return f.get();
    }
    return nullptr;
}

// What a page of running sums is charged in the cache beyond its sums: a
// share for the bookkeeping the cache keeps per page.
constexpr std::size_t SumsPageCost = 64;

HDBPageCache::Page HDBFile::readPage(std::uint64_t offset, std::int64_t expectedTotal) const {
    if (m_fd < 0)
        return {};
    HDBPageCache& cache = HDBPageCache::instance();
    HDBPageCache::Page page = cache.find(m_id, offset);
    if (!page) {
        if (offset < m_dataStart || offset >= m_fileSize)
            return {};
        // A page is 2048 + 254 × record size bytes, but the last page of a
        // file may be cut short by the end of the file; what is not there
        // counts as zero bytes, and the page is good as long as its records
        // are there. The header is read now, the records as far as searches
        // need them (see ensure() and record()).
        const std::size_t full = HDBFormat::pageReadSize(m_recordSize);
        std::size_t readable = std::size_t(std::min<std::uint64_t>(full, m_fileSize - offset));
        std::uint8_t header[HDBFormat::PageRecordsOffset];
        const std::size_t head = std::min(readable, HDBFormat::PageRecordsOffset);
        const std::size_t got = readAt(header, head, offset);
        if (got < HDBFormat::PageChildOffset)
            return {};
        if (got < head)
            readable = got; // the file has shrunk since it was opened
        std::memset(header + got, 0, HDBFormat::PageRecordsOffset - got);
        HDBFormat::unscrambleFrom(header, got, m_pattern, 0, 0);

        HDBPageInfo info;
        info.readable = readable;
        info.count = HDBFormat::readLE32(header + HDBFormat::PageCountOffset);
        if (info.count > HDBFormat::MaxPageRecords)
            return {};
        if (info.count > 0 && HDBFormat::PageRecordsOffset + info.count * m_recordSize > readable)
            return {};
        std::int64_t total = 0;
        for (std::uint32_t i = 0; i <= info.count; ++i) {
            const std::uint32_t child = HDBFormat::readLE32(header + HDBFormat::PageChildOffset + 4 * i);
            const std::uint32_t count = HDBFormat::readLE32(header + HDBFormat::PageSubtreeOffset + 4 * i);
            if (child == 0) {
                if (count != 0)
                    return {};
            } else {
                if (child < m_dataStart || child >= m_fileSize)
                    return {};
                info.leaf = false;
            }
            total += std::int64_t(count) + 1;
        }
        total -= 1;
        // Record numbers and "one past the last" must fit an int.
        if (total >= INT_MAX)
            return {};
        info.total = total;
        if (info.leaf && m_map) {
            // Leaves are most of a file and are mostly read a record or a
            // search's few probes at a time, which the mapping serves
            // directly; keeping their sums instead of their bytes lets the
            // cache hold ten times as many of them. The running sum before
            // record 0 is that of the whole header, recovered from its last
            // plain byte.
            info.sums = true;
            const std::size_t n = info.count;
            std::unique_ptr<std::uint8_t[]> sums(new std::uint8_t[std::max<std::size_t>(n, 1)]);
            constexpr std::size_t last = HDBFormat::PageRecordsOffset - 1;
            sums[0] = m_codeword.empty()
                          ? 0
                          : std::uint8_t(header[last] ^ std::uint8_t(m_codeword[last % m_codeword.size()]));
            page = cache.insert(m_id, offset, std::move(sums), n + SumsPageCost, info, 1);
        } else {
            const std::size_t size = std::max(readable, HDBFormat::PageRecordsOffset);
            std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
            std::memcpy(bytes.get(), header, HDBFormat::PageRecordsOffset);
            page = cache.insert(m_id, offset, std::move(bytes), size, info, got);
        }
    }
    if (expectedTotal >= 0 && page.info().total != expectedTotal)
        return {};
    return page;
}

int HDBFile::treeDepth() const {
    if (!isOpen())
        return 0;
    int depth = 0;
    std::uint64_t offset = m_root;
    std::int64_t expected = m_recordCount;
    while (offset != 0 && depth < HDBFormat::MaxTreeDepth) {
        HDBPageCache::Page page = readPage(offset, expected);
        if (!page)
            break;
        ++depth;
        offset = 0;
        if (page.info().leaf)
            break;
        for (std::uint32_t i = 0; i <= page.info().count; ++i) {
            const std::uint32_t child = HDBFormat::readLE32(page.data() + HDBFormat::PageChildOffset + 4 * i);
            if (child != 0) {
                offset = child;
                expected = HDBFormat::readLE32(page.data() + HDBFormat::PageSubtreeOffset + 4 * i);
                break;
            }
        }
    }
    return depth;
}

bool HDBFile::record(const HDBPageCache::Page& page, std::uint32_t index, std::uint8_t* scratch,
                     const std::uint8_t*& out) const {
    const std::size_t size = m_recordSize;
    const std::size_t at = HDBFormat::PageRecordsOffset + std::size_t(index) * size;
    if (!page.info().sums) {
        // A record must be there whole, as when the page is read that far.
        if (!ensure(page, at + size))
            return false;
        out = page.data() + at;
        return true;
    }
    if (index >= page.info().count || m_fd < 0)
        return false;
    // The sums of the records before this one, as far as they are not known
    // yet, from the stored bytes in between.
    std::size_t& known = page.ready();
    std::uint8_t* sums = page.mutableData();
    const std::uint8_t* records = m_map + page.offset() + HDBFormat::PageRecordsOffset;
    if (!m_codeword.empty() && index >= known) {
        if (!MappedCopy::stretchSums(records + (known - 1) * size, size, index + 1 - known, sums[known - 1],
                                     sums + known))
            return false;
        known = index + 1;
    }
    // Records of no bytes have no buffer to copy into.
    if (size > 0 && !MappedCopy::copy(scratch, records + std::size_t(index) * size, size))
        return false;
    if (!m_codeword.empty())
        HDBFormat::unscrambleFrom(scratch, size, m_pattern, at % m_codeword.size(), sums[index]);
    out = scratch;
    return true;
}

bool HDBFile::ensure(const HDBPageCache::Page& page, std::size_t end) const {
    if (page.info().sums)
        return false; // its records are read one by one (see record())
    std::size_t& ready = page.ready();
    if (end <= ready)
        return true;
    const std::size_t readable = page.info().readable;
    if (end > readable || m_fd < 0)
        return false;
    // Read on at least as far again as is there, so that a page walked
    // record by record is read in a few steps.
    const std::size_t target = std::min(readable, std::max(end, 2 * ready));
    const std::size_t got = readAt(page.mutableData() + ready, target - ready, page.offset() + ready);
    if (ready + got < end)
        return false; // the file has shrunk since the page was checked
    const std::size_t m = m_codeword.size();
    const std::uint8_t carry =
        ready == 0 || m == 0 ? 0 : std::uint8_t(page.data()[ready - 1] ^ std::uint8_t(m_codeword[(ready - 1) % m]));
    HDBFormat::unscrambleFrom(page.mutableData() + ready, got, m_pattern, m == 0 ? 0 : ready % m, carry);
    ready += got;
    return true;
}
