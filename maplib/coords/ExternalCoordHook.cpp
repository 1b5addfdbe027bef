#include "ExternalCoordHook.h"

#include "MapCoordCodes.h"

namespace MapCoords {

namespace {

void sayGoodbye(ExternalCoordHook hook, uint32_t handleId) {
    Coord record;
    record.type = TypeMapPixel;
    record.zone = handleId;
    hook(&record, &record, HookGoodbye);
}

} // namespace

void ExternalCoordHookSlot::attach(uint32_t handleId, ExternalCoordHook hook) {
    if (hook == m_hook)
        return;
    const ExternalCoordHook old = m_hook;
    if (old)
        sayGoodbye(old, handleId);
    m_hook = hook;
}

void ExternalCoordHookSlot::release(uint32_t handleId) {
    const ExternalCoordHook old = m_hook;
    m_hook = nullptr;
    if (old)
        sayGoodbye(old, handleId);
}

} // namespace MapCoords
