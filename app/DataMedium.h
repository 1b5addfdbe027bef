#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QWidget;

// The data medium: where it is, whether a folder is one, and its start-up
// data file KARTEN/CD.TXT.
namespace DataMedium {

// The large-scale topographic map of each regional CD, indexed by the CD
// number minus one; each lives in the map folder of its medium.
inline constexpr std::array<const char*, 5> RegionalMaps = {"AREA1330.TLM", "AREA2330.TLM", "AREA3330.TLM",
                                                            "AREA4330.TLM", "AREA5330.TLM"};

// The map file of a CD number 1..5, empty for any other number.
QString regionalMapFile(int cdNumber);

struct StartupData {
    int cdNumber = 0;
    double easting = 0.0;  // default centre, Gauss-Krüger easting
    double northing = 0.0; // default centre, Gauss-Krüger northing
};

// Three values: the CD number, then easting, then northing, separated by any
// white space. Valid only when all three were read and the CD number is 1..5.
// When invalid, `problem` (if given) gets what is wrong, as a German sentence.
std::optional<StartupData> parseStartupData(const QByteArray& text, QString* problem = nullptr);
// Reads KARTEN/CD.TXT below the root (names matched case-insensitively).
// When that fails, `problem` (if given) gets a German message naming the file
// and what is wrong with it.
std::optional<StartupData> readStartupData(const QString& root, QString* problem = nullptr);

// The machine-wide settings folder ("Windows directory" of the original
// program): VISTREL_SYSCONFDIR, else XDG_CONFIG_HOME, else ~/.config.
QString systemConfigDirectory();
QString iniFilePath();
// The "DataDrive=" value of the section "[Extension]" of VISTREL.ini.
std::optional<QString> readIniDrive(const QString& iniFile);
std::optional<QString> parseIniDrive(const QByteArray& text);

// A folder is a data medium when KARTEN/ below it holds a readable regional map.
bool isAccepted(const QString& root);

struct SearchPlaces {
    QString commandLine;             // --data DIR
    QString environment;             // VISTREL_DATA
    std::optional<QString> iniDrive; // read once, before the first pass
    QStringList mountBases;          // folders whose subfolders are mount points
};

// The places of this machine: the given command-line folder, VISTREL_DATA,
// the ini file and the usual mount folders.
SearchPlaces defaultSearchPlaces(const QString& commandLineRoot);
// The candidate folders of one pass, in the order they are tried.
QStringList candidateRoots(const SearchPlaces& places);

// Tries the candidates; when none is a data medium, asks the user to insert
// one and tries again on OK. Returns the medium's root ending in "/", or
// nothing when the user cancelled.
std::optional<QString> locate(const SearchPlaces& places, QWidget* parent, const QString& caption);

} // namespace DataMedium
