#include "ImageSource.h"

#include "BmpImage.h"
#include "ManyLayersPlugin.h"
#include "PcxImage.h"
#include "SheetCache.h"
#include "SheetMosaic.h"
#include "TiffImage.h"
#include "TileCache.h"
#include "TlmImage.h"

#include <algorithm>
#include <cctype>
#include <new>

ImageSource::~ImageSource() {
    TileCache::instance().removeSource(this);
    SheetCache::instance().removeMosaic(this);
    if (ManyLayersPlugin* plugin = ManyLayersPlugin::loaded())
        plugin->remove(this);
}

void ImageSource::release() {
    if (--m_refCount <= 0)
        delete this;
}

ImageSource* ImageSource::open(const std::string& path) {
    if (path.size() < 4 || path[path.size() - 4] != '.')
        return nullptr;
    std::string ending = path.substr(path.size() - 3);
    for (char& c : ending)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    ImageSource* source = nullptr;
    // A file whose sizes are valid but too large for the memory left does not
    // open either.
    try {
        source = openByEnding(path, ending);
    } catch (const std::bad_alloc&) {
        source = nullptr;
    }
    return source;
}

ImageSource* ImageSource::openByEnding(const std::string& path, const std::string& ending) {
    ImageSource* source = nullptr;
    if (ending == "TLM")
        source = TlmImage::open(path);
    else if (ending == "KMO")
        source = SheetMosaic::open(path);
    else if (ending == "BMP")
        source = BmpImage::open(path);
    else if (ending == "PCX")
        source = PcxImage::open(path);
    else if (ending == "TIF")
        source = TiffImage::open(path);
    return source;
}

void ImageSource::applyLayerMask(uint32_t mask, const BitmapInfoHeader& header, std::vector<RgbQuad>& palette) const {
    if (header.biBitCount == 24 || !m_layerFilter)
        return;
    const std::size_t count = std::min<std::size_t>(palette.size(), header.biClrUsed);
    for (std::size_t i = 0; i < m_layers.size() && i < 32; ++i) {
        if (mask & (uint32_t(1) << i))
            continue;
        const LayerEntry& layer = m_layers[i];
        // j − v only clears bits of j, so it is below j and already final for
        // this layer: walking upward in place is safe.
        for (std::size_t j = 0; j < count; ++j) {
            const uint32_t v = uint32_t(j) & layer.mask;
            if (layer.low <= v && v <= layer.high)
                palette[j] = palette[j - v];
        }
    }
}

const char* ImageSource::layerName(int index) const {
    if (index < 0 || index >= int(m_layers.size()))
        return nullptr;
    return m_layers[std::size_t(index)].name.c_str();
}

bool ImageSource::finishGeometry() {
    const BitmapInfoHeader& h = m_header;
    if (m_imageWidth <= 0 || m_imageHeight <= 0 || h.biWidth <= 0 || h.biHeight <= 0)
        return false;
    switch (h.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
        break;
    default:
        return false;
    }
    const int64_t b = h.biBitCount < 9 ? h.biBitCount : (h.biBitCount / 8) * 8;
    // Row bytes times rows of sizes near 2^31 would overflow: the rows are
    // checked against the limit first.
    const int64_t rowBytes = std::max(b * int64_t(h.biWidth) / 8, int64_t(tileStride(h.biWidth, h.biBitCount)));
    if (rowBytes <= 0 || int64_t(h.biHeight) > MaxTileBytes / rowBytes)
        return false;
    const int64_t tileBytes = b * int64_t(h.biWidth) / 8 * int64_t(h.biHeight);
    const int64_t buffer = std::max(tileBytes, tileStride(h.biWidth, h.biBitCount) * int64_t(h.biHeight));
    if (tileBytes <= 0 || buffer > MaxTileBytes)
        return false;
    m_tileBytes = int32_t(tileBytes);
    m_tileBufferBytes = std::size_t(buffer);
    m_tilesPerRow = (m_imageWidth - 1) / h.biWidth + 1;
    m_tileRows = (m_imageHeight - 1) / h.biHeight + 1;
    if (int64_t(m_tilesPerRow) * m_tileRows > 0x3FFFFFFF)
        return false;
    if (h.biBitCount != 24) {
        const uint32_t full = uint32_t(1) << h.biBitCount;
        if (m_header.biClrUsed == 0)
            m_header.biClrUsed = full;
        if (m_header.biClrUsed > full)
            return false;
        // Colours the file leaves out are black.
        m_palette.resize(m_header.biClrUsed);
    } else {
        m_header.biClrUsed = 0;
        m_palette.clear();
    }
    return true;
}

void ImageSource::setPlainLayer() {
    m_layers.clear();
    m_layers.push_back(LayerEntry{255, 0, 0, 255, ""});
    m_layerFilter = false;
}

void ImageSource::finishLayers() {
    if (m_layers.size() <= 1) {
        m_layers.clear();
        m_layers.push_back(LayerEntry{255, 0, 0, 255, "Karte"});
    }
}
