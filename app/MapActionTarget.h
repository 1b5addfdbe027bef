#pragma once

#include "MapSequenceInfo.h"

class MapFunction;
class TTolmWindow;
class QWidget;

// What the map-dependent actions of the menu and the toolbar need from the
// map window module and the map sequence. The map window module provides it
// and installs it; until then there is no map and those actions are disabled
// or do nothing.
class MapActionTarget {
public:
    virtual ~MapActionTarget();

    // The installed target, none before the map window module exists.
    static MapActionTarget* instance();
    static void setInstance(MapActionTarget* target);

    // The main map window, none while the map page has no content yet.
    virtual TTolmWindow* window() const = 0;

    // Zoom as a magnification (1.0 = the map's own pixels), 0.0 without window.
    virtual double zoom() const = 0;
    // Zooms about the current centre, clamped to the limits.
    virtual void setZoom(double zoom) = 0;
    virtual double minZoom() const = 0;
    // 0 or less: no upper limit.
    virtual double maxZoom() const = 0;

    // Dimmer value 0..255 (255 = full brightness).
    virtual int dimmerValue() const = 0;
    virtual void setDimmerValue(int value) = 0;
    virtual void repaint() = 0;

    virtual MapFunction* activeMapFunction() const = 0;
    virtual void activateMapFunction(MapFunction* function) = 0;

    // The map sequence: maps numbered from 1; 0 = none of them is shown.
    virtual int mapCount() const = 0;
    virtual int currentMapNumber() const = 0;
    virtual void selectMap(int number) = 0;
    // Shows the map of an entry (keeping the remembered position).
    virtual void showMap(const Modul::Kartenfolge::Info& entry, bool showPage) = 0;
    // True while the window shows the entry's map.
    virtual bool isShownMap(const Modul::Kartenfolge::Info& entry) const = 0;
};
