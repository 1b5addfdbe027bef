#include "HDBFile.h"

#include "HDBFormat.h"

#include <MediumPath.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads up to `size` bytes at `offset`; returns how many could be read.
std::size_t readAt(int fd, std::uint8_t* data, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, data + done, size - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

} // namespace

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

    std::uint8_t header[HDBFormat::HeaderSize];
    if (readAt(m_fd, header, sizeof header, 0) != sizeof header)
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
    if (readAt(m_fd, block.data(), block.size(), HDBFormat::FieldBlockOffset) != block.size())
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
        // A page is always read at its full size, but the last page of a file
        // may be cut short by the end of the file; what was not read counts as
        // zero bytes, and the page is good as long as its records were read.
        const std::size_t full = HDBFormat::pageReadSize(m_recordSize);
        const std::size_t available = std::size_t(std::min<std::uint64_t>(full, m_fileSize - offset));
        std::vector<std::uint8_t> bytes(std::max(available, HDBFormat::PageRecordsOffset));
        const std::size_t got = readAt(m_fd, bytes.data(), available, offset);
        if (got < HDBFormat::PageChildOffset)
            return {};
        HDBFormat::unscramble(bytes.data(), got, m_codeword);

        HDBPageInfo info;
        info.count = HDBFormat::readLE32(bytes.data() + HDBFormat::PageCountOffset);
        if (info.count > HDBFormat::MaxPageRecords)
            return {};
        if (info.count > 0 && HDBFormat::PageRecordsOffset + info.count * m_recordSize > got)
            return {};
        std::int64_t total = 0;
        for (std::uint32_t i = 0; i <= info.count; ++i) {
            const std::uint32_t child = HDBFormat::readLE32(bytes.data() + HDBFormat::PageChildOffset + 4 * i);
            const std::uint32_t count = HDBFormat::readLE32(bytes.data() + HDBFormat::PageSubtreeOffset + 4 * i);
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
        page = cache.insert(m_id, offset, std::move(bytes), info);
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
