#pragma once

#include "Coord.h"
#include "MapEvents.h"

#include <QString>

#include <cstdint>
#include <optional>

class QWidget;
class TTolmWindow;

// The single owner of the main map: it places the map window on the page
// "Karte", keeps the zoom limits and the remembered position, owns the map
// event listeners and offers every other module one interface for which map
// is shown, where and how large. Other modules use it only through this
// interface; the one instance is created at start-up.
class MapWindowModule {
public:
    virtual ~MapWindowModule();

    // None before start-up created it.
    static MapWindowModule* instance();

    // --- the interface, in slot order ---
    // Activates the default map function when none is active.
    virtual void Start() = 0;
    // The map window of the tab card; none while the card does not exist.
    virtual TTolmWindow* Window() const = 0;
    // The same window as a control (cursor, capture).
    virtual QWidget* WindowControl() const = 0;
    // Brings the page "Karte" to the front (creating its content) and returns the window.
    virtual TTolmWindow* ShowMapPage() = 0;
    virtual QString MapPath() const = 0;
    // Opens the map keeping the current centre.
    virtual void SetMapPath(const QString& path, bool showPage) = 0;
    virtual bool Position(Coord& out, int alignment) const = 0;
    virtual void SetCentre(const Coord& position, bool showPage) = 0;
    // 0.0 without window.
    virtual double Zoom() const = 0;
    // Clamped to MinZoom .. MaxZoom (no upper limit when MaxZoom <= 0).
    virtual void SetZoom(double zoom, const std::optional<Coord>& centre) = 0;
    // Empty path: only zoom and centre.
    virtual void SetMap(const QString& path, double zoom, const std::optional<Coord>& centre, bool showPage) = 0;
    virtual bool Transform(const Coord& from, Coord& to) const = 0;
    // E_FAIL (0x80004005) without window.
    virtual int32_t TransformEx(const Coord& from, Coord& to) const = 0;
    // Something drawn on the map changed: invalidates the window, if any.
    // Layers that keep a picture of what they drew draw it anew.
    void Repaint() {
        ++m_pictureRevision;
        RepaintWindow();
    }
    // Counts the calls of Repaint(): a picture kept by a layer is good while
    // this stays the same (and the view does).
    uint64_t PictureRevision() const { return m_pictureRevision; }

    // --- published properties ---
    double MinZoom = 0.125;
    double MaxZoom = 8.0;   // 0 or less: no upper limit
    double DefCoordX = 0.0; // remembered position, Gauss-Krüger northing
    double DefCoordY = 0.0; // remembered position, Gauss-Krüger easting
    bool DefCoordDynamic = true;

    // None when DefCoordX and DefCoordY are both 0.0; else Gauss-Krüger (type 1).
    std::optional<Coord> RememberedPosition() const;
    // Converts the position to Gauss-Krüger and keeps it; false when that fails.
    bool Remember(const std::optional<Coord>& position);

    MapEventListenerList& Listeners() { return m_listeners; }

protected:
    MapWindowModule();
    // Invalidates the window, if any.
    virtual void RepaintWindow() = 0;

private:
    MapEventListenerList m_listeners;
    uint64_t m_pictureRevision = 0;
};
