#pragma once

#include "CoordChanger.h"

namespace Transid {

// Defining value of an ellipsoid given by its squared first eccentricity, to
// tell that constructor apart from the one taking the semi-minor axis.
struct SquaredEccentricity {
    double value;
};

// A reference ellipsoid. Applying it turns geocentric X, Y, Z (metres, in x,
// y, z) into longitude, latitude (degrees) and ellipsoidal height; reverting
// it turns them back.
class Ellipsoid : public RevCoordChanger {
public:
    // From the semi-major and semi-minor axes (metres).
    Ellipsoid(double a, double b);
    // From the semi-major axis and the squared first eccentricity.
    Ellipsoid(double a, SquaredEccentricity e2);

    double a() const { return m_a; }
    double b() const { return m_b; }
    double e2() const { return m_e2; }   // (a² − b²) / a²
    double ep2() const { return m_ep2; } // (a² − b²) / b²

    // Radius of curvature in the prime vertical at latitude phi (radians).
    double primeVerticalRadius(double phi) const;

    bool apply(Coord& c) const override;
    bool revert(Coord& c) const override;
    const Ellipsoid* asEllipsoid() const override { return this; }

protected:
    Ellipsoid(double a, double b, double e2, double ep2);

private:
    double m_a;
    double m_b;
    double m_e2;
    double m_ep2;
};

// An ellipsoid given by its semi-major axis and its flattening f.
class Flattening : public Ellipsoid {
public:
    Flattening(double a, double f);
};

} // namespace Transid
