#include "PlaceSearchKey.h"

#include "Cp1252.h"
#include "HDBRecords.h"
#include "THDBDataSet.h"

#include <cstring>

namespace PlaceSearchKey {

std::string upperKey(const QString& text, bool sharpSAsSS) {
    std::string key;
    key.reserve(std::size_t(text.size()) + 2);
    for (const QChar ch : text) {
        if (ch == QChar(0xDF)) {
            key += sharpSAsSS ? std::string("SS") : std::string(1, char(0xDF));
            continue;
        }
        // The single-letter capital (ÿ → Ÿ exists in the code page, so it is
        // taken; letters without one stay as they are).
        const char16_t upper = ch.toUpper().unicode();
        int byte = Cp1252::encodeChar(upper);
        if (byte < 0)
            byte = Cp1252::encodeChar(ch.unicode());
        key += char(byte < 0 ? '?' : byte);
    }
    return key;
}

namespace {

bool standsOn(const HDBRecords& cursor, const std::string& key) {
    return !cursor.eof() && cursor.recordSize() >= key.size() &&
           std::memcmp(cursor.record(), key.data(), key.size()) == 0;
}

} // namespace

bool findPlace(THDBDataSet& dataSet, const QString& text) {
    HDBRecords* cursor = dataSet.cursor();
    if (text.isEmpty() || cursor == nullptr)
        return false;
    // Look with the data set's cursor first: moving the data set lets the
    // grid read other records through the same cursor.
    std::string key = upperKey(text, false);
    cursor->findNearest(key, true);
    bool hit = standsOn(*cursor, key);
    if (!hit && text.contains(QChar(0xDF))) {
        const std::string doubled = upperKey(text, true);
        cursor->findNearest(doubled, true);
        if (standsOn(*cursor, doubled)) {
            key = doubled;
            hit = true;
        }
    }
    return dataSet.findNearest(key.c_str()) && hit;
}

} // namespace PlaceSearchKey
