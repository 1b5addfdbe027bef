#pragma once

#include <cstdint>
#include <string>
#include <variant>

// One entry of an HDB file's field-definition block, as stored: the name
// (8-bit Windows-1252 text), the type (3 number, 7 text, 8 byte), the number
// of digits or characters, and the number of decimals of a number.
struct HDBFieldDef {
    std::string name;
    std::uint8_t type = 0;
    std::uint8_t length = 0;
    std::uint8_t decimals = 0;
};

// A field's value as the field classes hand it out: nothing, an unsigned
// integer (IntegerField), a floating-point number (NumberStringField) or raw
// 8-bit text (StringField; decode with Cp1252 for display).
using HDBValue = std::variant<std::monostate, std::uint32_t, double, std::string>;
