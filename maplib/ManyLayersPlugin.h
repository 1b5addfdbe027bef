#pragma once

#include <cstdint>

class ImageSource;

// The optional extra-layers plug-in "libTolmManyLayers.so". It is loaded on
// first need and kept only when all seven entry points are there. Map files
// hand it their group-3 chunks; drawing asks it for graphic layers.
class ManyLayersPlugin {
public:
    // Head of a map file chunk as the plug-in receives it.
    struct ChunkHead {
        uint16_t group;
        uint16_t id;
        uint32_t length;
    };

    // The plug-in, loading it on the first call; null when it is missing.
    static ManyLayersPlugin* instance();
    // The plug-in if an earlier call loaded it; never loads.
    static ManyLayersPlugin* loaded();

    // Buffer of at least head.length bytes for the chunk body, or null when the
    // plug-in does not take the chunk.
    void* alloc(const ImageSource* source, const ChunkHead& head) const;
    void remove(const ImageSource* source) const;
    bool isGraphic(const ImageSource* source) const;
    int transform(const ImageSource* source, void* header24, void* bits24, int sourceBitCount,
                  const void* sourceBits) const;
    int numLayers(const ImageSource* source, intptr_t a, intptr_t b) const;
    int layerInfo(const ImageSource* source, intptr_t a, intptr_t b) const;
    int setActivation(const ImageSource* source, intptr_t a, intptr_t b) const;

private:
    using AllocFn = void* (*)(const void*, const ChunkHead*);
    using RemoveFn = void (*)(const void*);
    using IsGraphicFn = int (*)(const void*);
    using TransformFn = int (*)(const void*, void*, void*, int, const void*);
    using ThreeArgFn = int (*)(const void*, intptr_t, intptr_t);

    AllocFn m_alloc = nullptr;
    RemoveFn m_remove = nullptr;
    IsGraphicFn m_isGraphic = nullptr;
    TransformFn m_transform = nullptr;
    ThreeArgFn m_numLayers = nullptr;
    ThreeArgFn m_layerInfo = nullptr;
    ThreeArgFn m_setActivation = nullptr;
};
