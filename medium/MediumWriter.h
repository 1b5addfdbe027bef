#pragma once

#include "MapRenderer.h"
#include "World.h"

#include <QString>

#include <functional>
#include <string>

// Writes a complete data medium for a world into a directory:
//   KARTEN/CD.TXT, KARTEN/AREAn330.TLM (regional map), KARTEN/UEB_0250.TLM,
//   KARTEN/UEB_1600.TLM, KARTEN/OV_LAND.TLM, KARTEN/OV_CD.TLM,
//   DATEN/dgm2.tlm, DATEN/dgm3.tlm, DATEN/WOPLA1.HDB, DATEN/WOPLA2.HDB,
//   DATEN/TopInfo.HDB, DATEN/GRENZ1..3.HDB, DATEN/INFO/*.html,
//   SYMBOLE/*.bmp, BILDER/TITEL.BMP.
// Every file is written under a temporary name and renamed when complete.
class MediumWriter {
public:
    // The code word the databases of the product are scrambled with.
    static constexpr const char* CodeWord = "Kennmark";
    // Metres between the nodes of the elevation models.
    static constexpr double DemSpacing = 40.0;

    MediumWriter(const World& world, QString directory);

    // Progress lines ("KARTEN/UEB_0250.TLM 2560 x 3040") go here when set.
    std::function<void(const QString&)> progress;

    bool write();
    const QString& errorString() const { return m_error; }

    // File name of the regional map for a CD number.
    static QString regionalMapName(int cdNumber);
    // Path of a file on the medium (`relative` with "/" separators).
    QString path(const QString& relative) const;

    // The box of an elevation model of strip `zone` (edges in that strip's
    // metres, on the 40 m lattice) that covers the region.
    GkBox demBox(int zone) const;

private:
    bool fail(const QString& message);
    bool writeStartFile();
    bool writeMap(const MapSpec& spec, const QString& relative, bool chunked, uint32_t compression);
    bool writeDem(int zone, const QString& relative);
    bool writePlaces();
    bool writePois();
    bool writeBoundaries();
    bool writeSymbols();
    bool writeTitle();
    bool writeAutoload();

    const World& m_world;
    QString m_dir;
    QString m_error;
};
