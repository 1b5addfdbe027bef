#include "UTM.h"

#include "Ellipsoid.h"
#include "Numeric.h"

#include <cmath>

namespace Transid {

namespace {
constexpr double UtmScale = 0.9996;
}

bool UTM::apply(Coord& c) const {
    const Ellipsoid* e = ellipsoidOf(c);
    if (!e || !bothFinite(c.x, c.y))
        return false;
    uint32_t zone = c.zone;
    if (zone == 0 && !zoneFrom(std::floor(c.x / 6.0) + 31.0, zone))
        return false;
    double easting, northing;
    forward(*e, c.x - (6.0 * zone - 183.0), c.y, easting, northing);
    easting = easting * UtmScale + (zone * 1000000.0 + 500000.0);
    northing *= UtmScale;
    if (!bothFinite(easting, northing))
        return false;
    c.zone = zone;
    c.x = easting;
    c.y = northing;
    return true;
}

bool UTM::revert(Coord& c) const {
    const Ellipsoid* e = ellipsoidOf(c);
    if (!e || !bothFinite(c.x, c.y))
        return false;
    uint32_t zone = c.zone;
    if (zone == 0 && !zoneFrom(std::floor(c.x * 0.000001), zone))
        return false;
    double lon, lat;
    inverse(*e, (c.x - (zone * 1000000.0 + 500000.0)) / UtmScale, c.y / UtmScale, lon, lat);
    lon += 6.0 * zone - 183.0;
    if (!bothFinite(lon, lat))
        return false;
    c.zone = zone;
    c.x = lon;
    c.y = lat;
    return true;
}

} // namespace Transid
