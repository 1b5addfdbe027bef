// The C exports that act on map handles, drawing surfaces and coordinates.

#include "LibraryState.h"

#include "DimmerDialog.h"
#include "GradMinSec.h"
#include "LayerDialog.h"
#include "TileCache.h"
#include "TransformCoords.h"

#include <QPainter>
#include <QWidget>

#include <cmath>
#include <cstring>

using namespace Velmar32;

namespace {

QRect toQRect(const TLM_RECT& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

// Reads source pixel (x, y) of `source`; false when the tile is not available.
bool readPixel(ImageSource* source, int64_t x, int64_t y, uint8_t* out) {
    const int tw = source->tileWidth();
    const int th = source->tileHeight();
    if (tw <= 0 || th <= 0)
        return false;
    const uint8_t* tile = TileCache::instance().tile(source, int(x / tw), int(y / th));
    if (!tile)
        return false;
    const int64_t column = x % tw;
    // Decoded tiles hold their lines bottom-up.
    const int64_t line = th - 1 - y % th;
    const uint8_t* row = tile + line * source->stride();
    const int bits = source->bitCount();
    if (bits >= 8) {
        std::memcpy(out, row + column * (bits / 8), size_t(bits / 8));
    } else {
        const int64_t bit = column * bits;
        const int shift = 8 - bits - int(bit % 8);
        out[0] = uint8_t((row[bit / 8] >> shift) & ((1 << bits) - 1));
    }
    return true;
}

} // namespace

extern "C" {

VELMAR32_API TLM_HANDLE TLM_Open(const char* path) {
    if (!path)
        return 0;
    std::unique_ptr<MapHandle> handle = MapHandle::open(path);
    if (!handle)
        return 0;
    return (new LibMap(std::move(handle)))->id();
}

VELMAR32_API TLM_HANDLE TLM_Duplicate(TLM_HANDLE id) {
    LibMap* map = findMap(id);
    if (!map)
        return 0;
    std::unique_ptr<MapHandle> copy = map->handle().duplicate();
    if (!copy)
        return 0;
    return (new LibMap(std::move(copy)))->id();
}

VELMAR32_API void TLM_Close(TLM_HANDLE id) {
    delete findMap(id);
}

VELMAR32_API int32_t TLM_GetSize(TLM_HANDLE id, int32_t size[2]) {
    LibMap* map = findMap(id);
    if (!map || !size)
        return 0;
    size[0] = map->handle().width();
    size[1] = map->handle().height();
    return 1;
}

VELMAR32_API int32_t TLM_GetDataByteCount(TLM_HANDLE id, int32_t flag) {
    LibMap* map = findMap(id);
    if (!map)
        return 0;
    const int bits = map->handle().source()->bitCount();
    if (flag && bits < 25)
        return 4;
    return (bits + 7) / 8;
}

VELMAR32_API int32_t TLM_GetDataBytes(TLM_HANDLE id, const Coord* position, uint8_t* bytes, int32_t flag) {
    LibMap* map = findMap(id);
    if (!map || !position || !bytes)
        return 0;
    Coord pixel;
    pixel.type = MapCoords::TypeMapPixel;
    pixel.zone = id;
    if (MapCoords::transformCoords(library().resolver, *position, pixel) != 1)
        return 0;
    MapHandle& handle = map->handle();
    ImageSource* source = handle.source();
    const double zoom = handle.zoom();
    const double sx = std::floor(pixel.x / zoom + 0.5);
    const double sy = std::floor(pixel.y / zoom + 0.5);
    if (!(sx >= 0 && sy >= 0 && sx < source->imageWidth() && sy < source->imageHeight()))
        return 0;
    uint8_t value[4] = {0, 0, 0, 0};
    if (!readPixel(source, int64_t(sx), int64_t(sy), value))
        return 0;
    const int bits = source->bitCount();
    const int count = TLM_GetDataByteCount(id, flag);
    if (flag && bits <= 8) {
        const std::vector<RgbQuad>& palette = handle.drawingPalette();
        const RgbQuad entry = value[0] < palette.size() ? palette[value[0]] : RgbQuad{};
        value[0] = entry.blue;
        value[1] = entry.green;
        value[2] = entry.red;
        value[3] = 0;
    }
    std::memcpy(bytes, value, size_t(count));
    return 1;
}

VELMAR32_API int32_t TLM_GetColorCount(TLM_HANDLE id) {
    LibMap* map = findMap(id);
    return map ? int32_t(map->handle().source()->palette().size()) : 0;
}

VELMAR32_API int32_t TLM_GetColor(TLM_HANDLE id, int32_t index, uint32_t* color) {
    LibMap* map = findMap(id);
    if (!map || !color)
        return 0;
    const std::vector<RgbQuad>& palette = map->handle().source()->palette();
    if (index < 0 || size_t(index) >= palette.size())
        return 0;
    const RgbQuad& e = palette[size_t(index)];
    *color = uint32_t(e.blue) | uint32_t(e.green) << 8 | uint32_t(e.red) << 16;
    return 1;
}

VELMAR32_API int32_t TLM_GetBitsPerPixel(TLM_HANDLE id) {
    LibMap* map = findMap(id);
    return map ? map->handle().source()->bitCount() : 0;
}

VELMAR32_API int32_t TLM_Draw(TLM_HANDLE id, TLM_HDC dc, const TLM_RECT* target, const TLM_RECT* clip, int32_t mapX,
                              int32_t mapY) {
    LibMap* map = findMap(id);
    Surface* surface = findSurface(dc);
    if (!map || !surface || !target || !surface->painter())
        return 0;
    const QRect clipRect = clip ? toQRect(*clip) : QRect();
    map->handle().draw(*surface->painter(), toQRect(*target), clip ? &clipRect : nullptr, mapX, mapY);
    return 1;
}

VELMAR32_API int32_t TLM_SetZoomFactor(TLM_HANDLE id, double* zoom) {
    LibMap* map = findMap(id);
    if (!map || !zoom)
        return 0;
    *zoom = map->handle().setZoom(*zoom);
    return 1;
}

VELMAR32_API int32_t TLM_GetZoomFactor(TLM_HANDLE id, double* zoom) {
    LibMap* map = findMap(id);
    if (!map || !zoom)
        return 0;
    *zoom = map->handle().zoom();
    return 1;
}

VELMAR32_API int32_t TLM_GetZoomInfo(TLM_HANDLE id, double info[2]) {
    LibMap* map = findMap(id);
    if (!map || !info)
        return 0;
    return map->handle().zoomInfo(info[0], info[1]) ? 1 : 0;
}

VELMAR32_API int32_t TLM_SetHighQuality(TLM_HANDLE id, int32_t flag) {
    LibMap* map = findMap(id);
    if (!map)
        return 0;
    map->handle().setHighQuality(flag != 0);
    return flag;
}

VELMAR32_API int32_t TLM_GetHighQuality(TLM_HANDLE id) {
    LibMap* map = findMap(id);
    return map && map->handle().highQuality() ? 1 : 0;
}

VELMAR32_API int32_t TLM_NewPalette(TLM_HANDLE id, void* window, int32_t background) {
    LibMap* map = findMap(id);
    if (!map)
        return 0;
    return map->handle().newPalette(static_cast<QWidget*>(window), background != 0) ? 1 : 0;
}

VELMAR32_API int32_t TLM_SetDimmer(TLM_HANDLE id, int32_t value) {
    LibMap* map = findMap(id);
    return map && map->handle().setDimmer(uint32_t(value)) ? 1 : 0;
}

VELMAR32_API int32_t TLM_GetDimmer(TLM_HANDLE id) {
    LibMap* map = findMap(id);
    return map ? map->handle().dimmer() : 0;
}

VELMAR32_API int32_t TLM_AskDimmer(TLM_HANDLE id, void* owner) {
    LibMap* map = findMap(id);
    return map && DimmerDialog::ask(map->handle(), static_cast<QWidget*>(owner)) ? 1 : 0;
}

VELMAR32_API int32_t TLM_GetNumLayers(TLM_HANDLE id) {
    LibMap* map = findMap(id);
    return map ? map->handle().layerCount() : 0;
}

VELMAR32_API const char* TLM_GetLayerName(TLM_HANDLE id, int32_t index) {
    LibMap* map = findMap(id);
    return map ? map->handle().layerName(index) : nullptr;
}

VELMAR32_API uint32_t TLM_GetLayerActivation(TLM_HANDLE id) {
    LibMap* map = findMap(id);
    return map ? map->handle().layerMask() : 0;
}

VELMAR32_API int32_t TLM_SetLayerActivation(TLM_HANDLE id, uint32_t mask) {
    LibMap* map = findMap(id);
    return map && map->handle().setLayerMask(mask) ? 1 : 0;
}

VELMAR32_API int32_t TLM_AskLayerActivation(TLM_HANDLE id, void* owner) {
    LibMap* map = findMap(id);
    return map && LayerDialog::ask(map->handle(), static_cast<QWidget*>(owner)) ? 1 : 0;
}

VELMAR32_API int32_t TLM_GetManyLayersCount(TLM_HANDLE id) {
    LibMap* map = findMap(id);
    return map ? map->handle().manyLayersCount() : 0;
}

VELMAR32_API int32_t TLM_GetManyLayerInfo(TLM_HANDLE id, intptr_t a, intptr_t b) {
    LibMap* map = findMap(id);
    return map ? map->handle().manyLayerInfo(a, b) : 0;
}

VELMAR32_API int32_t TLM_SetManyLayerActivation(TLM_HANDLE id, intptr_t a, intptr_t b) {
    LibMap* map = findMap(id);
    return map ? map->handle().setManyLayerActivation(a, b) : 0;
}

VELMAR32_API int32_t TLM_TransformCoords(const Coord* source, Coord* target) {
    if (!source || !target)
        return 0;
    return MapCoords::transformCoords(library().resolver, *source, *target);
}

VELMAR32_API int32_t TLM_TransformCoordsEx(const Coord* source, Coord* target) {
    if (!source || !target)
        return MapCoords::StatusNotProvided;
    return MapCoords::transformCoordsEx(library().resolver, *source, *target);
}

VELMAR32_API void TLM_CoordToGradMinSec(const Coord* source, TLM_GRADMINSEC* out) {
    if (!source || !out)
        return;
    static_assert(sizeof(TLM_GRADMINSEC) == sizeof(MapCoords::GradMinSec));
    MapCoords::GradMinSec g;
    std::memcpy(&g, out, sizeof g);
    MapCoords::coordToGradMinSec(*source, g);
    std::memcpy(out, &g, sizeof g);
}

VELMAR32_API int32_t TLM_AttachExternalCoords(TLM_HANDLE id, TLM_ExternalCoordFn hook) {
    LibMap* map = findMap(id);
    if (!map)
        return 0;
    map->attachHook(hook);
    return 1;
}

VELMAR32_API TLM_ExternalCoordFn TLM_GetExternalCoordFunction(TLM_HANDLE id) {
    LibMap* map = findMap(id);
    return map ? map->externalCoordHook() : nullptr;
}

VELMAR32_API TLM_HDC TLM_AttachPainter(void* qpainter) {
    if (!qpainter)
        return 0;
    return (new Surface(static_cast<QPainter*>(qpainter)))->id();
}

VELMAR32_API int32_t TLM_DetachPainter(TLM_HDC dc) {
    Surface* surface = findSurface(dc);
    if (!surface)
        return 0;
    delete surface;
    return 1;
}

VELMAR32_API void TLM_SetMessageBoxFunction(TLM_MessageBoxFn fn) {
    library().messageBox = fn;
}

VELMAR32_API void TLM_SetOpenFileDialogFunction(TLM_OpenFileDialogFn fn) {
    library().openFileDialog = fn;
}

VELMAR32_API void TLM_SetPrintDialogFunction(TLM_PrintDialogFn fn) {
    library().printDialog = fn;
}

} // extern "C"
