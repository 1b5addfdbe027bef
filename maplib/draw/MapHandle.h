#pragma once

#include "DisplayTileCache.h"
#include "ImageSource.h"
#include "MapTypes.h"

#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class PaletteGroup;
class QImage;
class QPainter;
class QSize;
class QWidget;
class SheetMosaic;

// The drawing state of one opened map: zoom, dimmer, layer mask, quality and
// the palette as drawn. The raster itself (ImageSource) is shared by all
// handles duplicated from one open.
//
// Zoom is display pixels per map pixel, held as a multiple of 1/g (g = the
// greatest common divisor of tile width and height) so that tiles have whole
// display sizes and join without gaps.
class MapHandle {
public:
    // Between two tiles: true stops the drawing.
    using AbortCallback = std::function<bool()>;

    // Largest display size of one tile in either direction.
    static constexpr int MaxTileDisplaySize = 32767;

    // Opens a map file; null when it does not open.
    static std::unique_ptr<MapHandle> open(const std::string& path);
    // Takes over one reference of `source` (which must not be null).
    explicit MapHandle(ImageSource* source);
    ~MapHandle();
    MapHandle(const MapHandle&) = delete;
    MapHandle& operator=(const MapHandle&) = delete;

    // A handle on the same raster with this one's zoom, size, dimmer, layer
    // mask, quality and drawing palette, in a palette group of its own. A sheet
    // mosaic gets a duplicate of its reference sheet.
    std::unique_ptr<MapHandle> duplicate() const;

    ImageSource* source() const { return m_source; }
    bool isMosaic() const { return m_mosaic != nullptr; }
    // The handle of the reference sheet of a mosaic, else null.
    MapHandle* sheetHandle() const { return m_sheet.get(); }

    // Sets the zoom as described above and returns the effective zoom.
    double setZoom(double zoom);
    double zoom() const { return m_zoom; }
    // Smallest and largest zoom; false for a tile size of 0.
    bool zoomInfo(double& smallest, double& largest) const;
    // Map size in display pixels at the current zoom.
    int32_t width() const { return m_width; }
    int32_t height() const { return m_height; }
    int32_t tileDisplayWidth() const { return m_tileDisplayWidth; }
    int32_t tileDisplayHeight() const { return m_tileDisplayHeight; }

    // Brightness 0 (black) .. 255 (full); only the low 8 bits count. True when
    // the value changed.
    bool setDimmer(uint32_t value);
    uint8_t dimmer() const;
    // Bit i shows layer i. True when the mask changed.
    bool setLayerMask(uint32_t mask);
    uint32_t layerMask() const;
    int layerCount() const { return m_source->layerCount(); }
    const char* layerName(int index) const { return m_source->layerName(index); }

    void setHighQuality(bool on);
    bool highQuality() const { return m_highQuality; }

    // The tile header as drawn (compression 0) and the palette as drawn:
    // dimmed and filtered by the layer mask; a mosaic answers with its
    // reference sheet's.
    const BitmapInfoHeader& drawingHeader() const;
    const std::vector<RgbQuad>& drawingPalette() const;

    PaletteGroup& paletteGroup() const { return *m_group; }
    std::shared_ptr<PaletteGroup> paletteGroupPtr() const { return m_group; }
    // Leaves the current group and joins `group` (a fresh group of its own when
    // null); both groups are rebuilt.
    void joinGroup(std::shared_ptr<PaletteGroup> group);

    // Realizes the group palette; when entries changed, `window` (if any) is
    // repainted as a whole. True when entries changed.
    bool newPalette(QWidget* window, bool background);

    // Draws the map so that display pixel (mapX, mapY) of the zoomed map lies
    // at the top left corner of `target`, limited to `clip` when given. Tiles
    // already decoded are drawn first, then the others are loaded row by row.
    void draw(QPainter& painter, const QRect& target, const QRect* clip, int mapX, int mapY,
              const AbortCallback& abort = {});

    // The extra-layers plug-in calls; 0 without the plug-in.
    int manyLayersCount() const;
    int manyLayerInfo(intptr_t a, intptr_t b) const;
    int setManyLayerActivation(intptr_t a, intptr_t b) const;

private:
    struct SheetHandleHolder;
    // State of one drawing across the sheets of a mosaic.
    struct DrawProgress {
        bool started = false; // a tile has been drawn
        bool aborted = false;
    };

    void recomputePalette();
    void applyZoom(int64_t k);
    void drawArea(QPainter& painter, const QRect& area, int mapX, int mapY, const AbortCallback& abort,
                  DrawProgress& progress);
    void drawSingle(QPainter& painter, const QRect& area, int mapX, int mapY, const AbortCallback& abort,
                    DrawProgress& progress);
    struct TileJob;
    struct TileLook;
    class AheadTiles;
    // What turning this handle's decoded tiles into display tiles depends on
    // besides the tile.
    TileLook tileLook() const;
    // The part `part` (display tile coordinates) of the display tile of
    // `bits`, `width` × `height` source pixels shown in `size`. `into` as for
    // TileRenderer::stretch.
    static QImage renderTile(const TileLook& look, const uint8_t* bits, int width, int height, QSize size,
                             const QRect& part, QImage into);
    // Draws the tile of `job`; `drawn` is the whole area being drawn. Its
    // display tile may have been made ahead.
    void drawTile(QPainter& painter, const TileJob& job, const QRect& drawn, AheadTiles* ahead);
    DisplayTileCache::Key displayKey(int column, int row) const;
    void drawMosaic(QPainter& painter, const QRect& area, int mapX, int mapY, const AbortCallback& abort,
                    DrawProgress& progress);
    MapHandle* mosaicSheet(int column, int row);

    ImageSource* m_source;
    SheetMosaic* m_mosaic = nullptr;
    std::unique_ptr<MapHandle> m_sheet; // reference sheet of a mosaic

    BitmapInfoHeader m_header;
    std::vector<RgbQuad> m_palette;      // as drawn
    std::vector<uint32_t> m_colourTable; // m_palette as display colours, 2^bit count entries
    uint8_t m_dimmer = 255;
    uint32_t m_layerMask = 0;
    bool m_highQuality = false;
    int64_t m_zoomSteps = 1; // zoom = m_zoomSteps / m_zoomDivisor
    int64_t m_zoomDivisor = 1;
    double m_zoom = 1.0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_tileDisplayWidth = 0;
    int32_t m_tileDisplayHeight = 0;
    std::shared_ptr<PaletteGroup> m_group;
};
