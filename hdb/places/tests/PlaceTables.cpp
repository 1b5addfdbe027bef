#include "PlaceTables.h"

#include "HDBFormat.h"
#include "HDBWriter.h"

#include <QDir>

#include <algorithm>
#include <tuple>

namespace PlaceTables {

namespace {

bool writeTable(const QString& path, bool partFirst, const std::vector<Place>& places,
                const std::vector<long>& relations) {
    const HDBFieldDef ort{"ORT", HDBFormat::TypeText, 40, 0};
    const HDBFieldDef teil{"ORTS_TEIL", HDBFormat::TypeText, 40, 0};
    std::vector<HDBFieldDef> fields =
        partFirst ? std::vector<HDBFieldDef>{teil, ort} : std::vector<HDBFieldDef>{ort, teil};
    fields.push_back({"RELATION", HDBFormat::TypeNumber, 7, 0});
    fields.push_back({"R_WERT", HDBFormat::TypeNumber, 10, 1});
    fields.push_back({"H_WERT", HDBFormat::TypeNumber, 10, 1});
    HDBWriter w(fields, "Kennmark");
    for (std::size_t i = 0; i < places.size(); ++i) {
        const Place& p = places[i];
        if (!w.addRecord({partFirst ? p.teil : p.ort, partFirst ? p.ort : p.teil, std::int64_t(relations[i]), p.easting,
                          p.northing}))
            return false;
    }
    return w.write(path.toStdString());
}

} // namespace

bool write(const QString& directory, const std::vector<Place>& places) {
    QDir().mkpath(directory);
    std::vector<std::size_t> by1(places.size()), by2(places.size());
    for (std::size_t i = 0; i < places.size(); ++i)
        by1[i] = by2[i] = i;
    std::sort(by1.begin(), by1.end(), [&](std::size_t a, std::size_t b) {
        return std::tie(places[a].ort, places[a].teil) < std::tie(places[b].ort, places[b].teil);
    });
    std::sort(by2.begin(), by2.end(), [&](std::size_t a, std::size_t b) {
        return std::tie(places[a].teil, places[a].ort) < std::tie(places[b].teil, places[b].ort);
    });
    std::vector<long> in1(places.size()), in2(places.size());
    for (std::size_t r = 0; r < places.size(); ++r) {
        in1[by1[r]] = long(r + 1);
        in2[by2[r]] = long(r + 1);
    }
    return writeTable(QDir(directory).filePath("WOPLA1.HDB"), false, places, in2) &&
           writeTable(QDir(directory).filePath("WOPLA2.HDB"), true, places, in1);
}

bool writeRaw(const QString& path, const std::vector<Place>& places, const std::vector<long>& relations) {
    return writeTable(path, false, places, relations);
}

} // namespace PlaceTables
