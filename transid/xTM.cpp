#include "xTM.h"

#include "Ellipsoid.h"
#include "Numeric.h"

#include <cmath>

namespace Transid {

namespace {

// sin 2φ, sin 4φ, sin 6φ and sin 8φ from one sine and cosine of 2φ by the
// angle-sum formulas.
struct MultipleSines {
    double s2, s4, s6, s8;
    explicit MultipleSines(double phi) {
        const double c2 = std::cos(2.0 * phi);
        s2 = std::sin(2.0 * phi);
        s4 = 2.0 * s2 * c2;
        const double c4 = 1.0 - 2.0 * s2 * s2;
        s6 = s4 * c2 + c4 * s2;
        s8 = 2.0 * s4 * c4;
    }
};

// Third flattening n = (a − b) / (a + b) and the rectifying radius
// A = (a + b) / 2 × (1 + n²/4 + n⁴/64) of Helmert's meridian arc series.
struct ArcSeries {
    double n;
    double A;
    explicit ArcSeries(const Ellipsoid& e) : n((e.a() - e.b()) / (e.a() + e.b())) {
        const double n2 = n * n;
        A = (e.a() + e.b()) / 2.0 * (1.0 + n2 / 4.0 + n2 * n2 / 64.0);
    }
};

} // namespace

xTM::xTM(const EllipsoidLookup& ellipsoids, bool hasZones) : RevCoordChanger(hasZones), m_ellipsoids(ellipsoids) {}

double xTM::meridianArc(const Ellipsoid& e, double phi) const {
    const ArcSeries s(e);
    const double n = s.n;
    const double n2 = n * n;
    const double n3 = n2 * n;
    const double n4 = n2 * n2;
    const double n5 = n4 * n;
    const MultipleSines sin(phi);
    return s.A * (phi + (-3.0 / 2.0 * n + 9.0 / 16.0 * n3 - 3.0 / 32.0 * n5) * sin.s2 +
                  (15.0 / 16.0 * n2 - 15.0 / 32.0 * n4) * sin.s4 + (-35.0 / 48.0 * n3 + 105.0 / 256.0 * n5) * sin.s6 +
                  315.0 / 512.0 * n4 * sin.s8);
}

double xTM::footpointLatitude(const Ellipsoid& e, double northing) {
    const ArcSeries s(e);
    const double n = s.n;
    const double n2 = n * n;
    const double n3 = n2 * n;
    const double n4 = n2 * n2;
    const double n5 = n4 * n;
    const double sigma = northing / s.A;
    // The series is odd in σ: a southern (negative) northing yields the
    // southern latitude, so no absolute value is taken.
    const MultipleSines sin(sigma);
    return sigma + (3.0 / 2.0 * n - 27.0 / 32.0 * n3 + 269.0 / 512.0 * n5) * sin.s2 +
           (21.0 / 16.0 * n2 - 55.0 / 32.0 * n4) * sin.s4 + (151.0 / 96.0 * n3 - 417.0 / 128.0 * n5) * sin.s6 +
           1097.0 / 512.0 * n4 * sin.s8;
}

void xTM::forward(const Ellipsoid& e, double lon, double lat, double& easting, double& northing) const {
    const double l = lon / Rho;
    const double phi = lat / Rho;
    const double c = std::cos(phi);
    const double t = std::sin(phi) / c; // tan φ
    const double t2 = t * t;
    const double t4 = t2 * t2;
    const double t6 = t4 * t2;
    const double eta2 = e.ep2() * c * c;
    const double eta4 = eta2 * eta2;
    const double N = e.a() * e.a() / (e.b() * std::sqrt(1.0 + eta2));
    const double cl2 = c * c * l * l; // (c l)²
    const double cl4 = cl2 * cl2;
    const double cl6 = cl4 * cl2;
    const double cl8 = cl4 * cl4;
    easting =
        N * c * l *
        (1.0 + cl2 * (1.0 - t2 + eta2) / 6.0 + cl4 * (5.0 - 18.0 * t2 + t4 + 14.0 * eta2 - 58.0 * t2 * eta2) / 120.0 +
         cl6 * (61.0 - 479.0 * t2 + 179.0 * t4 - t6) / 5040.0);
    northing = meridianArc(e, phi) + N * t *
                                         (cl2 / 2.0 + cl4 * (5.0 - t2 + 9.0 * eta2 + 4.0 * eta4) / 24.0 +
                                          cl6 * (61.0 - 58.0 * t2 + t4 + 270.0 * eta2 - 330.0 * t2 * eta2) / 720.0 +
                                          cl8 * (1385.0 - 3111.0 * t2 + 543.0 * t4 - t6) / 40320.0);
}

void xTM::inverse(const Ellipsoid& e, double easting, double northing, double& lon, double& lat) const {
    const double phiF = footpointLatitude(e, northing);
    const double c = std::cos(phiF);
    const double t = std::sin(phiF) / c; // tan φf
    const double t2 = t * t;
    const double t4 = t2 * t2;
    const double t6 = t4 * t2;
    const double eta2 = e.ep2() * c * c;
    const double eta4 = eta2 * eta2;
    const double N = e.a() * e.a() / (e.b() * std::sqrt(1.0 + eta2));
    const double u = easting;
    const double uN2 = u * u / (N * N); // (u / N)²
    const double uN4 = uN2 * uN2;
    const double uN6 = uN4 * uN2;
    const double uN8 = uN4 * uN4;
    lon = Rho * u / (N * c) *
          (1.0 - uN2 * (1.0 + 2.0 * t2 + eta2) / 6.0 +
           uN4 * (5.0 + 28.0 * t2 + 24.0 * t4 + 6.0 * eta2 + 8.0 * t2 * eta2) / 120.0 -
           uN6 * (61.0 + 662.0 * t2 + 1320.0 * t4 + 720.0 * t6) / 5040.0);
    lat =
        Rho * (phiF +
               t * (-uN2 * (1.0 + eta2) / 2.0 +
                    uN4 * (5.0 + 3.0 * t2 + 6.0 * eta2 - 6.0 * t2 * eta2 - 3.0 * eta4 - 9.0 * t2 * eta4) / 24.0 -
                    uN6 * (61.0 + 90.0 * t2 + 45.0 * t4 + 107.0 * eta2 - 162.0 * t2 * eta2 - 45.0 * t4 * eta2) / 720.0 +
                    uN8 * (1385.0 + 3633.0 * t2 + 4095.0 * t4 + 1575.0 * t6) / 40320.0));
}

bool xTM::apply(Coord& c) const {
    const Ellipsoid* e = ellipsoidOf(c);
    if (!e || !bothFinite(c.x, c.y))
        return false;
    double easting, northing;
    forward(*e, c.x, c.y, easting, northing);
    if (!bothFinite(easting, northing))
        return false;
    if (!hasZones())
        c.zone = 0;
    c.x = easting;
    c.y = northing;
    return true;
}

bool xTM::revert(Coord& c) const {
    const Ellipsoid* e = ellipsoidOf(c);
    if (!e || !bothFinite(c.x, c.y))
        return false;
    double lon, lat;
    inverse(*e, c.x, c.y, lon, lat);
    if (!bothFinite(lon, lat))
        return false;
    if (!hasZones())
        c.zone = 0;
    c.x = lon;
    c.y = lat;
    return true;
}

} // namespace Transid
