// The C exports of the map window class.

#include "LibraryState.h"
#include "MapWindow.h"

#include "DimmerDialog.h"
#include "LayerDialog.h"

#include <QApplication>

using namespace Velmar32;

namespace {

intptr_t windowProcedure(TLM_HWND id, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    MapWindow* window = findWindow(id);
    return window ? window->handleMessage(message, wParam, lParam) : 0;
}

LibMap* windowMap(TLM_HWND id) {
    MapWindow* window = findWindow(id);
    return window ? window->map() : nullptr;
}

// A dimmer change is announced to the top-level windows until one takes
// the palette; the map windows draw again with the new colours.
void announceDimmer(MapWindow* changed) {
    changed->mapChanged();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* w = qobject_cast<MapWindow*>(top);
        if (!w)
            continue;
        bool taken = false;
        w->callHost(TLM_WM_QUERYNEWPALETTE, 0, 0, &taken);
        if (taken)
            break;
    }
}

} // namespace

extern "C" {

VELMAR32_API int32_t TLM_Wnd_Init(void) {
    // Qt widgets need no class registration; the three class names are known
    // to TLM_Wnd_Create.
    return 1;
}

VELMAR32_API TLM_WndProc TLM_Wnd_GetWndProc(void) {
    return &windowProcedure;
}

VELMAR32_API TLM_HWND TLM_Wnd_Create(const char* className, void* parent, uint32_t style, const void* createParams) {
    MapWindow* window = MapWindow::create(className, static_cast<QWidget*>(parent), style, createParams);
    return window ? window->id() : 0;
}

VELMAR32_API void* TLM_Wnd_GetWidget(TLM_HWND id) {
    return static_cast<QWidget*>(findWindow(id));
}

VELMAR32_API int32_t TLM_Wnd_SetCallback(TLM_HWND id, TLM_HostCallback callback) {
    MapWindow* window = findWindow(id);
    if (!window)
        return 0;
    window->setCallback(callback);
    return 1;
}

VELMAR32_API int32_t TLM_Wnd_SetMessageResult(TLM_HWND id, intptr_t result) {
    MapWindow* window = findWindow(id);
    if (!window)
        return 0;
    window->setMessageResult(result);
    return 1;
}

VELMAR32_API TLM_HANDLE TLM_Wnd_GetHandle(TLM_HWND id) {
    MapWindow* window = findWindow(id);
    return window ? window->mapId() : 0;
}

VELMAR32_API int32_t TLM_Wnd_OpenFile(TLM_HWND id, const char* path) {
    MapWindow* window = findWindow(id);
    return window && path ? window->openFile(path) : 0;
}

VELMAR32_API int32_t TLM_Wnd_CloseFile(TLM_HWND id) {
    MapWindow* window = findWindow(id);
    return window ? window->closeFile(false) : 0;
}

VELMAR32_API int32_t TLM_Wnd_SetPos(TLM_HWND id, const Coord* position, int32_t alignment) {
    MapWindow* window = findWindow(id);
    return window && position ? window->setPos(*position, alignment) : 0;
}

VELMAR32_API int32_t TLM_Wnd_GetPos(TLM_HWND id, Coord* position, int32_t alignment) {
    MapWindow* window = findWindow(id);
    return window && position ? window->getPos(*position, alignment) : 0;
}

VELMAR32_API int32_t TLM_Wnd_SetMaxSize(TLM_HWND id, const int32_t* size) {
    MapWindow* window = findWindow(id);
    if (!window)
        return 0;
    window->setMaxSize(size);
    return 1;
}

VELMAR32_API int32_t TLM_Wnd_DoPaint(TLM_HWND id, const TLM_PAINTSTRUCT* paint) {
    MapWindow* window = findWindow(id);
    return window && paint ? window->doPaint(*paint) : 0;
}

VELMAR32_API int32_t TLM_Wnd_AfterPaint(TLM_HWND id, TLM_HDC dc) {
    MapWindow* window = findWindow(id);
    return window ? window->afterPaint(dc) : 0;
}

VELMAR32_API int32_t TLM_Wnd_EnableFlags(TLM_HWND id, uint32_t flags) {
    MapWindow* window = findWindow(id);
    if (!window)
        return 0;
    window->enableFlags(flags);
    return 1;
}

VELMAR32_API int32_t TLM_Wnd_DisableFlags(TLM_HWND id, uint32_t flags) {
    MapWindow* window = findWindow(id);
    if (!window)
        return 0;
    window->disableFlags(flags);
    return 1;
}

VELMAR32_API int32_t TLM_Wnd_SetZoomFactor(TLM_HWND id, double* zoom) {
    MapWindow* window = findWindow(id);
    return window && zoom ? window->setZoomFactor(*zoom) : 0;
}

VELMAR32_API int32_t TLM_Wnd_GetZoomFactor(TLM_HWND id, double* zoom) {
    LibMap* map = windowMap(id);
    return map ? TLM_GetZoomFactor(map->id(), zoom) : 0;
}

VELMAR32_API int32_t TLM_Wnd_SetDimmer(TLM_HWND id, int32_t value) {
    LibMap* map = windowMap(id);
    if (!map || !TLM_SetDimmer(map->id(), value))
        return 0;
    announceDimmer(findWindow(id));
    return 1;
}

VELMAR32_API int32_t TLM_Wnd_GetDimmer(TLM_HWND id) {
    LibMap* map = windowMap(id);
    return map ? TLM_GetDimmer(map->id()) : 0;
}

VELMAR32_API int32_t TLM_Wnd_AskDimmer(TLM_HWND id, void* owner) {
    LibMap* map = windowMap(id);
    if (!map || !TLM_AskDimmer(map->id(), owner))
        return 0;
    announceDimmer(findWindow(id));
    return 1;
}

VELMAR32_API int32_t TLM_Wnd_GetNumLayers(TLM_HWND id) {
    LibMap* map = windowMap(id);
    return map ? TLM_GetNumLayers(map->id()) : 0;
}

VELMAR32_API const char* TLM_Wnd_GetLayerName(TLM_HWND id, int32_t index) {
    LibMap* map = windowMap(id);
    return map ? TLM_GetLayerName(map->id(), index) : nullptr;
}

VELMAR32_API uint32_t TLM_Wnd_GetLayerActivation(TLM_HWND id) {
    LibMap* map = windowMap(id);
    return map ? TLM_GetLayerActivation(map->id()) : 0;
}

VELMAR32_API int32_t TLM_Wnd_SetLayerActivation(TLM_HWND id, uint32_t mask) {
    LibMap* map = windowMap(id);
    if (!map || !TLM_SetLayerActivation(map->id(), mask))
        return 0;
    findWindow(id)->mapChanged();
    return 1;
}

VELMAR32_API int32_t TLM_Wnd_AskLayerActivation(TLM_HWND id, void* owner) {
    LibMap* map = windowMap(id);
    if (!map || !TLM_AskLayerActivation(map->id(), owner))
        return 0;
    findWindow(id)->mapChanged();
    return 1;
}

VELMAR32_API int32_t TLM_Wnd_GetHighQuality(TLM_HWND id) {
    LibMap* map = windowMap(id);
    return map ? TLM_GetHighQuality(map->id()) : 0;
}

VELMAR32_API int32_t TLM_Wnd_SetHighQuality(TLM_HWND id, int32_t flag) {
    LibMap* map = windowMap(id);
    if (!map)
        return 0;
    const int32_t result = TLM_SetHighQuality(map->id(), flag);
    findWindow(id)->mapChanged(false);
    return result;
}

VELMAR32_API int32_t TLM_Wnd_CommonizePalette(TLM_HWND, TLM_HWND) {
    // Windows below one top-level window share their palette by themselves.
    return 1;
}

VELMAR32_API TLM_HDC TLM_Wnd_GetDC(TLM_HWND id) {
    MapWindow* window = findWindow(id);
    return window ? window->getDC() : 0;
}

VELMAR32_API int32_t TLM_Wnd_ReleaseDC(TLM_HWND id, TLM_HDC dc) {
    MapWindow* window = findWindow(id);
    return window ? window->releaseDC(dc) : 0;
}

} // extern "C"
