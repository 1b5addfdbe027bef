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

// Geocentric to geographic, Bowring's closed form.
bool Ellipsoid::apply(Coord& c) const {
    const double X = c.x;
    const double Y = c.y;
    const double Z = c.z;
    const double p = std::sqrt(X * X + Y * Y);
    const double theta = std::atan(Z * m_a / (p * m_b));
    const double sinTheta = std::sin(theta);
    const double cosTheta = std::cos(theta);
    // The quadrant-aware arctangent gives the same longitude as atan(Y / X)
    // between −90° and 90° and keeps the longitude right beyond them.
    const double lambda = std::atan2(Y, X);
    const double phi = std::atan((Z + m_ep2 * m_b * sinTheta * sinTheta * sinTheta) /
                                 (p - m_e2 * m_a * cosTheta * cosTheta * cosTheta));
    const double h = p / std::cos(phi) - primeVerticalRadius(phi);
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
    const double N = primeVerticalRadius(phi);
    const double cosPhi = std::cos(phi);
    const double X = (N + h) * cosPhi * std::cos(lambda);
    const double Y = (N + h) * cosPhi * std::sin(lambda);
    const double Z = ((1.0 - m_e2) * N + h) * std::sin(phi);
    if (!std::isfinite(X) || !std::isfinite(Y) || !std::isfinite(Z))
        return false;
    c.x = X;
    c.y = Y;
    c.z = Z;
    return true;
}

} // namespace Transid
