#include "DatumShift.h"

#include <cmath>

namespace MapCoords::DatumShift {

namespace {

constexpr double Rho = 57.29577951308232;

// WGS84 semi-major axis and first eccentricity squared, and the differences
// of the Bessel ellipsoid to it (axis in metres, flattening).
constexpr double A = 6378137.0;
constexpr double E2 = 0.0066943805181245335;
constexpr double DeltaA = 6377397.15507605 - 6378137.0;
constexpr double DeltaF = 0.0033427731815788056 - 0.0033528109296271807;

} // namespace

Geographic wgs84ToDhdn(double longitude, double latitude) {
    const double phi = latitude / Rho;
    const double lambda = longitude / Rho;
    const double sinPhi = std::sin(phi);
    const double cosPhi = std::cos(phi);
    const double sinLambda = std::sin(lambda);
    const double cosLambda = std::cos(lambda);

    const double dPhi = (Dz * cosPhi - (Dx * cosLambda + Dy * sinLambda) * sinPhi) / A + Ey * cosLambda -
                        Ex * sinLambda - Scale * E2 * sinPhi * cosPhi +
                        (2.0 * DeltaF + DeltaA * E2 / A) * sinPhi * cosPhi;
    const double dLambda =
        ((Dy * cosLambda - Dx * sinLambda) / A + sinPhi * (Ex * cosLambda + Ey * sinLambda)) / cosPhi - Ez;

    return {longitude + Rho * dLambda, latitude + Rho * dPhi};
}

} // namespace MapCoords::DatumShift
