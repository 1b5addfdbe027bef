#include "TopInfoTestData.h"

#include "Cp1252.h"
#include "HDBFormat.h"
#include "HDBWriter.h"

#include <QDir>

#include <cmath>

namespace TopInfoTestData {

bool write(const QString& directory, const std::vector<Poi>& pois) {
    QDir().mkpath(directory);
    HDBWriter w({{"KATEGORIE", HDBFormat::TypeText, 1, 0},
                 {"NAME", HDBFormat::TypeText, 60, 0},
                 {"STRASSE", HDBFormat::TypeText, 40, 0},
                 {"PLZORT", HDBFormat::TypeText, 40, 0},
                 {"VORWAHL", HDBFormat::TypeText, 8, 0},
                 {"TELEFON", HDBFormat::TypeText, 12, 0},
                 {"FAX", HDBFormat::TypeText, 12, 0},
                 {"EMAIL", HDBFormat::TypeText, 50, 0},
                 {"X", HDBFormat::TypeNumber, 10, 1},
                 {"Y", HDBFormat::TypeNumber, 10, 1}},
                "Kennmark");
    for (const Poi& p : pois) {
        if (!w.addRecord({p.category, Cp1252::encode(p.name), Cp1252::encode(p.street), Cp1252::encode(p.plzOrt),
                          Cp1252::encode(p.vorwahl), Cp1252::encode(p.telefon), Cp1252::encode(p.fax),
                          Cp1252::encode(p.email), std::round(p.northing * 10) / 10, std::round(p.easting * 10) / 10}))
            return false;
    }
    return w.write(QDir(directory).filePath(QStringLiteral("TopInfo.HDB")).toStdString());
}

std::vector<Poi> fillers(double northing, double easting) {
    std::vector<Poi> pois;
    for (int i = 0; i < 41; ++i) {
        Poi p;
        p.category = i < 30 ? "1" : "2";
        p.name = QStringLiteral("Filler %1").arg(i, 2, 10, QLatin1Char('0'));
        p.northing = northing;
        p.easting = easting;
        pois.push_back(p);
    }
    return pois;
}

} // namespace TopInfoTestData
