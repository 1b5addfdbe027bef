#include "PlaceKey.h"

#include "Cp1252.h"

namespace PlaceKey {

QString upper(const QString& text) {
    QString result = text;
    for (QChar& c : result) {
        // QChar::toUpper is the one-character mapping: ß stays ß here,
        // where QString::toUpper would write "SS".
        const QChar capital = c.toUpper();
        if (Cp1252::encodeChar(capital.unicode()) >= 0)
            c = capital;
    }
    return result;
}

} // namespace PlaceKey
