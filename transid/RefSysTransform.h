#pragma once

#include "CoordChanger.h"

namespace Transid {

// Seven-parameter similarity transformation of geocentric coordinates about
// a rotation centre (the centre makes the rotations act on small differences
// and keeps the parameters well conditioned). Rotations follow the
// position-vector convention and are small-angle; the scale multiplies only
// the differences from the centre.
class RefSysTransform : public CoordChanger {
public:
    struct Parameters {
        double tx, ty, tz; // translation, metres
        double rx, ry, rz; // rotation, radians
        double cx, cy, cz; // rotation centre, metres
        double k;          // scale factor
    };

    explicit RefSysTransform(const Parameters& p) : m_p(p) {}
    const Parameters& parameters() const { return m_p; }

    bool change(Coord& c) const override;

private:
    Parameters m_p;
};

} // namespace Transid
