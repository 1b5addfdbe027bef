#pragma once

#include "ExternalCoordHook.h"
#include "IdRegistry.h"
#include "MapGeoreference.h"

#include <cstdint>

namespace MapCoords {

// What the conversion needs from a map handle.
class CoordMap {
public:
    virtual ~CoordMap() = default;
    // The pixel ↔ native rule of the map at its current zoom.
    virtual const MapGeoreference& georeference() const = 0;
    // An attached external hook replaces that rule entirely; null when none.
    virtual ExternalCoordHook externalCoordHook() const = 0;
};

struct PixelOffset {
    double x = 0.0;
    double y = 0.0;
};

// What the conversion needs from a map window of the library's window class.
class CoordWindow {
public:
    virtual ~CoordWindow() = default;
    // Id of the window's current map; 0 when it shows none.
    virtual uint32_t mapId() const = 0;
    // The display pixel of the map drawn at the client area's top left corner.
    virtual PixelOffset drawnOrigin() const = 0;
};

// What the conversion needs from a drawing surface: which window it was
// recorded for while that window paints or holds it, or which print job's
// map it carries and where that map's pixel (0, 0) lies on it.
class CoordSurface {
public:
    enum class Kind { Unknown, Window, PrintJob };
    struct Binding {
        Kind kind = Kind::Unknown;
        uint32_t id = 0;    // window id, or the print job's map id
        PixelOffset offset; // print jobs: surface point + offset = map display pixel
    };
    virtual ~CoordSurface() = default;
    virtual Binding binding() const = 0;
};

// Looks the ids of a Coord up. Null for an id that names nothing.
class CoordResolver {
public:
    virtual ~CoordResolver() = default;
    virtual const CoordMap* map(uint32_t id) const = 0;
    virtual const CoordWindow* window(uint32_t id) const = 0;
    virtual const CoordSurface* surface(uint32_t id) const = 0;
};

// A resolver over the library's three id registries, whatever concrete
// classes they hold.
template <typename MapT, typename WindowT, typename SurfaceT> class RegistryResolver final : public CoordResolver {
public:
    RegistryResolver(const IdRegistry<MapT>& maps, const IdRegistry<WindowT>& windows,
                     const IdRegistry<SurfaceT>& surfaces)
        : m_maps(maps), m_windows(windows), m_surfaces(surfaces) {}

    const CoordMap* map(uint32_t id) const override { return m_maps.find(id); }
    const CoordWindow* window(uint32_t id) const override { return m_windows.find(id); }
    const CoordSurface* surface(uint32_t id) const override { return m_surfaces.find(id); }

private:
    const IdRegistry<MapT>& m_maps;
    const IdRegistry<WindowT>& m_windows;
    const IdRegistry<SurfaceT>& m_surfaces;
};

} // namespace MapCoords
