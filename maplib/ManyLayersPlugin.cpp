#include "ManyLayersPlugin.h"

#include "PluginLoader.h"

namespace {
bool g_tried = false;
ManyLayersPlugin* g_plugin = nullptr;
} // namespace

ManyLayersPlugin* ManyLayersPlugin::loaded() {
    return g_plugin;
}

ManyLayersPlugin* ManyLayersPlugin::instance() {
    if (g_tried)
        return g_plugin;
    g_tried = true;
    void* lib = PluginLoader::load("libTolmManyLayers.so");
    if (!lib)
        return nullptr;
    static ManyLayersPlugin plugin;
    auto get = [lib](const char* name) { return PluginLoader::symbol(lib, name); };
    plugin.m_alloc = reinterpret_cast<AllocFn>(get("TolmManyLayersDLL_Alloc"));
    plugin.m_remove = reinterpret_cast<RemoveFn>(get("TolmManyLayersDLL_Remove"));
    plugin.m_isGraphic = reinterpret_cast<IsGraphicFn>(get("TolmManyLayersDLL_IsGraphic"));
    plugin.m_transform = reinterpret_cast<TransformFn>(get("TolmManyLayersDLL_Transform"));
    plugin.m_numLayers = reinterpret_cast<ThreeArgFn>(get("TolmManyLayersDLL_GetNumLayers"));
    plugin.m_layerInfo = reinterpret_cast<ThreeArgFn>(get("TolmManyLayersDLL_GetLayerInfo"));
    plugin.m_setActivation = reinterpret_cast<ThreeArgFn>(get("TolmManyLayersDLL_SetActivation"));
    if (plugin.m_alloc && plugin.m_remove && plugin.m_isGraphic && plugin.m_transform && plugin.m_numLayers &&
        plugin.m_layerInfo && plugin.m_setActivation)
        g_plugin = &plugin;
    return g_plugin;
}

void* ManyLayersPlugin::alloc(const ImageSource* source, const ChunkHead& head) const {
    return m_alloc(source, &head);
}
void ManyLayersPlugin::remove(const ImageSource* source) const {
    m_remove(source);
}
bool ManyLayersPlugin::isGraphic(const ImageSource* source) const {
    return m_isGraphic(source) != 0;
}
int ManyLayersPlugin::transform(const ImageSource* source, void* header24, void* bits24, int sourceBitCount,
                                const void* sourceBits) const {
    return m_transform(source, header24, bits24, sourceBitCount, sourceBits);
}
int ManyLayersPlugin::numLayers(const ImageSource* source, intptr_t a, intptr_t b) const {
    return m_numLayers(source, a, b);
}
int ManyLayersPlugin::layerInfo(const ImageSource* source, intptr_t a, intptr_t b) const {
    return m_layerInfo(source, a, b);
}
int ManyLayersPlugin::setActivation(const ImageSource* source, intptr_t a, intptr_t b) const {
    return m_setActivation(source, a, b);
}
