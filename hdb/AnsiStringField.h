#pragma once

#include <QString>

#include <string>
#include <string_view>

class HDBRecords;
class RowField;

// A field of a cursor found by name (exact, case-sensitive, first match),
// read as text from the cursor's current record: a text field as stored, a
// number-as-text field as its text, an integer field in decimal. An unknown
// name reads as empty text.
class AnsiStringField {
public:
    AnsiStringField(const HDBRecords& cursor, std::string_view name);

    bool isValid() const { return m_field != nullptr; }
    const RowField* field() const { return m_field; }
    // The stored 8-bit text.
    std::string bytes() const;
    // The text decoded from Windows-1252.
    QString text() const;
    operator QString() const { return text(); }

private:
    const HDBRecords& m_cursor;
    const RowField* m_field;
};
