#pragma once

#include "CoordChanger.h"

namespace Transid {

// Generic transverse Mercator projection with scale 1 on the ellipsoid that
// the coordinate's type names. Applying it projects a longitude already
// reduced to the central meridian and a latitude (degrees) to easting and
// northing (metres); reverting it goes back. The series reach the eighth
// power of the longitude difference, which keeps 3° strips and 6° zones well
// below a millimetre.
class xTM : public RevCoordChanger {
public:
    explicit xTM(const EllipsoidLookup& ellipsoids, bool hasZones = false);

    // Meridian arc length from the equator to latitude phi (radians), metres.
    virtual double meridianArc(const Ellipsoid& e, double phi) const;

    bool apply(Coord& c) const override;
    bool revert(Coord& c) const override;

protected:
    const Ellipsoid* ellipsoidOf(const Coord& c) const { return m_ellipsoids.ellipsoidOf(c.type); }

    // The bare projection steps, angles in degrees.
    void forward(const Ellipsoid& e, double lon, double lat, double& easting, double& northing) const;
    void inverse(const Ellipsoid& e, double easting, double northing, double& lon, double& lat) const;
    // Footpoint latitude (radians) of a northing measured from the equator.
    static double footpointLatitude(const Ellipsoid& e, double northing);

private:
    const EllipsoidLookup& m_ellipsoids;
};

// Gauss-Krüger: 3° strips, scale 1; the easting carries the strip number in
// its millions.
class GaussKrueger : public xTM {
public:
    explicit GaussKrueger(const EllipsoidLookup& ellipsoids) : xTM(ellipsoids, true) {}
    bool apply(Coord& c) const override;
    bool revert(Coord& c) const override;
};

// UTM for the northern hemisphere: 6° zones, scale 0.9996, no false northing;
// the easting carries the zone number in its millions.
class UTM : public xTM {
public:
    explicit UTM(const EllipsoidLookup& ellipsoids) : xTM(ellipsoids, true) {}
    bool apply(Coord& c) const override;
    bool revert(Coord& c) const override;
};

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
