#pragma once

#include "HDBFieldDef.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

// Builds an HDB file from field definitions and records. Records may come in
// any order: they are sorted by their bytes (the leading fields are the key)
// before the tree is built. Pages hold up to 254 records; the tree is as
// shallow as the record count allows and evenly filled. Every block is
// scrambled with the given code word (none: stored plain).
//
//   HDBWriter w({{"ORT", HDBFormat::TypeText, 30}, {"RELATION", HDBFormat::TypeNumber, 6}}, "Kennmark");
//   w.addRecord({std::string("MAINZ"), 17});
//   if (!w.write(path)) report(w.errorString());
class HDBWriter {
public:
    // A value for one field: empty (zero bytes), an integer, a number or
    // 8-bit text. Integer fields take integers, integral numbers or decimal
    // text; number-as-text fields take numbers (written right-aligned with
    // the field's decimals) or text as stored; text fields take text (numbers
    // are written in decimal).
    using Value = std::variant<std::monostate, std::int64_t, double, std::string>;

    explicit HDBWriter(std::vector<HDBFieldDef> fields, std::string codeword = {});

    // False when the field definitions cannot make a file (see errorString()).
    bool isValid() const { return m_valid; }
    const std::string& errorString() const { return m_error; }

    const std::vector<HDBFieldDef>& fields() const { return m_fields; }
    std::size_t recordSize() const { return m_recordSize; }
    std::size_t fieldOffset(std::size_t index) const { return m_offsets.at(index); }
    std::size_t recordCount() const { return m_recordSize ? m_records.size() / m_recordSize : m_count; }

    // One value per field, in definition order. False (with errorString())
    // when a value does not fit its field; the record is then not added.
    bool addRecord(const std::vector<Value>& values);
    // A record exactly as stored (recordSize() bytes).
    bool addRawRecord(const void* bytes, std::size_t size);
    // Encodes one value as the field stores it (for building keys).
    bool encodeValue(std::size_t index, const Value& value, std::uint8_t* out);

    // Writes the file through a temporary file beside `path` and renames it
    // into place, so an existing file survives a failed write.
    bool write(const std::string& path);
    // The whole file in memory.
    std::vector<std::uint8_t> toBytes();

private:
    using Sink = std::function<bool(const std::uint8_t*, std::size_t)>;
    bool build(const Sink& sink, std::uint32_t& root);
    bool buildTree(const Sink& sink, std::size_t first, std::size_t count, int height, std::uint32_t& offset);
    bool emitBlock(const Sink& sink, std::vector<std::uint8_t>& block, std::uint32_t& offset);
    void sortRecords();
    bool fail(std::string message);

    std::vector<HDBFieldDef> m_fields;
    std::vector<std::size_t> m_offsets;
    std::vector<std::size_t> m_sizes;
    std::string m_codeword;
    std::size_t m_recordSize = 0;
    std::vector<std::uint8_t> m_records;
    std::size_t m_count = 0;
    std::uint64_t m_written = 0; // bytes of the file emitted so far
    bool m_valid = false;
    std::string m_error;
};
