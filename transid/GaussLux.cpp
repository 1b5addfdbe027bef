#include "GaussLux.h"

#include "Ellipsoid.h"
#include "Numeric.h"

#include <cmath>

namespace Transid {

double GaussLux::meridianArc(const Ellipsoid& e, double phi) const {
    return xTM::meridianArc(e, phi) - xTM::meridianArc(e, Lat0 / Rho);
}

bool GaussLux::apply(Coord& c) const {
    const Ellipsoid* e = ellipsoidOf(c);
    if (!e || !bothFinite(c.x, c.y))
        return false;
    double easting, northing;
    // The northing of the bare projection already counts from the origin
    // latitude through the overridden meridian arc.
    forward(*e, c.x - Lon0, c.y, easting, northing);
    easting += FalseEasting;
    northing += FalseNorthing;
    if (!bothFinite(easting, northing))
        return false;
    c.zone = 0;
    c.x = easting;
    c.y = northing;
    return true;
}

bool GaussLux::revert(Coord& c) const {
    const Ellipsoid* e = ellipsoidOf(c);
    if (!e || !bothFinite(c.x, c.y))
        return false;
    double lon, lat;
    // The footpoint series counts from the equator: add back the arc up to the origin.
    const double northing = c.y - FalseNorthing + xTM::meridianArc(*e, Lat0 / Rho);
    inverse(*e, c.x - FalseEasting, northing, lon, lat);
    lon += Lon0;
    if (!bothFinite(lon, lat))
        return false;
    c.zone = 0;
    c.x = lon;
    c.y = lat;
    return true;
}

} // namespace Transid
