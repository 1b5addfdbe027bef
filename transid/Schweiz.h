#pragma once

#include "CoordChanger.h"

namespace Transid {

// Swiss oblique conformal double projection (ellipsoid -> sphere -> oblique
// Mercator) on the coordinate's ellipsoid, origin at the old observatory of
// Bern. Zone 3 selects the old frame (false origin 600 000 / 200 000); any
// other zone the new frame (2 600 000 / 1 200 000), and the forward projection
// then sets the zone to 95.
class Schweiz : public RevCoordChanger {
public:
    static constexpr uint32_t OldFrame = 3;
    static constexpr uint32_t NewFrame = 95;
    static constexpr double Phi0 = 46.9524055555556;    // degrees
    static constexpr double Lambda0 = 7.43958333333333; // degrees

    explicit Schweiz(const EllipsoidLookup& ellipsoids) : RevCoordChanger(true), m_ellipsoids(ellipsoids) {}
    bool apply(Coord& c) const override;
    bool revert(Coord& c) const override;

private:
    const EllipsoidLookup& m_ellipsoids;
};

} // namespace Transid
