#include "LibraryState.h"

#include "MapWindow.h"

#include "Cp1252.h"
#include "MosaicGeoreference.h"
#include "SheetMosaic.h"
#include "TlmGeoreference.h"
#include "TlmImage.h"

#include <QMessageBox>
#include <QPainter>

namespace Velmar32 {

Library& library() {
    static Library lib;
    return lib;
}

LibMap* findMap(TLM_HANDLE id) {
    return library().maps.find(id);
}
MapWindow* findWindow(TLM_HWND id) {
    return library().windows.find(id);
}
Surface* findSurface(TLM_HDC id) {
    return library().surfaces.find(id);
}

LibMap::LibMap(std::unique_ptr<MapHandle> handle) : m_handle(std::move(handle)) {
    m_id = library().maps.add(this);
}

LibMap::~LibMap() {
    library().maps.remove(m_id);
    m_hook.release(m_id);
}

const MapCoords::MapGeoreference& LibMap::georeference() const {
    const double zoom = m_handle->zoom();
    if (m_georef && m_georefZoom == zoom)
        return *m_georef;
    ImageSource* source = m_handle->source();
    if (auto* tlm = dynamic_cast<TlmImage*>(source)) {
        const Georeference& g = tlm->georeference();
        m_georef = std::make_unique<MapCoords::TlmGeoreference>(g.kind, g.zone, g.r[0], g.r[1], g.r[2], g.r[3],
                                                                source->imageWidth(), source->imageHeight(), zoom);
    } else if (auto* mosaic = dynamic_cast<SheetMosaic*>(source)) {
        // The reference sheet's display size at the current zoom is the size of every cell.
        const MapHandle* sheet = m_handle->sheetHandle();
        m_georef = std::make_unique<MapCoords::MosaicGeoreference>(
            mosaic->eastingMin(), mosaic->northingMin(), mosaic->sheetWidth(), mosaic->sheetHeight(), mosaic->rows(),
            mosaic->columns(), sheet ? sheet->width() : 0, sheet ? sheet->height() : 0);
    } else {
        m_georef = std::make_unique<MapCoords::NoGeoreference>();
    }
    m_georefZoom = zoom;
    return *m_georef;
}

Surface::Surface(QPainter* painter) : m_painter(painter) {
    m_id = library().surfaces.add(this);
}

Surface::~Surface() {
    library().surfaces.remove(m_id);
}

void Surface::bindWindow(uint32_t windowId) {
    m_binding.kind = Kind::Window;
    m_binding.id = windowId;
    m_binding.offset = {};
}

void Surface::bindPrintJob(uint32_t mapId, const QRect& mapRect, int mapX, int mapY) {
    m_binding.kind = Kind::PrintJob;
    m_binding.id = mapId;
    m_binding.offset = {double(mapX - mapRect.left()), double(mapY - mapRect.top())};
    m_printRect = mapRect;
}

int32_t messageBox(void* owner, const char* text, const char* caption, uint32_t type) {
    if (library().messageBox)
        return library().messageBox(owner, text, caption, type);
    QMessageBox box(type & TLM_MB_ICONERROR ? QMessageBox::Critical : QMessageBox::Information, Cp1252::decode(caption),
                    Cp1252::decode(text), QMessageBox::Ok, static_cast<QWidget*>(owner));
    box.exec();
    return TLM_IDOK;
}

} // namespace Velmar32
