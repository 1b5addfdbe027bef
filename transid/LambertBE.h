#pragma once

#include "CoordChanger.h"

namespace Transid {

// Belgian Lambert conformal conic (Lambert 72) on the coordinate's ellipsoid.
// One zone; the zone field passes through untouched.
class LambertBE : public RevCoordChanger {
public:
    explicit LambertBE(const EllipsoidLookup& ellipsoids) : RevCoordChanger(true), m_ellipsoids(ellipsoids) {}
    bool apply(Coord& c) const override;
    bool revert(Coord& c) const override;

private:
    const EllipsoidLookup& m_ellipsoids;
};

} // namespace Transid
