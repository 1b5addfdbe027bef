#pragma once

#include <QString>

#include <string>
#include <vector>

// The two place tables of a medium, written with the project's HDB writer:
// WOPLA1 ordered by municipality, WOPLA2 by municipality part, each record
// naming the same place's record number in the other table.
namespace PlaceTables {

struct Place {
    std::string ort, teil; // 8-bit, in capitals as stored
    double easting = 0, northing = 0;
};

// Writes `directory`/WOPLA1.HDB and WOPLA2.HDB; false when that fails.
bool write(const QString& directory, const std::vector<Place>& places);

// Only WOPLA1, with its "RELATION" values as given (for damaged tables).
bool writeRaw(const QString& path, const std::vector<Place>& places, const std::vector<long>& relations);

} // namespace PlaceTables
