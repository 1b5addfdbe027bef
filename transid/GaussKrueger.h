#pragma once

#include "xTM.h"

namespace Transid {

// Gauss-Krüger: 3° strips, scale 1; the easting carries the strip number in
// its millions.
class GaussKrueger : public xTM {
public:
    explicit GaussKrueger(const EllipsoidLookup& ellipsoids) : xTM(ellipsoids, true) {}
    bool apply(Coord& c) const override;
    bool revert(Coord& c) const override;
};

} // namespace Transid
