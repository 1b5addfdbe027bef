#include "DrawSupport.h"

#include "DisplayTileCache.h"
#include "TileCache.h"

#include <QPainter>

#include <cstdlib>
#include <stdexcept>

DrawTempDir::DrawTempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "maplib-draw-XXXXXX").string();
    if (!::mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp");
    m_dir = templ;
}

DrawTempDir::~DrawTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

std::vector<RgbQuad> testPalette(int bitCount) {
    std::vector<RgbQuad> p(std::size_t(1) << bitCount);
    for (std::size_t i = 0; i < p.size(); ++i) {
        p[i].red = uint8_t(i);
        p[i].green = uint8_t(255 - i);
        p[i].blue = uint8_t(i * 7 + 3);
    }
    return p;
}

uint32_t colourOf(const RgbQuad& e) {
    return 0xFF000000u | (uint32_t(e.red) << 16) | (uint32_t(e.green) << 8) | e.blue;
}

TlmWriter::Options mapOptions(int bitCount, int tileWidth, int tileHeight) {
    TlmWriter::Options o;
    o.bitCount = bitCount;
    o.tileWidth = tileWidth;
    o.tileHeight = tileHeight;
    if (bitCount != 24)
        o.palette = testPalette(bitCount);
    return o;
}

bool writeMap(const std::string& path, int width, int height, TlmWriter::Options options,
              const std::function<uint32_t(int, int)>& pixel) {
    const int b = options.bitCount;
    const std::size_t rowBytes = (std::size_t(width) * std::size_t(b) + 7) / 8;
    std::vector<uint8_t> rows(rowBytes * std::size_t(height), 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = rows.data() + std::size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            const uint32_t v = pixel(x, y);
            switch (b) {
            case 1:
                row[x / 8] |= uint8_t((v & 1) << (7 - x % 8));
                break;
            case 4:
                row[x / 2] |= uint8_t((v & 0xF) << (x % 2 ? 0 : 4));
                break;
            case 8:
                row[x] = uint8_t(v);
                break;
            case 16:
                row[2 * x] = uint8_t(v);
                row[2 * x + 1] = uint8_t(v >> 8);
                break;
            default: // blue, green, red
                row[3 * x] = uint8_t(v);
                row[3 * x + 1] = uint8_t(v >> 8);
                row[3 * x + 2] = uint8_t(v >> 16);
            }
        }
    }
    return TlmWriter::write(path, width, height, rows.data(), rowBytes, options);
}

QImage render(MapHandle& handle, QSize size, int mapX, int mapY, const QRect* clip,
              const MapHandle::AbortCallback& abort) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Untouched);
    QPainter painter(&image);
    handle.draw(painter, QRect(QPoint(0, 0), size), clip, mapX, mapY, abort);
    painter.end();
    return image;
}

void clearCaches() {
    TileCache::instance().clear();
    DisplayTileCache::instance().clear();
}
