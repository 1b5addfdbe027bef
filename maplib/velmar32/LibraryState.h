#pragma once

#include "velmar32.h"

#include "CoordTargets.h"
#include "ExternalCoordHook.h"
#include "MapGeoreference.h"
#include "MapHandle.h"
#include "MapWindow.h"

#include <QRect>

#include <memory>

class QPainter;

namespace Velmar32 {

// One map handle of the C interface: the drawing state of the map and its
// tie to coordinates (georeference at the current zoom, external hook).
class LibMap final : public MapCoords::CoordMap {
public:
    explicit LibMap(std::unique_ptr<MapHandle> handle);
    ~LibMap() override;

    uint32_t id() const { return m_id; }
    MapHandle& handle() const { return *m_handle; }

    const MapCoords::MapGeoreference& georeference() const override;
    ExternalCoordHook externalCoordHook() const override { return m_hook.hook(); }
    void attachHook(ExternalCoordHook hook) { m_hook.attach(m_id, hook); }

private:
    std::unique_ptr<MapHandle> m_handle;
    MapCoords::ExternalCoordHookSlot m_hook;
    mutable std::unique_ptr<MapCoords::MapGeoreference> m_georef;
    mutable double m_georefZoom = 0.0;
    uint32_t m_id = 0;
};

// A registered drawing surface: a host's painter, a window's painter while
// it paints or lends it out, or the printer's painter during a print job.
class Surface final : public MapCoords::CoordSurface {
public:
    explicit Surface(QPainter* painter);
    ~Surface() override;

    uint32_t id() const { return m_id; }
    QPainter* painter() const { return m_painter; }
    Binding binding() const override { return m_binding; }

    void bindWindow(uint32_t windowId);
    // The print job's map lies in `mapRect` on the page; its display pixel
    // (mapX, mapY) is drawn at the top left corner of that rectangle.
    void bindPrintJob(uint32_t mapId, const QRect& mapRect, int mapX, int mapY);
    void unbind() { m_binding = Binding{}; }
    bool isPrintJob() const { return m_binding.kind == Kind::PrintJob; }
    QRect printRect() const { return m_printRect; }

private:
    QPainter* m_painter;
    Binding m_binding;
    QRect m_printRect;
    uint32_t m_id = 0;
};

// The library's process-wide registries and replaceable dialogs.
struct Library {
    MapCoords::IdRegistry<LibMap> maps;
    MapCoords::IdRegistry<MapWindow> windows;
    MapCoords::IdRegistry<Surface> surfaces;
    MapCoords::RegistryResolver<LibMap, MapWindow, Surface> resolver{maps, windows, surfaces};
    TLM_MessageBoxFn messageBox = nullptr;
    TLM_OpenFileDialogFn openFileDialog = nullptr;
    TLM_PrintDialogFn printDialog = nullptr;
};

Library& library();

LibMap* findMap(TLM_HANDLE id);
MapWindow* findWindow(TLM_HWND id);
Surface* findSurface(TLM_HDC id);

// Shows a message box through the host's function or the library's own.
int32_t messageBox(void* owner, const char* text, const char* caption, uint32_t type);

} // namespace Velmar32
