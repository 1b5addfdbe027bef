#pragma once

#include "DataMedium.h"

#include <functional>
#include <vector>

namespace Modul {
class Basis;
}
class TMainWindow;

// The feature modules' part of the start-up sequence. Every module library
// registers its start-up step with a static Registration at the order key of
// its place; the start-up module runs the steps in key order once the
// application object, the data medium and the page frames exist. The order of
// the steps is the order of the menu entries and toolbar buttons, so the keys
// follow the fixed order of creation below.
namespace Startup {

enum Order : int {
    MapWindowModule = 800, // map window module, with the start-up data's default centre
    OverviewModule = 900,
    MapSequenceMaps = 1000,  // the three maps of the sequence
    MapSequenceStart = 1100, // registers the map select actions, shows map 1
    MapChangeButtons = 1200,
    MapLayers = 1210,
    MapDimming = 1220,
    PlaceSearch = 1300,
    PointsOfInterest = 1310,
    BoundaryLines = 1320,
    MapFunctionCenter = 1400,
    MapFunctionZoom = 1410,
    MapFunctionMeasure = 1420,
    MapFunctionObjectClick = 1430,
    CoordinateDisplay = 1500,
    Drawing = 1510,
    CoordinateSystems = 1520,
    OverlayReaders = 1600,
    OverlayWriters = 1610,
    PrintModule = 1700,
    ElevationModel = 1800,
    ElevationProfile = 1810,
    GpsPositionDialog = 1820,
    GpsTrack = 1830,
    HelpContents = 1840,
    About = 1850,
    PrintAction = 1900,
    MapWindowStart = 2000,
    Quit = 2100,
};

struct Context {
    Modul::Basis& basis;
    TMainWindow& mainWindow;
    const DataMedium::StartupData& startupData;
};

struct Step {
    int order;
    const char* name;
    std::function<void(Context&)> run;
};

// Steps sorted by order key; steps with equal keys keep their registration order.
std::vector<Step> steps();

class Registration {
public:
    Registration(int order, const char* name, std::function<void(Context&)> run);
};

} // namespace Startup
