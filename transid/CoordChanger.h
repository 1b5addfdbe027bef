#pragma once

#include "Coord.h"

#include <cstdint>

namespace Transid {

// Degrees per radian and π as used by every formula of this library; angles
// cross every interface in degrees.
constexpr double Rho = 57.29577951308238;
constexpr double Pi = 3.14159265358979;

class Ellipsoid;

// A one-way change of a coordinate, such as a datum transformation.
class CoordChanger {
public:
    virtual ~CoordChanger() = default;
    // Changes c in place; false when it cannot be changed (c may then hold
    // partial results and must be discarded).
    virtual bool change(Coord& c) const = 0;
};

// A layer that can be added to a coordinate and removed again: an ellipsoid
// (geocentric <-> geographic) or a projection (geographic <-> projected).
class RevCoordChanger {
public:
    virtual ~RevCoordChanger() = default;
    virtual bool apply(Coord& c) const = 0;
    virtual bool revert(Coord& c) const = 0;

    // A projection without zones forces the zone of every coordinate it
    // handles to 0; ellipsoids have no zones either.
    bool hasZones() const { return m_hasZones; }
    // Cheap type test used by the registry's ellipsoid lookup.
    virtual const Ellipsoid* asEllipsoid() const { return nullptr; }

protected:
    explicit RevCoordChanger(bool hasZones = false) : m_hasZones(hasZones) {}

private:
    bool m_hasZones;
};

// Where a projection finds the ellipsoid that a coordinate's type names.
class EllipsoidLookup {
public:
    virtual ~EllipsoidLookup() = default;
    // The ellipsoid of the code's ellipsoid bits, or null when none is registered.
    virtual const Ellipsoid* ellipsoidOf(uint32_t code) const = 0;
};

} // namespace Transid
