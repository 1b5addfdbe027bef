// A stand-in extra-layers plug-in for the tests: it takes group-3 chunks of
// id 7, keeps their bodies per source and counts removals.
#include <cstdint>
#include <map>
#include <vector>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
struct ChunkHead {
    uint16_t group;
    uint16_t id;
    uint32_t length;
};
std::map<const void*, std::vector<uint8_t>> g_bodies;
int g_removed = 0;
} // namespace

EXPORT void* TolmManyLayersDLL_Alloc(const void* source, const ChunkHead* head) {
    if (head->group != 3 || head->id != 7)
        return nullptr;
    std::vector<uint8_t>& body = g_bodies[source];
    body.assign(head->length, 0);
    return body.data();
}
EXPORT void TolmManyLayersDLL_Remove(const void* source) {
    g_bodies.erase(source);
    ++g_removed;
}
EXPORT int TolmManyLayersDLL_IsGraphic(const void*) {
    return 0;
}
EXPORT int TolmManyLayersDLL_Transform(const void*, void*, void*, int, const void*) {
    return 0;
}
EXPORT int TolmManyLayersDLL_GetNumLayers(const void* source, intptr_t, intptr_t) {
    return g_bodies.count(source) ? int(g_bodies[source].size()) : 0;
}
EXPORT int TolmManyLayersDLL_GetLayerInfo(const void*, intptr_t, intptr_t) {
    return 0;
}
EXPORT int TolmManyLayersDLL_SetActivation(const void*, intptr_t, intptr_t) {
    return 0;
}

// For the test only: the body the plug-in holds for `source`.
EXPORT const uint8_t* TestLayers_Body(const void* source, uint32_t* length) {
    const auto it = g_bodies.find(source);
    if (it == g_bodies.end())
        return nullptr;
    *length = uint32_t(it->second.size());
    return it->second.data();
}
EXPORT int TestLayers_Removed() {
    return g_removed;
}
