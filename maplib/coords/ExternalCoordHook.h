#pragma once

#include "Coord.h"

#include <cstdint>

extern "C" {
// A host's own pixel ↔ native conversion for one map handle: called with the
// source and target records and flag 0 for a conversion (the status is its
// result), and once with flag 1 as a goodbye when it is replaced or the
// handle is closed; then both pointers point to one record whose parameter is
// the handle.
typedef int32_t (*ExternalCoordHook)(Coord* source, Coord* target, int32_t flag);
}

namespace MapCoords {

constexpr int32_t HookConvert = 0;
constexpr int32_t HookGoodbye = 1;

// The external coordinate hook of one map handle. A duplicated handle starts
// without a hook, so the slot cannot be copied.
class ExternalCoordHookSlot {
public:
    ExternalCoordHookSlot() = default;
    ExternalCoordHookSlot(const ExternalCoordHookSlot&) = delete;
    ExternalCoordHookSlot& operator=(const ExternalCoordHookSlot&) = delete;

    ExternalCoordHook hook() const { return m_hook; }

    // Installs `hook` (null removes it) for the handle `handleId`. A different
    // hook that was installed before is told goodbye first.
    void attach(uint32_t handleId, ExternalCoordHook hook);

    // The handle goes away: an installed hook is told goodbye and forgotten.
    void release(uint32_t handleId);

private:
    ExternalCoordHook m_hook = nullptr;
};

} // namespace MapCoords
