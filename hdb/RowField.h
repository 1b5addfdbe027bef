#pragma once

#include "HDBFieldDef.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class HDBRecords;

// A field of an HDB record: its name, its byte offset in the record and its
// size. The subclasses decode the three stored kinds. Every operation reads
// the cursor's current record and reports Ok or Fail; a cursor without a
// current record always gives Fail.
class RowField {
public:
    using Result = std::uint32_t;
    static constexpr Result Ok = 0;
    static constexpr Result Fail = 0x80004005;

    RowField(const HDBFieldDef& def, std::size_t offset, std::size_t size);
    RowField(const RowField&) = delete;
    RowField& operator=(const RowField&) = delete;
    virtual ~RowField();

    // 's' StringField, 'f' NumberStringField, 'd' IntegerField.
    virtual char typeCode() const = 0;
    // The field's natural value: text, double or integer.
    virtual Result getData(const HDBRecords& cursor, HDBValue& out) const = 0;
    virtual Result getInteger(const HDBRecords& cursor, std::uint32_t& out) const;
    // Base: the unsigned value of getInteger().
    virtual Result getDouble(const HDBRecords& cursor, double& out) const;
    // At most size() characters, ended early by a zero byte.
    virtual Result getString(const HDBRecords& cursor, std::string& out) const;

    const std::string& name() const { return m_def.name; }
    const HDBFieldDef& definition() const { return m_def; }
    std::size_t offset() const { return m_offset; }
    std::size_t size() const { return m_size; }

    // The class for a definition entry (offset assigned by the caller), or
    // none for an unknown type, which refuses the whole file.
    static std::unique_ptr<RowField> create(const HDBFieldDef& def, std::size_t offset);
    // Bytes a field of this definition takes in a record; 0 with `known`
    // false for an unknown type.
    static std::size_t storedSize(const HDBFieldDef& def, bool* known = nullptr);

protected:
    // The field's bytes in the cursor's current record; none without a
    // current record or when the field lies beyond the cursor's record.
    const std::uint8_t* bytes(const HDBRecords& cursor) const;
    // The stored text: up to the first zero byte or all size() characters.
    // False without a current record.
    bool text(const HDBRecords& cursor, std::string& out) const;

private:
    HDBFieldDef m_def;
    std::size_t m_offset;
    std::size_t m_size;
};

// Type 3 with no decimals and fewer than 10 digits (2 bytes below 5 digits,
// else 4), or type 8 (1 byte): an unsigned integer, most significant byte first.
class IntegerField : public RowField {
public:
    using RowField::RowField;
    char typeCode() const override { return 'd'; }
    Result getData(const HDBRecords& cursor, HDBValue& out) const override;
    Result getInteger(const HDBRecords& cursor, std::uint32_t& out) const override;
    Result getString(const HDBRecords& cursor, std::string& out) const override;
};

// Type 3 with decimals or 10 and more digits: the number written as text.
class NumberStringField : public RowField {
public:
    using RowField::RowField;
    char typeCode() const override { return 'f'; }
    Result getData(const HDBRecords& cursor, HDBValue& out) const override;
    Result getDouble(const HDBRecords& cursor, double& out) const override;
    Result getString(const HDBRecords& cursor, std::string& out) const override;
};

// Type 7: text of `length` characters, ended early by a zero byte.
class StringField : public RowField {
public:
    using RowField::RowField;
    char typeCode() const override { return 's'; }
    Result getData(const HDBRecords& cursor, HDBValue& out) const override;
    Result getString(const HDBRecords& cursor, std::string& out) const override;
};

// Reads a floating-point number from the start of `text` the way "%g" does
// (leading white space skipped, trailing characters ignored), independent of
// the process locale. False when no number can be read.
bool parseHdbNumber(const std::string& text, double& out);
