#include "TiffImage.h"

#include "PluginLoader.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// TIFF tags and values the reader asks for.
enum : uint32_t {
    TagImageWidth = 256,
    TagImageLength = 257,
    TagBitsPerSample = 258,
    TagPhotometric = 262,
    TagOrientation = 274,
    TagSamplesPerPixel = 277,
    TagRowsPerStrip = 278,
    TagPlanarConfig = 284,
    TagColorMap = 320,
    TagTileWidth = 322,
    TagTileLength = 323,
};
enum : uint16_t { MinIsWhite = 0, MinIsBlack = 1, Rgb = 2, Palette = 3 };

struct TiffPlugin {
    void* (*open)(const char*, const char*) = nullptr;
    void (*close)(void*) = nullptr;
    int (*isTiled)(void*) = nullptr;
    int64_t (*readTile)(void*, void*, uint32_t, uint32_t, uint32_t, uint16_t) = nullptr;
    int64_t (*readEncodedStrip)(void*, uint32_t, void*, int64_t) = nullptr;
    int (*getFieldDefaulted)(void*, uint32_t, ...) = nullptr;
};

const TiffPlugin* plugin() {
    static const TiffPlugin* loaded = []() -> const TiffPlugin* {
        void* lib = PluginLoader::load("libVelmar32_TIFF.so");
        if (!lib)
            return nullptr;
        static TiffPlugin p;
        p.open = reinterpret_cast<decltype(p.open)>(PluginLoader::symbol(lib, "TLM_TIFF_Open"));
        p.close = reinterpret_cast<decltype(p.close)>(PluginLoader::symbol(lib, "TLM_TIFF_Close"));
        p.isTiled = reinterpret_cast<decltype(p.isTiled)>(PluginLoader::symbol(lib, "TLM_TIFF_IsTiled"));
        p.readTile = reinterpret_cast<decltype(p.readTile)>(PluginLoader::symbol(lib, "TLM_TIFF_ReadTile"));
        p.readEncodedStrip =
            reinterpret_cast<decltype(p.readEncodedStrip)>(PluginLoader::symbol(lib, "TLM_TIFF_ReadEncodedStrip"));
        p.getFieldDefaulted =
            reinterpret_cast<decltype(p.getFieldDefaulted)>(PluginLoader::symbol(lib, "TLM_TIFF_GetFieldDefaulted"));
        if (!p.open || !p.close || !p.isTiled || !p.readTile || !p.readEncodedStrip || !p.getFieldDefaulted)
            return nullptr;
        return &p;
    }();
    return loaded;
}

} // namespace

bool TiffImage::pluginAvailable() {
    return plugin() != nullptr;
}

TiffImage::~TiffImage() {
    if (m_tiff)
        plugin()->close(m_tiff);
}

TiffImage* TiffImage::open(const std::string& path) {
    const TiffPlugin* p = plugin();
    if (!p)
        return nullptr;
    std::unique_ptr<TiffImage> image(new TiffImage);
    image->m_tiff = p->open(path.c_str(), "r");
    if (!image->m_tiff || !image->parse())
        return nullptr;
    return image.release();
}

bool TiffImage::parse() {
    const TiffPlugin* p = plugin();
    uint32_t width = 0, height = 0, rowsPerStrip = 0, tileWidth = 0, tileLength = 0;
    uint16_t bits = 0, samples = 0, photometric = 0xFFFF, orientation = 0, planar = 0;
    if (!p->getFieldDefaulted(m_tiff, TagImageWidth, &width) || !p->getFieldDefaulted(m_tiff, TagImageLength, &height))
        return false;
    p->getFieldDefaulted(m_tiff, TagBitsPerSample, &bits);
    p->getFieldDefaulted(m_tiff, TagSamplesPerPixel, &samples);
    p->getFieldDefaulted(m_tiff, TagOrientation, &orientation);
    p->getFieldDefaulted(m_tiff, TagPlanarConfig, &planar);
    if (!p->getFieldDefaulted(m_tiff, TagPhotometric, &photometric))
        return false;
    if (orientation != 1 || width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return false;
    int bitCount;
    if (samples == 1 && (bits == 1 || bits == 4 || bits == 8) &&
        (photometric == MinIsWhite || photometric == MinIsBlack || photometric == Palette))
        bitCount = bits;
    else if (samples == 3 && bits == 8 && planar == 1 && photometric == Rgb)
        bitCount = 24;
    else
        return false;
    m_samples = samples;
    m_tiled = p->isTiled(m_tiff) != 0;
    if (m_tiled) {
        if (!p->getFieldDefaulted(m_tiff, TagTileWidth, &tileWidth) ||
            !p->getFieldDefaulted(m_tiff, TagTileLength, &tileLength))
            return false;
    } else {
        if (!p->getFieldDefaulted(m_tiff, TagRowsPerStrip, &rowsPerStrip))
            rowsPerStrip = height;
        tileWidth = width;
        tileLength = std::min(rowsPerStrip, height);
    }
    if (tileWidth == 0 || tileLength == 0 || tileWidth > 0x7FFFFFFF || tileLength > 0x7FFFFFFF)
        return false;
    m_imageWidth = int32_t(width);
    m_imageHeight = int32_t(height);
    m_header = BitmapInfoHeader{};
    m_header.biWidth = int32_t(tileWidth);
    m_header.biHeight = int32_t(tileLength);
    m_header.biBitCount = uint16_t(bitCount);
    if (!finishGeometry())
        return false;
    m_rowBytes = std::size_t((uint64_t(tileWidth) * bits * samples + 7) / 8);
    const std::size_t n = m_palette.size();
    if (photometric == Palette) {
        uint16_t* red = nullptr;
        uint16_t* green = nullptr;
        uint16_t* blue = nullptr;
        if (!p->getFieldDefaulted(m_tiff, TagColorMap, &red, &green, &blue) || !red || !green || !blue)
            return false;
        for (std::size_t i = 0; i < n; ++i)
            m_palette[i] = RgbQuad{uint8_t(blue[i] >> 8), uint8_t(green[i] >> 8), uint8_t(red[i] >> 8), 0};
    } else if (bitCount != 24) {
        for (std::size_t i = 0; i < n; ++i) {
            uint8_t v = uint8_t(i * 255 / (n - 1));
            if (photometric == MinIsWhite)
                v = uint8_t(255 - v);
            m_palette[i] = RgbQuad{v, v, v, 0};
        }
    }
    setPlainLayer();
    return true;
}

bool TiffImage::readTile(int column, int row, uint8_t* target, std::size_t targetLen) {
    std::memset(target, 0, targetLen);
    if (!m_tiff || column < 0 || row < 0 || column >= m_tilesPerRow || row >= m_tileRows ||
        targetLen < m_tileBufferBytes)
        return false;
    const TiffPlugin* p = plugin();
    const std::size_t height = std::size_t(m_header.biHeight);
    const std::size_t size = m_rowBytes * height;
    try {
        m_scratch.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    int64_t got;
    if (m_tiled)
        got = p->readTile(m_tiff, m_scratch.data(), uint32_t(column) * uint32_t(m_header.biWidth),
                          uint32_t(row) * uint32_t(m_header.biHeight), 0, 0);
    else
        got = p->readEncodedStrip(m_tiff, uint32_t(row), m_scratch.data(), int64_t(size));
    if (got < 0)
        return false;
    // The file's lines are top-down and unpadded; the tile's are bottom-up,
    // padded to 4 bytes and blue first.
    const std::size_t stride = std::size_t(this->stride());
    for (std::size_t y = 0; y < height; ++y) {
        const uint8_t* src = m_scratch.data() + y * m_rowBytes;
        uint8_t* dst = target + (height - 1 - y) * stride;
        if (m_samples == 3) {
            for (std::size_t x = 0; x < std::size_t(m_header.biWidth); ++x) {
                dst[3 * x] = src[3 * x + 2];
                dst[3 * x + 1] = src[3 * x + 1];
                dst[3 * x + 2] = src[3 * x];
            }
        } else {
            std::memcpy(dst, src, m_rowBytes);
        }
    }
    return true;
}
