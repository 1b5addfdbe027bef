#include "HDBWriter.h"

#include "HDBFile.h"
#include "HDBFormat.h"
#include "RowField.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Records a subtree of `height` pages can hold: 254 per page, 255 children.
std::uint64_t capacity(int height) {
    std::uint64_t c = HDBFormat::MaxPageRecords;
    for (int h = 1; h < height; ++h)
        c = HDBFormat::MaxPageRecords + (HDBFormat::MaxPageRecords + 1) * c;
    return c;
}

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool parseInteger(const std::string& text, std::int64_t& out) {
    const std::string t = trimmed(text);
    if (t.empty()) {
        out = 0;
        return true;
    }
    const char* begin = t.data() + (t[0] == '+' ? 1 : 0);
    const auto res = std::from_chars(begin, t.data() + t.size(), out);
    return res.ec == std::errc() && res.ptr == t.data() + t.size();
}

} // namespace

HDBWriter::HDBWriter(std::vector<HDBFieldDef> fields, std::string codeword)
    : m_fields(std::move(fields)), m_codeword(std::move(codeword)) {
    if (m_fields.empty()) {
        fail("no fields");
        return;
    }
    for (const HDBFieldDef& def : m_fields) {
        if (def.name.empty() || def.name.find('\0') != std::string::npos) {
            fail("field name empty or holding a zero byte");
            return;
        }
        bool known = false;
        const std::size_t size = RowField::storedSize(def, &known);
        if (!known) {
            fail("field " + def.name + ": unknown type " + std::to_string(def.type));
            return;
        }
        m_offsets.push_back(m_recordSize);
        m_sizes.push_back(size);
        m_recordSize += size;
    }
    if (m_recordSize == 0 || m_recordSize > HDBFile::MaxRecordSize) {
        fail("record size " + std::to_string(m_recordSize) + " out of range");
        return;
    }
    m_valid = true;
}

bool HDBWriter::fail(std::string message) {
    m_error = std::move(message);
    return false;
}

bool HDBWriter::encodeValue(std::size_t index, const Value& value, std::uint8_t* out) {
    const HDBFieldDef& def = m_fields.at(index);
    const std::size_t size = m_sizes[index];
    std::memset(out, 0, size);
    if (std::holds_alternative<std::monostate>(value))
        return true;
    const bool integerField = def.type == HDBFormat::TypeByte ||
                              (def.type == HDBFormat::TypeNumber && def.decimals == 0 && def.length < 10);
    if (integerField) {
        std::int64_t v = 0;
        if (const auto* i = std::get_if<std::int64_t>(&value)) {
            v = *i;
        } else if (const auto* d = std::get_if<double>(&value)) {
            if (!(std::trunc(*d) == *d && std::fabs(*d) < 9.2e18))
                return fail("field " + def.name + ": not an integer");
            v = std::int64_t(*d);
        } else if (!parseInteger(std::get<std::string>(value), v)) {
            return fail("field " + def.name + ": not an integer: " + std::get<std::string>(value));
        }
        const std::uint64_t limit = size >= 4 ? 0xFFFFFFFFull : (1ull << (8 * size)) - 1;
        if (v < 0 || std::uint64_t(v) > limit)
            return fail("field " + def.name + ": " + std::to_string(v) + " out of range 0.." + std::to_string(limit));
        for (std::size_t k = 0; k < size; ++k)
            out[size - 1 - k] = std::uint8_t(std::uint64_t(v) >> (8 * k));
        return true;
    }
    std::string text;
    if (const auto* s = std::get_if<std::string>(&value)) {
        text = *s;
    } else {
        char buf[64];
        std::to_chars_result res{};
        if (const auto* i = std::get_if<std::int64_t>(&value))
            res = std::to_chars(buf, buf + sizeof buf, *i);
        else if (def.type == HDBFormat::TypeNumber)
            res = std::to_chars(buf, buf + sizeof buf, std::get<double>(value), std::chars_format::fixed,
                                int(def.decimals));
        else
            res = std::to_chars(buf, buf + sizeof buf, std::get<double>(value));
        if (res.ec != std::errc())
            return fail("field " + def.name + ": number cannot be written");
        text.assign(buf, res.ptr);
        // Numbers stand right-aligned in a number field, as such files hold them.
        if (def.type == HDBFormat::TypeNumber && text.size() < size)
            text.insert(0, size - text.size(), ' ');
    }
    if (text.size() > size)
        return fail("field " + def.name + ": \"" + text + "\" longer than " + std::to_string(size) + " characters");
    std::memcpy(out, text.data(), text.size());
    return true;
}

bool HDBWriter::addRecord(const std::vector<Value>& values) {
    if (!m_valid)
        return false;
    if (values.size() != m_fields.size())
        return fail("record with " + std::to_string(values.size()) + " values for " + std::to_string(m_fields.size()) +
                    " fields");
    const std::size_t start = m_records.size();
    m_records.resize(start + m_recordSize);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!encodeValue(i, values[i], m_records.data() + start + m_offsets[i])) {
            m_records.resize(start);
            return false;
        }
    }
    return true;
}

bool HDBWriter::addRawRecord(const void* bytes, std::size_t size) {
    if (!m_valid)
        return false;
    if (size != m_recordSize)
        return fail("raw record of " + std::to_string(size) + " bytes, records have " + std::to_string(m_recordSize));
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    m_records.insert(m_records.end(), p, p + size);
    return true;
}

void HDBWriter::sortRecords() {
    const std::size_t size = m_recordSize;
    const std::size_t count = m_records.size() / size;
    const std::uint8_t* data = m_records.data();
    auto less = [data, size](std::size_t a, std::size_t b) {
        return std::memcmp(data + a * size, data + b * size, size) < 0;
    };
    bool sorted = true;
    for (std::size_t i = 1; i < count && sorted; ++i)
        sorted = !less(i, i - 1);
    if (sorted)
        return;
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), less);
    std::vector<std::uint8_t> out(m_records.size());
    for (std::size_t i = 0; i < count; ++i)
        std::memcpy(out.data() + i * size, data + order[i] * size, size);
    m_records.swap(out);
}

bool HDBWriter::emitBlock(const Sink& sink, std::vector<std::uint8_t>& block, std::uint32_t& offset) {
    if (m_written + block.size() > 0xFFFFFFFFull)
        return fail("the file would exceed 4 GiB");
    offset = std::uint32_t(m_written);
    HDBFormat::scramble(block.data(), block.size(), m_codeword);
    if (!sink(block.data(), block.size()))
        return fail("write error");
    m_written += block.size();
    return true;
}

// Writes the subtree of records first … first + count − 1 with the given
// height (children before their parent) and returns its root's offset.
bool HDBWriter::buildTree(const Sink& sink, std::size_t first, std::size_t count, int height, std::uint32_t& offset) {
    const std::size_t size = m_recordSize;
    std::vector<std::uint32_t> children;
    std::vector<std::uint32_t> counts;
    std::vector<std::size_t> own; // record indices stored in this page
    if (height == 1) {
        for (std::size_t i = 0; i < count; ++i)
            own.push_back(first + i);
        children.assign(count + 1, 0);
        counts.assign(count + 1, 0);
    } else {
        const std::uint64_t below = capacity(height - 1);
        const std::size_t m = std::size_t((count + 1 + below) / (below + 1)); // children
        const std::size_t inChildren = count - (m - 1);
        std::size_t pos = first;
        for (std::size_t j = 0; j < m; ++j) {
            const std::size_t n = inChildren / m + (j < inChildren % m ? 1 : 0);
            std::uint32_t child = 0;
            if (!buildTree(sink, pos, n, height - 1, child))
                return false;
            children.push_back(child);
            counts.push_back(std::uint32_t(n));
            pos += n;
            if (j + 1 < m)
                own.push_back(pos++);
        }
    }
    const std::size_t n = own.size();
    // The last page of the file (the root) is padded to the full page size,
    // so that even a reader that insists on whole pages reads it.
    const bool last = first == 0 && count == m_records.size() / size;
    std::vector<std::uint8_t> page(last ? HDBFormat::pageReadSize(size) : HDBFormat::PageRecordsOffset + n * size, 0);
    HDBFormat::writeLE32(page.data() + HDBFormat::PageCountOffset, std::uint32_t(n));
    for (std::size_t i = 0; i <= n; ++i) {
        HDBFormat::writeLE32(page.data() + HDBFormat::PageChildOffset + 4 * i, children[i]);
        HDBFormat::writeLE32(page.data() + HDBFormat::PageSubtreeOffset + 4 * i, counts[i]);
    }
    for (std::size_t i = 0; i < n; ++i)
        std::memcpy(page.data() + HDBFormat::PageRecordsOffset + i * size, m_records.data() + own[i] * size, size);
    return emitBlock(sink, page, offset);
}

bool HDBWriter::build(const Sink& sink, std::uint32_t& root) {
    if (!m_valid)
        return false;
    const std::size_t count = m_records.size() / m_recordSize;
    if (count >= 0x7FFFFFFF)
        return fail("too many records");
    sortRecords();

    std::vector<std::uint8_t> block;
    for (const HDBFieldDef& def : m_fields) {
        block.insert(block.end(), def.name.begin(), def.name.end());
        const std::uint8_t entry[6] = {0, 0, 0, def.type, def.length, def.decimals};
        block.insert(block.end(), entry, entry + 6);
    }
    int height = 1;
    while (capacity(height) < count)
        ++height;

    // The root is written last, so its offset is known only at the end; the
    // caller puts it into the header (which is never scrambled) afterwards.
    std::vector<std::uint8_t> header(HDBFormat::HeaderSize);
    HDBFormat::writeLE32(header.data(), HDBFormat::Magic);
    HDBFormat::writeLE32(header.data() + 8, std::uint32_t(m_fields.size()));
    HDBFormat::writeLE32(header.data() + 12, std::uint32_t(block.size()));
    if (!sink(header.data(), header.size()))
        return fail("write error");
    HDBFormat::scramble(block.data(), block.size(), m_codeword);
    if (!sink(block.data(), block.size()))
        return fail("write error");
    m_written = HDBFormat::HeaderSize + block.size();
    return buildTree(sink, 0, count, height, root);
}

std::vector<std::uint8_t> HDBWriter::toBytes() {
    std::vector<std::uint8_t> out;
    std::uint32_t root = 0;
    if (!build(
            [&out](const std::uint8_t* p, std::size_t n) {
                out.insert(out.end(), p, p + n);
                return true;
            },
            root))
        return {};
    HDBFormat::writeLE32(out.data() + 4, root);
    return out;
}

bool HDBWriter::write(const std::string& path) {
    if (!m_valid)
        return false;
    std::string tmp = path + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return fail("cannot create a file beside " + path);
    ::fchmod(fd, 0644);
    std::FILE* out = ::fdopen(fd, "wb");
    if (!out) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return fail("cannot write " + tmp);
    }
    std::uint32_t root = 0;
    const bool built =
        build([out](const std::uint8_t* p, std::size_t n) { return std::fwrite(p, 1, n, out) == n; }, root);
    std::uint8_t rootBytes[4];
    HDBFormat::writeLE32(rootBytes, root);
    const bool flushed = std::fflush(out) == 0 && ::pwrite(fd, rootBytes, 4, 4) == 4 && ::fdatasync(fd) == 0;
    const bool closed = std::fclose(out) == 0;
    if (!built || !flushed || !closed) {
        ::unlink(tmp.c_str());
        if (built)
            fail("write error on " + tmp);
        return false;
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return fail("cannot rename " + tmp + " to " + path);
    }
    return true;
}
