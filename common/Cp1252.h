#pragma once

#include <QString>

#include <string>
#include <string_view>

// Texts on data media, in map layer tables, databases and overlay files are
// 8-bit Windows-1252. This is the one place that converts them.
//
// Decoding never fails: the five byte values that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the C1 control of the
// same number, as Windows itself does, so every byte string survives a
// decode/encode round trip. Encoding replaces characters outside the code page
// with '?'.
namespace Cp1252 {

QString decode(std::string_view bytes);
std::string encode(const QString& text);

// One byte and one character, for tight loops (parsers, field decoders).
char16_t decodeByte(unsigned char byte);
// The byte for `ch`, or -1 when the code page has none.
int encodeChar(char16_t ch);

} // namespace Cp1252
