#include "GaussKrueger.h"

#include "Ellipsoid.h"
#include "Numeric.h"

#include <cmath>

namespace Transid {

bool GaussKrueger::apply(Coord& c) const {
    const Ellipsoid* e = ellipsoidOf(c);
    if (!e || !bothFinite(c.x, c.y))
        return false;
    uint32_t zone = c.zone;
    if (zone == 0 && !zoneFrom(std::floor(c.x / 3.0 + 0.5), zone))
        return false;
    double easting, northing;
    forward(*e, c.x - 3.0 * zone, c.y, easting, northing);
    easting += zone * 1000000.0 + 500000.0;
    if (!bothFinite(easting, northing))
        return false;
    c.zone = zone;
    c.x = easting;
    c.y = northing;
    return true;
}

bool GaussKrueger::revert(Coord& c) const {
    const Ellipsoid* e = ellipsoidOf(c);
    if (!e || !bothFinite(c.x, c.y))
        return false;
    uint32_t zone = c.zone;
    if (zone == 0 && !zoneFrom(std::floor(c.x * 0.000001), zone))
        return false;
    double lon, lat;
    inverse(*e, c.x - (zone * 1000000.0 + 500000.0), c.y, lon, lat);
    lon += 3.0 * zone;
    if (!bothFinite(lon, lat))
        return false;
    c.zone = zone;
    c.x = lon;
    c.y = lat;
    return true;
}

} // namespace Transid
