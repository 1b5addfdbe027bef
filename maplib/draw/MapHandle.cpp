#include "MapHandle.h"

#include "DisplayTileCache.h"
#include "ManyLayersPlugin.h"
#include "PaletteGroup.h"
#include "SheetCache.h"
#include "SheetMosaic.h"
#include "TileCache.h"
#include "TilePrefetch.h"
#include "TileRenderer.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <numeric>
#include <optional>

namespace {

// floor(a / b) for b > 0.
int64_t floorDiv(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

int32_t clampToInt32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

uint32_t allLayers(int count) {
    return count >= 32 ? 0xFFFFFFFFu : (uint32_t(1) << count) - 1;
}

} // namespace

// Per-mosaic-sheet drawing state kept in SheetCache with the sheet, so that
// the sheet's palette and zoom survive between repaints.
struct MapHandle::SheetHandleHolder {
    std::unique_ptr<MapHandle> handle;
};

std::unique_ptr<MapHandle> MapHandle::open(const std::string& path) {
    ImageSource* source = ImageSource::open(path);
    if (!source)
        return nullptr;
    return std::make_unique<MapHandle>(source);
}

MapHandle::MapHandle(ImageSource* source) : m_source(source) {
    m_mosaic = dynamic_cast<SheetMosaic*>(source);
    if (m_mosaic) {
        ImageSource* reference = m_mosaic->referenceSheet();
        reference->addRef();
        m_sheet = std::make_unique<MapHandle>(reference);
    }
    m_header = source->tileHeader();
    m_header.biCompression = 0;
    m_layerMask = allLayers(source->layerCount());
    recomputePalette();
    setZoom(1.0);
    m_group = std::make_shared<PaletteGroup>();
    m_group->add(this);
}

MapHandle::~MapHandle() {
    m_group->remove(this);
    // No display tile may outlive the source it was made from; a handle that
    // still draws it makes them again.
    DisplayTileCache::instance().removeSource(m_source);
    m_source->release();
    // m_sheet goes after the mosaic source, which held the reference sheet too.
}

std::unique_ptr<MapHandle> MapHandle::duplicate() const {
    m_source->addRef();
    auto copy = std::make_unique<MapHandle>(m_source);
    if (m_sheet) {
        copy->m_sheet = m_sheet->duplicate();
    } else {
        copy->m_dimmer = m_dimmer;
        copy->m_layerMask = m_layerMask;
        copy->m_palette = m_palette;
        copy->m_colourTable = m_colourTable;
    }
    copy->m_highQuality = m_highQuality;
    copy->setZoom(m_zoom);
    copy->m_group->rebuild();
    return copy;
}

// ---- zoom ----

void MapHandle::applyZoom(int64_t k) {
    m_zoomSteps = k;
    m_zoom = double(k) / double(m_zoomDivisor);
    // Whole numbers by construction: tile sizes are multiples of the divisor.
    m_tileDisplayWidth = clampToInt32(int64_t(m_header.biWidth) * k / m_zoomDivisor);
    m_tileDisplayHeight = clampToInt32(int64_t(m_header.biHeight) * k / m_zoomDivisor);
    m_width = clampToInt32(int64_t(m_source->imageWidth()) * k / m_zoomDivisor);
    m_height = clampToInt32(int64_t(m_source->imageHeight()) * k / m_zoomDivisor);
}

double MapHandle::setZoom(double zoom) {
    if (m_sheet) {
        m_zoom = m_sheet->setZoom(zoom);
        m_zoomSteps = m_sheet->m_zoomSteps;
        m_zoomDivisor = m_sheet->m_zoomDivisor;
        m_tileDisplayWidth = m_sheet->m_tileDisplayWidth;
        m_tileDisplayHeight = m_sheet->m_tileDisplayHeight;
        m_width = clampToInt32(int64_t(m_mosaic->columns()) * m_sheet->m_width);
        m_height = clampToInt32(int64_t(m_mosaic->rows()) * m_sheet->m_height);
        return m_zoom;
    }
    const int64_t tw = std::max(1, m_header.biWidth);
    const int64_t th = std::max(1, m_header.biHeight);
    const int64_t g = std::gcd(tw, th);
    m_zoomDivisor = g;
    // The largest step that keeps a tile within 32767 display pixels.
    const int64_t maxK = std::min(g * MaxTileDisplaySize / tw, g * MaxTileDisplaySize / th);
    const double scaled = std::floor(double(g) * zoom + 0.5);
    int64_t k;
    if (std::isnan(scaled) || scaled <= 0)
        k = 1; // zero, negative or undefined zoom: the smallest step
    else if (scaled >= double(maxK))
        k = maxK;
    else
        k = int64_t(scaled);
    applyZoom(std::max<int64_t>(k, 1));
    return m_zoom;
}

bool MapHandle::zoomInfo(double& smallest, double& largest) const {
    const int64_t tw = m_header.biWidth, th = m_header.biHeight;
    if (tw <= 0 || th <= 0)
        return false;
    const int64_t g = std::gcd(tw, th);
    smallest = 1.0 / double(g);
    largest = double(MaxTileDisplaySize / (tw / g)) / double(g);
    largest = std::min(largest, double(MaxTileDisplaySize / (th / g)) / double(g));
    return true;
}

// ---- dimmer, layers, palette ----

void MapHandle::recomputePalette() {
    if (m_sheet)
        return;
    m_palette = m_source->palette();
    if (m_header.biBitCount != 24) {
        std::size_t n = m_header.biClrUsed ? m_header.biClrUsed : (std::size_t(1) << m_header.biBitCount);
        n = std::min(n, m_palette.size());
        for (std::size_t j = 0; j < n; ++j) {
            RgbQuad& e = m_palette[j];
            e.red = uint8_t((unsigned(e.red) * m_dimmer + 127) / 255);
            e.green = uint8_t((unsigned(e.green) * m_dimmer + 127) / 255);
            e.blue = uint8_t((unsigned(e.blue) * m_dimmer + 127) / 255);
        }
        m_source->applyLayerMask(m_layerMask, m_header, m_palette);
    }
    m_colourTable = TileRenderer::colourTable(m_palette, m_header.biBitCount);
}

bool MapHandle::setDimmer(uint32_t value) {
    const auto v = uint8_t(value & 0xFF);
    if (m_sheet) {
        if (!m_sheet->setDimmer(v))
            return false;
    } else {
        if (v == m_dimmer)
            return false;
        m_dimmer = v;
        recomputePalette();
    }
    m_group->rebuild();
    return true;
}

uint8_t MapHandle::dimmer() const {
    return m_sheet ? m_sheet->dimmer() : m_dimmer;
}

bool MapHandle::setLayerMask(uint32_t mask) {
    if (m_sheet) {
        if (!m_sheet->setLayerMask(mask))
            return false;
    } else {
        if (mask == m_layerMask)
            return false;
        m_layerMask = mask;
        recomputePalette();
    }
    m_group->rebuild();
    return true;
}

uint32_t MapHandle::layerMask() const {
    return m_sheet ? m_sheet->layerMask() : m_layerMask;
}

void MapHandle::setHighQuality(bool on) {
    m_highQuality = on;
    if (m_sheet)
        m_sheet->setHighQuality(on);
}

const BitmapInfoHeader& MapHandle::drawingHeader() const {
    return m_sheet ? m_sheet->drawingHeader() : m_header;
}

const std::vector<RgbQuad>& MapHandle::drawingPalette() const {
    return m_sheet ? m_sheet->drawingPalette() : m_palette;
}

void MapHandle::joinGroup(std::shared_ptr<PaletteGroup> group) {
    if (!group)
        group = std::make_shared<PaletteGroup>();
    if (group == m_group)
        return;
    m_group->remove(this);
    m_group = std::move(group);
    m_group->add(this);
}

bool MapHandle::newPalette(QWidget* window, bool /*background*/) {
    // Selecting and realizing a palette has no effect on a true-colour
    // surface; what changed is still reported, and the window repainted.
    const bool changed = m_group->realize() > 0;
    if (changed && window)
        window->update();
    return changed;
}

// ---- extra-layers plug-in ----

int MapHandle::manyLayersCount() const {
    ManyLayersPlugin* plugin = ManyLayersPlugin::instance();
    return plugin ? plugin->numLayers(m_source, 0, 0) : 0;
}

int MapHandle::manyLayerInfo(intptr_t a, intptr_t b) const {
    ManyLayersPlugin* plugin = ManyLayersPlugin::instance();
    return plugin ? plugin->layerInfo(m_source, a, b) : 0;
}

int MapHandle::setManyLayerActivation(intptr_t a, intptr_t b) const {
    ManyLayersPlugin* plugin = ManyLayersPlugin::instance();
    return plugin ? plugin->setActivation(m_source, a, b) : 0;
}

// ---- drawing ----

void MapHandle::draw(QPainter& painter, const QRect& target, const QRect* clip, int mapX, int mapY,
                     const AbortCallback& abort) {
    QRect area = target;
    if (clip) {
        area = target.intersected(*clip);
        if (area.isEmpty())
            return;
        mapX += area.left() - target.left();
        mapY += area.top() - target.top();
    }
    if (area.isEmpty())
        return;
    DrawProgress progress;
    drawArea(painter, area, mapX, mapY, abort, progress);
}

void MapHandle::drawArea(QPainter& painter, const QRect& area, int mapX, int mapY, const AbortCallback& abort,
                         DrawProgress& progress) {
    if (m_sheet)
        drawMosaic(painter, area, mapX, mapY, abort, progress);
    else
        drawSingle(painter, area, mapX, mapY, abort, progress);
}

MapHandle* MapHandle::mosaicSheet(int column, int row) {
    if (column == m_mosaic->referenceColumn() && row == m_mosaic->referenceRow())
        return m_sheet.get();
    ImageSource* sheet = m_mosaic->sheetAt(column, row);
    if (!sheet)
        return nullptr;
    // sheetAt has just put the cell at the front of SheetCache: this finds it.
    const long cell = long(column) + long(row) * long(m_mosaic->columns());
    SheetCache::Entry& entry = SheetCache::instance().sheet(m_mosaic, cell, [] { return nullptr; });
    if (entry.sheet != sheet)
        return nullptr;
    if (!entry.drawState) {
        auto holder = std::make_shared<SheetHandleHolder>();
        sheet->addRef();
        holder->handle = std::make_unique<MapHandle>(sheet);
        entry.drawState = holder;
    }
    return static_cast<SheetHandleHolder*>(entry.drawState.get())->handle.get();
}

void MapHandle::drawMosaic(QPainter& painter, const QRect& area, int mapX, int mapY, const AbortCallback& abort,
                           DrawProgress& progress) {
    const int64_t sw = m_sheet->width(), sh = m_sheet->height();
    if (sw <= 0 || sh <= 0 || mapX >= m_width || mapY >= m_height)
        return;
    const int64_t xEnd = std::min<int64_t>(m_width, int64_t(mapX) + area.width());
    const int64_t yEnd = std::min<int64_t>(m_height, int64_t(mapY) + area.height());
    const QRect range(area.left(), area.top(), int(xEnd - mapX), int(yEnd - mapY));
    for (int64_t row = floorDiv(std::max(mapY, 0), sh); row * sh < yEnd && !progress.aborted; ++row) {
        for (int64_t col = floorDiv(std::max(mapX, 0), sw); col * sw < xEnd && !progress.aborted; ++col) {
            const QRect cellRect(int(area.left() + col * sw - mapX), int(area.top() + row * sh - mapY), int(sw),
                                 int(sh));
            const QRect part = cellRect.intersected(range);
            if (part.isEmpty())
                continue;
            MapHandle* sheet = mosaicSheet(int(col), int(row));
            if (!sheet)
                continue; // empty cell: the area stays as it is
            if (sheet != m_sheet.get()) {
                sheet->setZoom(m_sheet->zoom());
                sheet->setDimmer(m_sheet->dimmer());
                sheet->setLayerMask(m_sheet->layerMask());
                sheet->setHighQuality(m_sheet->highQuality());
            }
            sheet->drawArea(painter, part, int(part.left() - cellRect.left()), int(part.top() - cellRect.top()), abort,
                            progress);
        }
    }
}

// What one tile needs to be drawn.
struct MapHandle::TileJob {
    int column;
    int row;
    QRect rect; // display rectangle of the picture part of the tile
    int width;  // source pixels
    int height;
    int ahead = -1; // index among the tiles whose display tiles are made ahead
};

struct MapHandle::TileLook {
    TileRenderer::TileLayout layout; // without the tile's own bits and sizes
    bool averaged = false;
    int tileDisplayWidth = 0; // of a whole tile, which area averaging makes
    int tileDisplayHeight = 0;
    const uint32_t* colours = nullptr;
    const std::vector<RgbQuad>* palette = nullptr;
    uint8_t dimmer = 255;
};

MapHandle::TileLook MapHandle::tileLook() const {
    TileLook look;
    look.layout.bitCount = m_header.biBitCount;
    look.layout.tileWidth = m_header.biWidth;
    look.layout.tileHeight = m_header.biHeight;
    look.layout.stride = m_source->stride();
    // Area averaging in high quality, for 8-bit tiles shown at another size.
    const bool unzoomed = m_tileDisplayWidth == m_header.biWidth && m_tileDisplayHeight == m_header.biHeight;
    look.averaged = m_highQuality && m_header.biBitCount == 8 && !unzoomed;
    look.tileDisplayWidth = m_tileDisplayWidth;
    look.tileDisplayHeight = m_tileDisplayHeight;
    look.colours = m_colourTable.data();
    look.palette = &m_palette;
    look.dimmer = m_dimmer;
    return look;
}

QImage MapHandle::renderTile(const TileLook& look, const uint8_t* bits, int width, int height, QSize size,
                             const QRect& part, QImage into) {
    TileRenderer::TileLayout layout = look.layout;
    layout.bits = bits;
    layout.width = width;
    layout.height = height;
    layout.displayWidth = size.width();
    layout.displayHeight = size.height();
    if (!look.averaged)
        return TileRenderer::stretch(layout, part, look.colours, look.dimmer, std::move(into));
    layout.displayWidth = look.tileDisplayWidth;
    layout.displayHeight = look.tileDisplayHeight;
    QImage image = TileRenderer::areaAverage(layout, *look.palette);
    return image.isNull() ? image : image.copy(part);
}

// The display tiles of the tiles a draw loads from the prefetch, made by the
// decoding threads right after each tile: the drawing thread then only
// copies them into the display cache and onto the screen. What they depend
// on is copied at the start of the draw, and a display tile is used only
// while the handle still draws with those settings.
class MapHandle::AheadTiles final : public TilePrefetch::Finisher {
public:
    AheadTiles(const MapHandle& map, const TileLook& look, std::vector<TileJob> jobs)
        : m_colours(map.m_colourTable), m_palette(map.m_palette), m_look(look), m_key(map.displayKey(0, 0)),
          m_jobs(std::move(jobs)), m_images(m_jobs.size()) {
        m_look.colours = m_colours.data();
        m_look.palette = &m_palette;
    }

    void setPrefetch(const TilePrefetch* prefetch) { m_prefetch = prefetch; }

    void prepare(std::size_t index) override {
        // Allocated here, on the drawing thread, for the reason the prefetch
        // allocates its buffers there; area averaging makes its own.
        if (!m_look.averaged)
            m_images[index] = QImage(m_jobs[index].rect.size(), QImage::Format_RGB32);
    }

    void finish(std::size_t index, const uint8_t* bits) override {
        const TileJob& j = m_jobs[index];
        m_images[index] = renderTile(m_look, bits, j.width, j.height, j.rect.size(), QRect(QPoint(0, 0), j.rect.size()),
                                     std::move(m_images[index]));
    }

    // The display tile of tile `index` for `key`, or a null image when the
    // draw did not take the tile from the prefetch or the settings changed.
    QImage take(std::size_t index, DisplayTileCache::Key key) {
        if (!m_prefetch || !m_prefetch->delivered(index))
            return {};
        key.column = 0;
        key.row = 0;
        if (!(key == m_key))
            return {};
        return std::move(m_images[index]);
    }

private:
    const std::vector<uint32_t> m_colours;
    const std::vector<RgbQuad> m_palette;
    TileLook m_look;
    DisplayTileCache::Key m_key; // without column and row
    std::vector<TileJob> m_jobs;
    std::vector<QImage> m_images;
    const TilePrefetch* m_prefetch = nullptr;
};

void MapHandle::drawSingle(QPainter& painter, const QRect& area, int mapX, int mapY, const AbortCallback& abort,
                           DrawProgress& progress) {
    if (!m_source->isOpen())
        return;
    const int64_t tdw = m_tileDisplayWidth, tdh = m_tileDisplayHeight;
    if (tdw <= 0 || tdh <= 0 || mapX >= m_width || mapY >= m_height)
        return;
    const int64_t xEnd = std::min<int64_t>(m_width, int64_t(mapX) + area.width());
    const int64_t yEnd = std::min<int64_t>(m_height, int64_t(mapY) + area.height());
    // Left of and above the map nothing is drawn.
    const int64_t xBegin = std::max(mapX, 0), yBegin = std::max(mapY, 0);
    if (xEnd <= xBegin || yEnd <= yBegin)
        return;
    const int64_t c0 = xBegin / tdw, c1 = (xEnd - 1) / tdw;
    const int64_t r0 = yBegin / tdh, r1 = (yEnd - 1) / tdh;
    const QRect drawn(int(area.left() + xBegin - mapX), int(area.top() + yBegin - mapY), int(xEnd - xBegin),
                      int(yEnd - yBegin));

    painter.save();
    painter.setClipRect(drawn, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    // Colour-on-colour stretching: nearest neighbour, never smoothed.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);

    const int tw = m_header.biWidth, th = m_header.biHeight;
    auto job = [&](int64_t c, int64_t r) {
        TileJob j;
        j.column = int(c);
        j.row = int(r);
        j.width = c == m_source->tilesPerRow() - 1 ? int(m_source->imageWidth() - c * tw) : tw;
        j.height = r == m_source->tileRows() - 1 ? int(m_source->imageHeight() - r * th) : th;
        const int dw = j.width == tw ? int(tdw) : int(tdw * j.width / tw);
        const int dh = j.height == th ? int(tdh) : int(tdh * j.height / th);
        j.rect = QRect(int(area.left() + c * tdw - mapX), int(area.top() + r * tdh - mapY), dw, dh);
        return j;
    };
    // The abort question comes between two tiles, also across sheets.
    auto mayGoOn = [&]() {
        if (progress.started && abort && abort())
            progress.aborted = true;
        progress.started = true;
        return !progress.aborted;
    };

    const int64_t count = (c1 - c0 + 1) * (r1 - r0 + 1);
    auto cell = [&](int64_t c, int64_t r) { return std::size_t((r - r0) * (c1 - c0 + 1) + (c - c0)); };
    TileCache& tiles = TileCache::instance();
    DisplayTileCache& shown = DisplayTileCache::instance();
    auto known = [&](int column, int row) {
        return m_layerMask == 0 || shown.contains(displayKey(column, row)) || tiles.contains(m_source, column, row);
    };

    const TileLook look = tileLook();
    // Area averaging reads every row of a tile whatever the zoom.
    const double rowsShown = look.averaged ? 1.0 : double(tdh) / th;
    // Display tiles too large to keep are made only where they show, and the
    // plug-in's graphic layers are turned into pixels by the plug-in on this
    // thread: both are left to drawTile.
    ManyLayersPlugin* plugin = ManyLayersPlugin::loaded();
    const bool aheadPossible = m_layerMask != 0 && count <= MaxTileDisplaySize &&
                               shown.accepts(std::size_t(tdw) * std::size_t(tdh) * 4) &&
                               !(plugin && plugin->isGraphic(m_source));
    // The tiles the second pass will load are decoded ahead on all cores,
    // from now on, while the known ones are drawn; so are their display
    // tiles where they will be kept.
    std::vector<int> aheadIndex;
    std::unique_ptr<AheadTiles> ahead;
    std::optional<TilePrefetch> prefetch;
    if (m_layerMask != 0 && TilePrefetch::worthwhile(m_source, std::size_t(count), rowsShown, aheadPossible)) {
        std::vector<std::pair<int, int>> wanted;
        std::vector<TileJob> jobs;
        if (aheadPossible)
            aheadIndex.assign(std::size_t(count), -1);
        for (int64_t r = r0; r <= r1; ++r) {
            for (int64_t c = c0; c <= c1; ++c) {
                if (known(int(c), int(r)))
                    continue;
                if (aheadPossible) {
                    aheadIndex[cell(c, r)] = int(jobs.size());
                    jobs.push_back(job(c, r));
                }
                wanted.emplace_back(int(c), int(r));
            }
        }
        if (wanted.size() > 1) {
            if (aheadPossible)
                ahead = std::make_unique<AheadTiles>(*this, look, std::move(jobs));
            prefetch.emplace(m_source, std::move(wanted), ahead.get());
            if (ahead)
                ahead->setPrefetch(&*prefetch);
        } else {
            aheadIndex.clear();
        }
    }
    auto jobAt = [&](int64_t c, int64_t r) {
        TileJob j = job(c, r);
        if (!aheadIndex.empty())
            j.ahead = aheadIndex[cell(c, r)];
        return j;
    };

    std::vector<char> done;
    // What is known is shown at once: tiles decoded already go first.
    if (count <= MaxTileDisplaySize) {
        done.assign(std::size_t(count), 0);
        for (int64_t r = r0; r <= r1 && !progress.aborted; ++r) {
            for (int64_t c = c0; c <= c1; ++c) {
                const TileJob j = job(c, r);
                if (!known(j.column, j.row))
                    continue;
                if (!mayGoOn())
                    break;
                drawTile(painter, j, drawn, nullptr);
                done[cell(c, r)] = 1;
            }
        }
    }
    for (int64_t r = r0; r <= r1 && !progress.aborted; ++r) {
        for (int64_t c = c0; c <= c1; ++c) {
            if (!done.empty() && done[cell(c, r)])
                continue;
            if (!mayGoOn())
                break;
            drawTile(painter, jobAt(c, r), drawn, ahead.get());
        }
    }
    // The prefetch goes first: it waits for its threads, which may still be
    // making display tiles into `ahead`.
    prefetch.reset();
    painter.restore();
}

DisplayTileCache::Key MapHandle::displayKey(int column, int row) const {
    DisplayTileCache::Key key;
    key.source = m_source;
    key.column = column;
    key.row = row;
    key.zoomSteps = m_zoomSteps;
    key.zoomDivisor = m_zoomDivisor;
    key.dimmer = m_dimmer;
    key.layerMask = m_layerMask;
    key.highQuality = m_highQuality && m_header.biBitCount == 8;
    return key;
}

void MapHandle::drawTile(QPainter& painter, const TileJob& job, const QRect& drawn, AheadTiles* ahead) {
    const QRect& rect = job.rect;
    if (rect.isEmpty())
        return;
    if (m_layerMask == 0) {
        painter.fillRect(rect, Qt::white);
        return;
    }
    const int tw = m_header.biWidth, th = m_header.biHeight;
    TileLook look = tileLook();

    // Graphic extra layers: the plug-in turns the tile into 24 bits.
    ManyLayersPlugin* plugin = ManyLayersPlugin::loaded();
    if (plugin && plugin->isGraphic(m_source)) {
        const uint8_t* bits = TileCache::instance().tile(m_source, job.column, job.row);
        if (!bits)
            return;
        BitmapInfoHeader header24 = m_header;
        header24.biBitCount = 24;
        header24.biClrUsed = 0;
        uint8_t headerBytes[BitmapInfoHeader::FileSize];
        header24.toBytes(headerBytes);
        // Lines of a 24-bit tile are padded to 4 bytes, so the buffer holds
        // whole padded lines, not only width × height × 3 bytes.
        const std::size_t stride24 = std::size_t(tileStride(tw, 24));
        std::unique_ptr<uint8_t[]> bits24(new (std::nothrow) uint8_t[stride24 * std::size_t(th)]());
        if (!bits24)
            return;
        plugin->transform(m_source, headerBytes, bits24.get(), m_header.biBitCount, bits);
        // Stretched as 24-bit pixels, never averaged.
        look.layout.bitCount = 24;
        look.layout.stride = int(stride24);
        look.averaged = false;
        look.colours = nullptr;
        const QRect part = rect.intersected(drawn).translated(-rect.topLeft());
        const QImage image = renderTile(look, bits24.get(), job.width, job.height, rect.size(), part, QImage());
        painter.drawImage(rect.topLeft() + part.topLeft(), image);
        return;
    }

    DisplayTileCache& shown = DisplayTileCache::instance();
    const std::size_t bytes = std::size_t(rect.width()) * std::size_t(rect.height()) * 4;
    const bool cacheable = shown.accepts(bytes);
    const DisplayTileCache::Key key = displayKey(job.column, job.row);
    if (cacheable) {
        if (const QImage* hit = shown.find(key)) {
            painter.drawImage(rect.topLeft(), *hit);
            return;
        }
    }
    const uint8_t* bits = TileCache::instance().tile(m_source, job.column, job.row);
    if (!bits)
        return; // no memory for the tile: it is skipped
    // A tile too large to keep is rendered only where it shows.
    const QRect part =
        cacheable ? QRect(QPoint(0, 0), rect.size()) : rect.intersected(drawn).translated(-rect.topLeft());
    if (part.isEmpty())
        return;
    QImage image;
    if (ahead && job.ahead >= 0 && cacheable)
        image = ahead->take(std::size_t(job.ahead), key);
    if (image.isNull())
        image = renderTile(look, bits, job.width, job.height, rect.size(), part, QImage());
    if (image.isNull())
        return;
    if (cacheable)
        painter.drawImage(rect.topLeft(), *shown.insert(key, std::move(image)));
    else
        painter.drawImage(rect.topLeft() + part.topLeft(), image);
}
