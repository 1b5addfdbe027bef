#include "AnsiStringField.h"

#include "HDBRecords.h"

#include <Cp1252.h>

AnsiStringField::AnsiStringField(const HDBRecords& cursor, std::string_view name)
    : m_cursor(cursor), m_field(cursor.file()->fieldByName(name)) {}

std::string AnsiStringField::bytes() const {
    std::string out;
    if (!m_field || m_field->getString(m_cursor, out) != RowField::Ok)
        return {};
    return out;
}

QString AnsiStringField::text() const {
    return Cp1252::decode(bytes());
}
