#pragma once

#include "CoordChanger.h"

namespace Transid {

// French Lambert conformal conic zones 1..6 on the coordinate's ellipsoid:
// 1 to 3 the northern, central and southern zones, 4 Corsica, 5 the extended
// central zone covering the whole country, 6 Lambert 93.
class LambertFR : public RevCoordChanger {
public:
    // Zone used when a forward projection names none or an unknown one.
    static constexpr uint32_t DefaultZone = 5;

    explicit LambertFR(const EllipsoidLookup& ellipsoids) : RevCoordChanger(true), m_ellipsoids(ellipsoids) {}
    // Forward: a zone of 0 or above 6 becomes 5.
    bool apply(Coord& c) const override;
    // Inverse: fails for a zone outside 1..6.
    bool revert(Coord& c) const override;

private:
    const EllipsoidLookup& m_ellipsoids;
};

} // namespace Transid
