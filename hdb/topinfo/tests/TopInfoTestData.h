#pragma once

#include <QString>

#include <string>
#include <vector>

// Points-of-interest tables for the tests, written with the project's HDB
// writer in the medium's layout and code word.
namespace TopInfoTestData {

struct Poi {
    std::string category; // "1" … "6"
    QString name;
    QString street, plzOrt, vorwahl, telefon, fax, email;
    double northing = 0, easting = 0;
};

// Writes `directory`/TopInfo.HDB; false when it could not be written.
bool write(const QString& directory, const std::vector<Poi>& pois);

// Thirty sights and eleven youth hostels with filler names, so that the
// first museum is record 42.
std::vector<Poi> fillers(double northing, double easting);

} // namespace TopInfoTestData
