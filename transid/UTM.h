#pragma once

#include "xTM.h"

namespace Transid {

// UTM for the northern hemisphere: 6° zones, scale 0.9996, no false northing;
// the easting carries the zone number in its millions.
class UTM : public xTM {
public:
    explicit UTM(const EllipsoidLookup& ellipsoids) : xTM(ellipsoids, true) {}
    bool apply(Coord& c) const override;
    bool revert(Coord& c) const override;
};

} // namespace Transid
