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

} // namespace Transid
