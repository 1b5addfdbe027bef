#pragma once

#include "TlmWriter.h"

#include <QString>

class QApplication;
class TTolmWindow;

// What the map-window benchmarks share: the application on the offscreen
// platform (which the other benchmarks with windows use too), a generated map of 8000 x 6000 pixels and a 1920 x 1080 map
// window over it.
namespace BenchMap {

constexpr int Width = 8000;
constexpr int Height = 6000;
constexpr int ClientWidth = 1920;
constexpr int ClientHeight = 1080;

// Made on first use (offscreen unless QT_QPA_PLATFORM says otherwise), named
// `name` then, kept until the process ends.
QApplication& application(const char* name = "vistrel_bench");

// Writes the map into a temporary folder that stays until the process ends:
// runs of varying length in 256 colours, like the areas and lines of a map,
// run-length compressed, tied to the ground by `georef` (kind 0: not at
// all). Empty when it could not be written.
QString writePatternMap(const Georeference& georef = {});

// A shown window of the client size without scroll bars, the map open at
// that zoom.
TTolmWindow* openWindow(const QString& map, double zoom = 1.0);

} // namespace BenchMap
