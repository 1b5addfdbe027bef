#pragma once

#include "CoordChanger.h"
#include "CoordCode.h"

#include <array>
#include <map>
#include <memory>

namespace Transid {

// The ellipsoids, projections and datum transformations, and the one routine
// that converts a Coord from any registered system into any other.
class Registry : public EllipsoidLookup {
public:
    Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Registers every ellipsoid, projection and datum transformation; building
    // again first deletes all entries.
    void build();
    void clear();

    // Ellipsoid or projection by its code bits (0x1000.., 0x10..), or null.
    const RevCoordChanger* changer(unsigned long key) const;
    // Datum transformation from one datum number to another, or null. There is
    // no chained search: a pair without its own entry has no transformation.
    const CoordChanger* transformation(uint32_t fromDatum, uint32_t toDatum) const;

    const Ellipsoid* ellipsoidOf(uint32_t code) const override;
    const RevCoordChanger* projectionOf(uint32_t code) const;

    // True when every part of the code is defined and registered: height
    // kind 0 or 1 (0 only for geocentric codes), a registered ellipsoid and
    // projection, a projection only together with an ellipsoid.
    bool knows(uint32_t code) const;

    // Converts source into the system and zone that target names (zone 0 =
    // let the projection choose). On success target receives zone, x, y and z
    // and keeps its code and separation; on failure target is left as it was.
    bool convert(const Coord& source, Coord& target) const;

    size_t changerCount() const { return m_changers.size(); }
    size_t transformationCount() const { return m_transforms.size(); }

private:
    std::map<unsigned long, std::unique_ptr<RevCoordChanger>> m_changers;
    std::map<unsigned short, std::unique_ptr<CoordChanger>> m_transforms;
    // Index of the entries above by the 8 bits of their key, so that the
    // lookups every conversion makes are one array access.
    std::array<const Ellipsoid*, 256> m_ellipsoidIndex{};
    std::array<const RevCoordChanger*, 256> m_projectionIndex{};
};

// The process-wide registry, empty until BuildRegistry() runs. Its objects
// live until the next build or the end of the process.
Registry& registry();
void BuildRegistry();
bool Convert(const Coord& source, Coord& target);

} // namespace Transid
