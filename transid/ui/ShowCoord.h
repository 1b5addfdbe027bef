#pragma once

#include "Coord.h"

#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>

class MapCoordListener;
class QStatusBar;

namespace Modul {

// The coordinate display: while the mouse moves over the map, the main
// window's status bar shows the position under it in one projected and one
// geographic system of the user's choice. The choice lives as long as the
// program runs.
class ShowCoord {
public:
    enum Projected { ProjectedNone = 0, ProjectedGaussKrueger = 1, ProjectedEd50Utm = 2, ProjectedEtrs89Utm = 3 };
    enum Geographic { GeographicNone = 0, GeographicDhdn = 1, GeographicEd50 = 2, GeographicEtrs89 = 3 };

    struct Settings {
        int projected = ProjectedGaussKrueger;
        int geographic = GeographicDhdn;
        // The Gauss-Krüger strip asked from the map; 0 = the map's own.
        uint32_t gaussKruegerZone = 0;
    };

    // Builds the coordinate registry and starts listening to the map; the
    // text goes to this status bar.
    explicit ShowCoord(QStatusBar* statusBar);
    ~ShowCoord();
    ShowCoord(const ShowCoord&) = delete;
    ShowCoord& operator=(const ShowCoord&) = delete;

    // The module made by the start-up; none before.
    static ShowCoord* instance();
    // Makes the module of the program (replacing an earlier one).
    static ShowCoord* create(QStatusBar* statusBar);

    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    MapCoordListener* listener() const { return m_listener.get(); }

    // Shows the text for a map library Gauss-Krüger position (a = northing,
    // b = easting) in the status bar.
    void show(const Coord& gaussKrueger);

    // The status text for a map library Gauss-Krüger position; empty when
    // both choices are "none". A system the position cannot be converted
    // into is left out.
    static QString statusText(const Coord& gaussKrueger, const Settings& settings);
    // Degrees, minutes and seconds with one decimal of a second ("49° 30'
    // 00,0" N"); the first letter for values >= 0, the second for negative.
    static QString degMinSec(double value, const char letters[2]);
    // Registry code and name of a geographic choice; 0 and null for none.
    static uint32_t geographicCode(int choice);
    static const char* geographicName(int choice);

private:
    Settings m_settings;
    QPointer<QStatusBar> m_statusBar;
    std::unique_ptr<MapCoordListener> m_listener;
};

} // namespace Modul
