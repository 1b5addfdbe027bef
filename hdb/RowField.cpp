#include "RowField.h"

#include "HDBFormat.h"
#include "HDBRecords.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

RowField::RowField(const HDBFieldDef& def, std::size_t offset, std::size_t size)
    : m_def(def), m_offset(offset), m_size(size) {}

RowField::~RowField() = default;

RowField::Result RowField::getInteger(const HDBRecords&, std::uint32_t&) const {
    return Fail;
}

RowField::Result RowField::getDouble(const HDBRecords& cursor, double& out) const {
    std::uint32_t value = 0;
    if (getInteger(cursor, value) != Ok)
        return Fail;
    out = double(value);
    return Ok;
}

RowField::Result RowField::getString(const HDBRecords&, std::string&) const {
    return Fail;
}

const std::uint8_t* RowField::bytes(const HDBRecords& cursor) const {
    if (!cursor.hasRecord() || m_offset + m_size > cursor.recordSize())
        return nullptr;
    // Fields of no bytes may make the whole record empty: there is no
    // storage, but a valid empty field.
    static const std::uint8_t none = 0;
    return m_size == 0 ? &none : cursor.record() + m_offset;
}

bool RowField::text(const HDBRecords& cursor, std::string& out) const {
    const auto* p = reinterpret_cast<const char*>(bytes(cursor));
    if (!p)
        return false;
    const void* zero = std::memchr(p, 0, m_size);
    out.assign(p, zero ? static_cast<const char*>(zero) - p : m_size);
    return true;
}

std::size_t RowField::storedSize(const HDBFieldDef& def, bool* known) {
    if (known)
        *known = true;
    switch (def.type) {
    case HDBFormat::TypeNumber:
        if (def.decimals == 0 && def.length < 5)
            return 2;
        if (def.decimals == 0 && def.length < 10)
            return 4;
        return def.length;
    case HDBFormat::TypeText:
        return def.length;
    case HDBFormat::TypeByte:
        return 1;
    default:
        if (known)
            *known = false;
        return 0;
    }
}

std::unique_ptr<RowField> RowField::create(const HDBFieldDef& def, std::size_t offset) {
    bool known = false;
    const std::size_t size = storedSize(def, &known);
    if (!known)
        return nullptr;
    if (def.type == HDBFormat::TypeText)
        return std::make_unique<StringField>(def, offset, size);
    if (def.type == HDBFormat::TypeNumber && (def.decimals != 0 || def.length >= 10))
        return std::make_unique<NumberStringField>(def, offset, size);
    return std::make_unique<IntegerField>(def, offset, size);
}

RowField::Result IntegerField::getInteger(const HDBRecords& cursor, std::uint32_t& out) const {
    const std::uint8_t* p = bytes(cursor);
    if (!p)
        return Fail;
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < size(); ++k)
        value = value << 8 | p[k];
    out = value;
    return Ok;
}

RowField::Result IntegerField::getData(const HDBRecords& cursor, HDBValue& out) const {
    std::uint32_t value = 0;
    if (getInteger(cursor, value) != Ok)
        return Fail;
    out = value;
    return Ok;
}

RowField::Result IntegerField::getString(const HDBRecords& cursor, std::string& out) const {
    std::uint32_t value = 0;
    if (getInteger(cursor, value) != Ok)
        return Fail;
    out = std::to_string(value);
    return Ok;
}

bool parseHdbNumber(const std::string& text, double& out) {
    // The process locale may use a decimal comma; stored numbers never do.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = strtod_l(begin, &end, cLocale);
    if (end == begin)
        return false;
    out = value;
    return true;
}

RowField::Result NumberStringField::getDouble(const HDBRecords& cursor, double& out) const {
    std::string value;
    return text(cursor, value) && parseHdbNumber(value, out) ? Ok : Fail;
}

RowField::Result NumberStringField::getData(const HDBRecords& cursor, HDBValue& out) const {
    double value = 0;
    if (getDouble(cursor, value) != Ok)
        return Fail;
    out = value;
    return Ok;
}

RowField::Result NumberStringField::getString(const HDBRecords& cursor, std::string& out) const {
    return text(cursor, out) ? Ok : Fail;
}

RowField::Result StringField::getData(const HDBRecords& cursor, HDBValue& out) const {
    std::string value;
    if (!text(cursor, value))
        return Fail;
    out = std::move(value);
    return Ok;
}

RowField::Result StringField::getString(const HDBRecords& cursor, std::string& out) const {
    return text(cursor, out) ? Ok : Fail;
}
