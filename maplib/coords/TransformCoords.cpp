#include "TransformCoords.h"

#include "DatumShift.h"
#include "GaussKrueger.h"
#include "Utm.h"

namespace MapCoords {

namespace {

// External hooks may call back into the conversion; a hook that keeps doing
// so for its own handle must end in a status, not in a stack overflow.
constexpr int MaxHookNesting = 16;
thread_local int t_nesting = 0;

void copyRecord(const Coord& s, Coord& t) {
    t.type = s.type;
    t.zone = s.zone;
    t.x = s.x;
    t.y = s.y;
}

Coord record(uint32_t type, uint32_t parameter, double a = 0.0, double b = 0.0) {
    Coord c;
    c.type = type;
    c.zone = parameter;
    c.x = a;
    c.y = b;
    return c;
}

// OR of two non-negative statuses, or the failure.
Status chain(Status first, Status second) {
    return failed(second) ? second : (first | second);
}

class Conversion {
public:
    explicit Conversion(const CoordResolver& resolver) : m_resolver(resolver) {}

    Status convert(const Coord& s, Coord& t) const;

private:
    Status fromSurface(const Coord& s, Coord& t) const;
    Status toSurface(const Coord& s, Coord& t) const;
    Status fromWindow(const Coord& s, Coord& t) const;
    Status toWindow(const Coord& s, Coord& t) const;
    Status fromMapPixel(const Coord& s, Coord& t) const;
    Status toMapPixel(const Coord& s, Coord& t) const;
    Status toGaussKrueger(const Coord& s, Coord& t, bool chooseZone) const;
    Status toUtm(const Coord& s, Coord& t) const;
    Status windowMap(uint32_t windowId, const CoordWindow*& window, uint32_t& mapId) const;

    const CoordResolver& m_resolver;
};

Status Conversion::convert(const Coord& s, Coord& t) const {
    const uint32_t st = baseType(s.type);
    const uint32_t tt = baseType(t.type);

    if ((st == tt && (s.zone == t.zone || st == TypeGeoDhdn || st == TypeGeoWgs84)) ||
        (tt == TypeUnspecified && (s.type & BoundTypeBits) == 0)) {
        copyRecord(s, t);
        return StatusConverted;
    }
    if (st == baseType(TypeSurfacePoint))
        return fromSurface(s, t);
    if (tt == baseType(TypeSurfacePoint))
        return toSurface(s, t);
    if (st == TypeWindowDrawn || st == TypeWindowClient)
        return fromWindow(s, t);
    if (tt == TypeWindowDrawn || tt == TypeWindowClient)
        return toWindow(s, t);
    if (st == TypeMapPixel)
        return fromMapPixel(s, t);
    if (tt == TypeMapPixel)
        return toMapPixel(s, t);
    if (st == TypeGeoWgs84) {
        const DatumShift::Geographic g = DatumShift::wgs84ToDhdn(s.x, s.y);
        return convert(record(TypeGeoDhdn, 0, g.longitude, g.latitude), t);
    }
    if (tt == TypeGeoWgs84) {
        // Conversions into WGS84 are the viewer's coordinate library's job;
        // the target stays as it is.
        return StatusConverted;
    }
    if (st == TypeGaussKrueger) {
        int32_t zone;
        if (!GaussKrueger::zoneOfEasting(s.y, zone))
            return StatusNotProvided;
        const GaussKrueger::Geographic g = GaussKrueger::inverse(s.x, s.y, zone);
        return convert(record(TypeGeoDhdn, 0, g.longitude, g.latitude), t);
    }
    if (tt == TypeGaussKrueger)
        return toGaussKrueger(s, t, t.zone == 0);
    if (tt == TypeUtm)
        return toUtm(s, t);
    return StatusNotProvided;
}

// The surface type's own code has all of bits 4..7 set, so a surface record
// carries no option bits on to the window or pixel it stands for.
Status Conversion::fromSurface(const Coord& s, Coord& t) const {
    const CoordSurface* surface = m_resolver.surface(s.zone);
    if (!surface)
        return StatusUnknownSurface;
    const CoordSurface::Binding b = surface->binding();
    switch (b.kind) {
    case CoordSurface::Kind::Window:
        return convert(record(TypeWindowClient, b.id, s.x, s.y), t);
    case CoordSurface::Kind::PrintJob:
        return convert(record(TypeMapPixel, b.id, s.x + b.offset.x, s.y + b.offset.y), t);
    case CoordSurface::Kind::Unknown:
        break;
    }
    return StatusUnknownSurface;
}

Status Conversion::toSurface(const Coord& s, Coord& t) const {
    const CoordSurface* surface = m_resolver.surface(t.zone);
    if (!surface)
        return StatusUnknownSurface;
    const CoordSurface::Binding b = surface->binding();
    Coord m;
    PixelOffset offset;
    switch (b.kind) {
    case CoordSurface::Kind::Window:
        m = record(TypeWindowClient, b.id);
        break;
    case CoordSurface::Kind::PrintJob:
        m = record(TypeMapPixel, b.id);
        offset = b.offset;
        break;
    case CoordSurface::Kind::Unknown:
        return StatusUnknownSurface;
    }
    const Status status = convert(s, m);
    if (failed(status))
        return status;
    t.x = m.x - offset.x;
    t.y = m.y - offset.y;
    return status;
}

Status Conversion::windowMap(uint32_t windowId, const CoordWindow*& window, uint32_t& mapId) const {
    window = m_resolver.window(windowId);
    if (!window)
        return StatusNotMapWindow;
    mapId = window->mapId();
    if (mapId == 0 || !m_resolver.map(mapId))
        return StatusWindowWithoutMap;
    return StatusConverted;
}

Status Conversion::fromWindow(const Coord& s, Coord& t) const {
    const CoordWindow* window;
    uint32_t mapId;
    const Status found = windowMap(s.zone, window, mapId);
    if (failed(found))
        return found;
    Coord pixel = record(TypeMapPixel | options(s.type), mapId, s.x, s.y);
    if (baseType(s.type) == TypeWindowClient) {
        const PixelOffset origin = window->drawnOrigin();
        pixel.x += origin.x;
        pixel.y += origin.y;
    }
    return convert(pixel, t);
}

Status Conversion::toWindow(const Coord& s, Coord& t) const {
    const CoordWindow* window;
    uint32_t mapId;
    const Status found = windowMap(t.zone, window, mapId);
    if (failed(found))
        return found;
    Coord pixel = record(TypeMapPixel | options(t.type), mapId);
    const Status status = convert(s, pixel);
    if (failed(status))
        return status;
    PixelOffset origin;
    if (baseType(t.type) == TypeWindowClient)
        origin = window->drawnOrigin();
    t.x = pixel.x - origin.x;
    t.y = pixel.y - origin.y;
    return status;
}

Status Conversion::fromMapPixel(const Coord& s, Coord& t) const {
    const CoordMap* map = m_resolver.map(s.zone);
    if (!map)
        return StatusNotProvided;
    if (const ExternalCoordHook hook = map->externalCoordHook()) {
        Coord source = s;
        return hook(&source, &t, HookConvert);
    }
    const MapGeoreference& georef = map->georeference();
    const NativeSystem native = georef.nativeSystem();
    Coord n = record(native.type, static_cast<uint32_t>(native.zone));
    const Status status = georef.pixelToNative(s.x, s.y, options(s.type), n.x, n.y);
    if (failed(status))
        return status;
    return chain(status, convert(n, t));
}

Status Conversion::toMapPixel(const Coord& s, Coord& t) const {
    const CoordMap* map = m_resolver.map(t.zone);
    if (!map)
        return StatusNotProvided;
    if (const ExternalCoordHook hook = map->externalCoordHook()) {
        Coord source = s;
        return hook(&source, &t, HookConvert);
    }
    const MapGeoreference& georef = map->georeference();
    const NativeSystem native = georef.nativeSystem();
    Coord n = record(native.type, static_cast<uint32_t>(native.zone));
    Status status;
    int32_t sourceStrip = 0;
    if (native.type == TypeGaussKrueger && baseType(s.type) == TypeGaussKrueger &&
        GaussKrueger::zoneOfEasting(s.y, sourceStrip) && sourceStrip == native.zone) {
        // A position in the map's own strip (the strip a Gauss-Krüger
        // position belongs to is read from its easting): the way through
        // geographic coordinates would only bring the same values back.
        n.x = s.x;
        n.y = s.y;
        status = StatusConverted;
    } else if (native.type == TypeGaussKrueger && !(baseType(s.type) == TypeGaussKrueger && s.zone == n.zone)) {
        // The map's own strip, even when it is strip 0: a parameter of 0
        // would otherwise mean "choose the nearest strip".
        status = toGaussKrueger(s, n, false);
    } else {
        status = convert(s, n);
    }
    if (failed(status))
        return status;
    return chain(status, georef.nativeToPixel(n.x, n.y, options(t.type), t.x, t.y));
}

Status Conversion::toGaussKrueger(const Coord& s, Coord& t, bool chooseZone) const {
    Coord g = record(TypeGeoDhdn, 0);
    const Status status = convert(s, g);
    if (failed(status))
        return status;
    int32_t zone = static_cast<int32_t>(t.zone);
    if (chooseZone && !GaussKrueger::zoneForLongitude(g.x, zone))
        return StatusNotProvided;
    const GaussKrueger::Projected p = GaussKrueger::forward(g.x, g.y, zone);
    t.zone = static_cast<uint32_t>(zone);
    t.x = p.northing;
    t.y = p.easting;
    return status;
}

Status Conversion::toUtm(const Coord& s, Coord& t) const {
    Coord g = record(TypeGeoDhdn, 0);
    const Status status = convert(s, g);
    if (failed(status))
        return status;
    Utm::Projected p;
    if (!Utm::forward(g.x, g.y, p))
        return StatusNotProvided;
    t.zone = static_cast<uint32_t>(p.zone);
    t.x = p.northing;
    t.y = p.easting;
    return status;
}

} // namespace

Status transformCoordsEx(const CoordResolver& resolver, const Coord& source, Coord& target) {
    if (t_nesting >= MaxHookNesting)
        return StatusNotProvided;
    ++t_nesting;
    const Coord s = source; // source and target may be one record
    const Status status = Conversion(resolver).convert(s, target);
    --t_nesting;
    return status;
}

int transformCoords(const CoordResolver& resolver, const Coord& source, Coord& target) {
    return transformCoordsEx(resolver, source, target) == StatusConverted ? 1 : 0;
}

} // namespace MapCoords
