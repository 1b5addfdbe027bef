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
    : m_path(std::move(path)), m_codeword(std::move(codeword)), m_id(HDBPageCache::newFileId()) {}

HDBFile::~HDBFile() {
    close();
}

std::shared_ptr<HDBFile> HDBFile::open(const std::string& path, const std::string& codeword) {
    std::shared_ptr<HDBFile> file(new HDBFile(path, codeword));
    std::string realPath = path.empty() ? std::string() : MediumPath::resolve(path);
    if (realPath.empty())
        realPath = path;
    if (!file->load(realPath))
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

bool HDBFile::load(const std::string& realPath) {
    m_fd = ::open(realPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    m_fileSize = std::uint64_t(st.st_size);
    if (m_fileSize > 0) {
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
        // need them (see ensure()).
        const std::size_t full = HDBFormat::pageReadSize(m_recordSize);
        std::size_t readable = std::size_t(std::min<std::uint64_t>(full, m_fileSize - offset));
        const std::size_t size = std::max(readable, HDBFormat::PageRecordsOffset);
        std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
        const std::size_t head = std::min(readable, HDBFormat::PageRecordsOffset);
        const std::size_t got = readAt(bytes.get(), head, offset);
        if (got < HDBFormat::PageChildOffset)
            return {};
        if (got < head)
            readable = got; // the file has shrunk since it was opened
        std::memset(bytes.get() + got, 0, HDBFormat::PageRecordsOffset - std::min(got, HDBFormat::PageRecordsOffset));
        HDBFormat::unscramble(bytes.get(), got, m_codeword);

        HDBPageInfo info;
        info.readable = readable;
        info.count = HDBFormat::readLE32(bytes.get() + HDBFormat::PageCountOffset);
        if (info.count > HDBFormat::MaxPageRecords)
            return {};
        if (info.count > 0 && HDBFormat::PageRecordsOffset + info.count * m_recordSize > readable)
            return {};
        std::int64_t total = 0;
        for (std::uint32_t i = 0; i <= info.count; ++i) {
            const std::uint32_t child = HDBFormat::readLE32(bytes.get() + HDBFormat::PageChildOffset + 4 * i);
            const std::uint32_t count = HDBFormat::readLE32(bytes.get() + HDBFormat::PageSubtreeOffset + 4 * i);
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
        page = cache.insert(m_id, offset, std::move(bytes), size, info, got);
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

bool HDBFile::copyOut(const HDBPageCache::Page& page, std::size_t at, std::size_t size, std::uint8_t* out,
                      std::vector<SumPoint>* known) const {
    // Below this distance the page is unscrambled up to the bytes as usual:
    // records read one after the other then cost nothing more. Inner pages
    // are few and are passed by every search, so they are unscrambled once
    // and for all; the many leaves are mostly read once before they leave
    // the cache.
    constexpr std::size_t SkipFrom = 4096;
    const std::size_t ready = page.ready();
    const std::size_t end = at + size;
    if (end <= ready || !m_map || m_codeword.empty() || !page.info().leaf || at < ready + SkipFrom) {
        if (!ensure(page, end))
            return false;
        // Records of no bytes have no buffer to copy into.
        if (size > 0)
            std::memcpy(out, page.data() + at, size);
        return true;
    }
    if (end > page.info().readable || page.offset() + end > m_fileSize)
        return false;
    // The running sum before `at`: that of the ready part, recovered from
    // its last plain byte, plus the stored bytes up to `at`.
    const std::size_t m = m_codeword.size();
    std::size_t from = ready;
    std::uint8_t carry = 0;
    if (ready > 0)
        carry = std::uint8_t(page.data()[ready - 1] ^ std::uint8_t(m_codeword[(ready - 1) % m]));
    if (known) {
        for (const SumPoint& p : *known) {
            if (p.at > from && p.at <= at) {
                from = p.at;
                carry = p.sum;
            }
        }
    }
    std::uint8_t between = 0;
    if (!MappedCopy::byteSum(m_map + page.offset() + from, at - from, between))
        return false;
    if (size > 0 && !MappedCopy::copy(out, m_map + page.offset() + at, size))
        return false;
    carry = std::uint8_t(carry + between);
    HDBFormat::unscrambleFrom(out, size, m_codeword, at % m, carry);
    if (known) {
        known->push_back(SumPoint{at, carry});
        if (size > 0)
            known->push_back(SumPoint{end, std::uint8_t(out[size - 1] ^ std::uint8_t(m_codeword[(end - 1) % m]))});
    }
    return true;
}

bool HDBFile::ensure(const HDBPageCache::Page& page, std::size_t end) const {
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
    HDBFormat::unscrambleRange(page.mutableData(), ready, ready + got, m_codeword);
    ready += got;
    return true;
}
