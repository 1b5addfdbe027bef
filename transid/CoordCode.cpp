#include "CoordCode.h"

namespace Transid::Code {

namespace {

struct NamedSystem {
    uint32_t code;
    const char* name;
};

constexpr NamedSystem NamedSystems[] = {
    {DhdnGaussKrueger, "DHDN Gauß-Krüger"},
    {DhdnGeographic, "DHDN"},
    {Ed50Utm, "ED50 UTM"},
    {Ed50Geographic, "ED50"},
    {Etrs89Utm, "ETRS89 UTM"},
    {Etrs89Geographic, "ETRS89"},
};

} // namespace

const char* displayName(uint32_t code) {
    const uint32_t system = code & ~HeightKindMask;
    for (const NamedSystem& s : NamedSystems) {
        if (s.code == system)
            return s.name;
    }
    return nullptr;
}

const char* datumName(uint32_t datumNumber) {
    switch (datumNumber) {
    case ETRS89:
        return "ETRS89";
    case ED50:
        return "ED50";
    case DHDN:
        return "DHDN";
    case BD72:
        return "BD72";
    case CH1903:
        return "CH1903";
    default:
        return nullptr;
    }
}

} // namespace Transid::Code
