#pragma once

#include "xTM.h"

namespace Transid {

// Luxembourg Gauss: transverse Mercator with natural origin 49°50' N 6°10' E,
// scale 1, false easting 80 000 m and false northing 100 000 m (the Luxembourg
// 1930 grid, meant for the International 1924 ellipsoid). No zones.
class GaussLux : public xTM {
public:
    static constexpr double Lon0 = 6.1666666666666667; // 6°10'
    static constexpr double Lat0 = 49.833333333333333; // 49°50'
    static constexpr double FalseEasting = 80000.0;
    static constexpr double FalseNorthing = 100000.0;

    explicit GaussLux(const EllipsoidLookup& ellipsoids) : xTM(ellipsoids, false) {}
    // Meridian arc counted from the origin latitude instead of the equator.
    double meridianArc(const Ellipsoid& e, double phi) const override;
    bool apply(Coord& c) const override;
    bool revert(Coord& c) const override;
};

} // namespace Transid
