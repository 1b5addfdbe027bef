#include "Ellipsoid.h"

#include <cmath>

namespace Transid {

Ellipsoid::Ellipsoid(double a, double b, double e2, double ep2) : m_a(a), m_b(b), m_e2(e2), m_ep2(ep2) {}

Ellipsoid::Ellipsoid(double a, double b) : Ellipsoid(a, b, (a * a - b * b) / (a * a), (a * a - b * b) / (b * b)) {}

Ellipsoid::Ellipsoid(double a, SquaredEccentricity e2)
    : Ellipsoid(a, a * std::sqrt(1.0 - e2.value), e2.value, e2.value / (1.0 - e2.value)) {}

Flattening::Flattening(double a, double f)
    : Ellipsoid(a, a * (1.0 - f), (2.0 - f) * f, (2.0 - f) * f / ((1.0 - f) * (1.0 - f))) {}

double Ellipsoid::primeVerticalRadius(double phi) const {
    const double c = std::cos(phi);
    return m_a * m_a / (m_b * std::sqrt(1.0 + m_ep2 * c * c));
}

// Geocentric to geographic, Bowring's closed form:
//   θ = atan(Z a / (p b)), φ = atan((Z + e'² b sin³θ) / (p − e² a cos³θ)).
// The sines and cosines of θ and φ are taken from the arguments of the
// arctangents instead of calling the trigonometric functions again, and the
// arctangents are quadrant-aware: the same values as atan between −90° and
// 90° of longitude and away from the polar axis, and right beyond them.
bool Ellipsoid::apply(Coord& c) const {
    const double X = c.x;
    const double Y = c.y;
    const double Z = c.z;
    const double p = std::sqrt(X * X + Y * Y);
    const double thetaY = Z * m_a;
    const double thetaX = p * m_b;
    const double thetaR = std::sqrt(thetaY * thetaY + thetaX * thetaX);
    const double sinTheta = thetaY / thetaR;
    const double cosTheta = thetaX / thetaR;
    const double lambda = std::atan2(Y, X);
    const double phiY = Z + m_ep2 * m_b * sinTheta * sinTheta * sinTheta;
    const double phiX = p - m_e2 * m_a * cosTheta * cosTheta * cosTheta;
    const double phi = std::atan2(phiY, phiX);
    const double phiR = std::sqrt(phiY * phiY + phiX * phiX);
    const double sinPhi = phiY / phiR;
    const double cosPhi = phiX / phiR;
    // h = p / cos φ − N(φ), written so that it also holds on the polar axis.
    const double h = p * cosPhi + Z * sinPhi - m_a * std::sqrt(1.0 - m_e2 * sinPhi * sinPhi);
    if (!std::isfinite(lambda) || !std::isfinite(phi) || !std::isfinite(h))
        return false;
    c.x = lambda * Rho;
    c.y = phi * Rho;
    c.z = h;
    return true;
}

// Geographic to geocentric.
bool Ellipsoid::revert(Coord& c) const {
    const double phi = c.y / Rho;
    const double lambda = c.x / Rho;
    const double h = c.z;
    const double sinPhi = std::sin(phi);
    const double cosPhi = std::cos(phi);
    const double N = m_a * m_a / (m_b * std::sqrt(1.0 + m_ep2 * cosPhi * cosPhi));
    const double X = (N + h) * cosPhi * std::cos(lambda);
    const double Y = (N + h) * cosPhi * std::sin(lambda);
    const double Z = ((1.0 - m_e2) * N + h) * sinPhi;
    if (!std::isfinite(X) || !std::isfinite(Y) || !std::isfinite(Z))
        return false;
    c.x = X;
    c.y = Y;
    c.z = Z;
    return true;
}

} // namespace Transid
