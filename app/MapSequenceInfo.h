#pragma once

#include <QString>

#include <cstdint>

namespace Modul::Kartenfolge {

// One map of the map sequence, copied into its select action.
struct Info {
    QString caption;         // menu caption: name, tab, scale
    QString mapFile;         // relative names live in the map folder
    QString overviewMapFile; // map shown in the overview beside it
    // First: colour of the view frame in the overview; second: initial scale
    // denominator of the print dialog (0 = the print module's default);
    // third: unused. All 0 at start-up.
    std::int32_t values[3] = {0, 0, 0};
};

} // namespace Modul::Kartenfolge
