#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Layout constants and byte helpers of the HDB database file, shared by the
// reader and the writer.
//
// An HDB file is one B-tree. The 16-byte header (never scrambled) names the
// root page and the field-definition block; every page carries up to 254
// fixed-size records in key order plus, for each of its n + 1 children, the
// child's file offset and the number of records in the child's whole subtree.
namespace HDBFormat {

constexpr std::uint32_t Magic = 0x1A424448; // "HDB" followed by 0x1A
constexpr std::size_t HeaderSize = 16;
constexpr std::size_t FieldBlockOffset = 16;

constexpr std::uint32_t MaxPageRecords = 254;
constexpr std::size_t PageCountOffset = 4;
constexpr std::size_t PageChildOffset = 8;      // 4 × (n + 1) child page offsets
constexpr std::size_t PageSubtreeOffset = 1028; // 4 × (n + 1) subtree record counts
constexpr std::size_t PageRecordsOffset = 2048;

// Even a tree holding one record per page and 2^32 records is 32 levels deep;
// anything deeper is a damaged file (typically a child pointing back at an
// ancestor) and is refused rather than followed.
constexpr int MaxTreeDepth = 40;

// Field types of the field-definition block.
enum FieldType : std::uint8_t {
    TypeNumber = 3,
    TypeText = 7,
    TypeByte = 8,
};

// Every page is read as this many bytes, whatever its record count.
constexpr std::size_t pageReadSize(std::size_t recordSize) {
    return PageRecordsOffset + MaxPageRecords * recordSize;
}

inline std::uint32_t readLE32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

inline void writeLE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

// Turns stored bytes into plain bytes in place: first a running sum
// (b[k] += b[k-1], using the updated b[k-1]), then XOR with the code word,
// which starts again at its first byte for every block. An empty code word
// leaves the bytes as stored.
void unscramble(std::uint8_t* data, std::size_t size, std::string_view codeword);

// The same for bytes from … size − 1 of a block whose bytes 0 … from − 1
// are already plain: the running sum goes on from there.
void unscrambleRange(std::uint8_t* data, std::size_t from, std::size_t size, std::string_view codeword);

// A code word laid out once so that bytes taken from anywhere inside a block
// can be unscrambled without setting it up again for every record.
class CodewordPattern {
public:
    explicit CodewordPattern(std::string_view codeword);
    const std::string& codeword() const { return m_codeword; }
    bool empty() const { return m_codeword.empty(); }
    std::size_t period() const { return m_codeword.size(); }
    // Bytes at phase p … p + 15 (p below the period) where the period is at
    // most 64; none otherwise.
    const std::uint8_t* at(std::size_t phase) const { return m_wide ? nullptr : m_bytes + phase; }

private:
    std::string m_codeword;
    std::uint8_t m_bytes[64 + 16] = {};
    bool m_wide = false;
};

// Unscrambles `size` stored bytes taken from inside a block: `phase` is the
// position of the first one in the block modulo the code word's length and
// `carry` the running sum of the block's stored bytes before it.
void unscrambleFrom(std::uint8_t* data, std::size_t size, const CodewordPattern& codeword, std::size_t phase,
                    std::uint8_t carry);

// The inverse of unscramble(): plain bytes to stored bytes.
void scramble(std::uint8_t* data, std::size_t size, std::string_view codeword);

} // namespace HDBFormat
