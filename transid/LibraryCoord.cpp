#include "LibraryCoord.h"

#include "CoordCode.h"
#include "Registry.h"

namespace Transid {

namespace {

constexpr uint32_t LibraryOptionBits = 0xF0;

struct LibraryMapping {
    uint32_t libraryType;
    uint32_t registryCode;
    bool swapsAxes; // library a = northing, b = easting
};

constexpr LibraryMapping Mappings[] = {
    {1, Code::DhdnGaussKrueger, true},
    {2, Code::DhdnGeographic, false},
    {3, Code::Etrs89Geographic, false},
};

const LibraryMapping* mappingOf(uint32_t type) {
    const uint32_t bare = type & ~LibraryOptionBits;
    for (const LibraryMapping& m : Mappings) {
        if (m.libraryType == bare)
            return &m;
    }
    return nullptr;
}

// Rewrites a record with a library code as the equivalent registry record.
Coord toRegistry(const Coord& c, const LibraryMapping& m) {
    Coord r = c;
    r.type = m.registryCode;
    r.zone = m.swapsAxes ? c.zone : 0;
    if (m.swapsAxes) {
        r.x = c.y;
        r.y = c.x;
    }
    return r;
}

} // namespace

bool isMappedLibraryType(uint32_t type) {
    return mappingOf(type) != nullptr;
}

uint32_t registryCodeOfLibraryType(uint32_t libraryType) {
    const LibraryMapping* m = mappingOf(libraryType);
    return m ? m->registryCode : 0;
}

bool ConvertMapCoord(const Coord& source, Coord& target) {
    const LibraryMapping* sourceMapping = mappingOf(source.type);
    const LibraryMapping* targetMapping = mappingOf(target.type);
    const Coord from = sourceMapping ? toRegistry(source, *sourceMapping) : source;
    if (!targetMapping)
        return Convert(from, target);

    Coord to = toRegistry(target, *targetMapping);
    if (!Convert(from, to))
        return false;
    target.zone = to.zone;
    target.x = targetMapping->swapsAxes ? to.y : to.x;
    target.y = targetMapping->swapsAxes ? to.x : to.y;
    target.z = to.z;
    return true;
}

} // namespace Transid
