#include "RefSysTransform.h"

#include <cmath>

namespace Transid {

bool RefSysTransform::change(Coord& c) const {
    const double dX = c.x - m_p.cx;
    const double dY = c.y - m_p.cy;
    const double dZ = c.z - m_p.cz;
    const double X = m_p.tx + m_p.cx + m_p.k * dX + m_p.ry * dZ - m_p.rz * dY;
    const double Y = m_p.ty + m_p.cy + m_p.k * dY - m_p.rx * dZ + m_p.rz * dX;
    const double Z = m_p.tz + m_p.cz + m_p.k * dZ + m_p.rx * dY - m_p.ry * dX;
    if (!std::isfinite(X) || !std::isfinite(Y) || !std::isfinite(Z))
        return false;
    c.x = X;
    c.y = Y;
    c.z = Z;
    return true;
}

} // namespace Transid
