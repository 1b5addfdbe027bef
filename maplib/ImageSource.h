#pragma once

#include "MapTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// One opened raster file, shared by every map handle duplicated from one open.
// The picture is cut into equal tiles; a decoded tile holds its lines
// bottom-up, each padded to 4 bytes (see tileStride). Readers validate every
// size, count and offset of the file while opening, so a source that exists is
// consistent: tile buffers of tileBufferBytes() bytes hold any tile.
class ImageSource {
public:
    static constexpr int MaxLayers = 32;

    virtual ~ImageSource();
    ImageSource(const ImageSource&) = delete;
    ImageSource& operator=(const ImageSource&) = delete;

    // Opens a map file by the last three characters of its path ("TLM", "KMO",
    // "BMP", "PCX", "TIF", case-insensitive, after a point). Returns a source
    // with reference count 1, or null when the file does not open.
    static ImageSource* open(const std::string& path);

    // Reference counting for duplicated handles: the source is destroyed when
    // the count drops to 0.
    void addRef() { ++m_refCount; }
    void release();
    int32_t refCount() const { return m_refCount; }

    // Decodes tile (column, row) into `target` of `targetLen` bytes (at least
    // tileBufferBytes()). The whole buffer is always written: a tile that
    // cannot be read or decoded comes out as zero bytes and the result is false.
    virtual bool readTile(int column, int row, uint8_t* target, std::size_t targetLen) = 0;
    // Whether readTile may run on several threads at once (for different
    // targets). Readers that go through a plug-in or keep state between reads
    // say no.
    virtual bool concurrentReads() const { return false; }
    // Whether a tile decodes about as fast as its pixels are read once
    // (run-length tiles), so that decoding it on another core pays only
    // where a draw reads a small part of each tile.
    virtual bool cheapTiles() const { return false; }
    // Hides the layers whose bit in `mask` is clear: every palette entry of such
    // a layer takes the colour the pixel would have without that layer's bits.
    virtual void applyLayerMask(uint32_t mask, const BitmapInfoHeader& header, std::vector<RgbQuad>& palette) const;
    virtual bool isOpen() const = 0;
    // Name of layer `index` (Windows-1252 bytes), or null.
    virtual const char* layerName(int index) const;
    // Coordinate type (library code) and zone of the map's own system.
    virtual void georefInfo(int& type, int& zone) const {
        type = 0;
        zone = 0;
    }

    const BitmapInfoHeader& tileHeader() const { return m_header; }
    const std::vector<RgbQuad>& palette() const { return m_palette; }
    int32_t layerCount() const { return int32_t(m_layers.size()); }
    const std::vector<LayerEntry>& layers() const { return m_layers; }
    // False for rasters whose layer mask changes nothing.
    bool hasLayerFilter() const { return m_layerFilter; }
    int32_t imageWidth() const { return m_imageWidth; }
    int32_t imageHeight() const { return m_imageHeight; }
    int32_t tileWidth() const { return m_header.biWidth; }
    int32_t tileHeight() const { return m_header.biHeight; }
    int bitCount() const { return m_header.biBitCount; }
    // Bytes of one decoded tile as the file format counts them; this ignores
    // line padding, see tileBufferBytes.
    int32_t tileBytes() const { return m_tileBytes; }
    // Bytes a decoded tile buffer has: at least stride × tile height, so that a
    // tile with padded lines can be drawn without reading past its end.
    std::size_t tileBufferBytes() const { return m_tileBufferBytes; }
    int32_t stride() const { return int32_t(tileStride(m_header.biWidth, m_header.biBitCount)); }
    int32_t tilesPerRow() const { return m_tilesPerRow; }
    int32_t tileRows() const { return m_tileRows; }

protected:
    ImageSource() = default;

    // Derives tile bytes, tiles per row, buffer size and the palette default
    // from the tile header and the image size; false when they are out of range.
    bool finishGeometry();
    // Replaces a missing or single layer by the default layer "Karte".
    void finishLayers();
    // Plain rasters (bitmaps, PCX, TIFF) have one unnamed layer and no layer
    // filter: applying a mask leaves their palette as it is.
    void setPlainLayer();

    BitmapInfoHeader m_header;
    std::vector<RgbQuad> m_palette;
    std::vector<LayerEntry> m_layers;
    int32_t m_imageWidth = 0;
    int32_t m_imageHeight = 0;
    int32_t m_tileBytes = 0;
    std::size_t m_tileBufferBytes = 0;
    int32_t m_tilesPerRow = 0;
    int32_t m_tileRows = 0;
    bool m_layerFilter = true;

private:
    static ImageSource* openByEnding(const std::string& path, const std::string& ending);

    int32_t m_refCount = 1;
};

// Largest decoded tile the library accepts (a BMP or PCX picture is one tile).
inline constexpr int64_t MaxTileBytes = 0x7FFFFFFF - 1;
