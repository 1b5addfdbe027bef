#include "TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "maplib-test-XXXXXX").string();
    if (!::mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp");
    m_dir = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

uint32_t Picture::pixel(int x, int y) const {
    const uint8_t* row = rows.data() + std::size_t(y) * rowBytes();
    switch (bitCount) {
    case 1:
        return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4:
        return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
    case 8:
        return row[x];
    case 16:
        return uint32_t(row[2 * x] | (row[2 * x + 1] << 8));
    default:
        return uint32_t(row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16));
    }
}

static void setPixel(Picture& p, int x, int y, uint32_t v) {
    uint8_t* row = p.rows.data() + std::size_t(y) * p.rowBytes();
    switch (p.bitCount) {
    case 1:
        row[x / 8] = uint8_t((row[x / 8] & ~(0x80 >> (x % 8))) | ((v & 1) << (7 - x % 8)));
        break;
    case 4:
        row[x / 2] = uint8_t(x % 2 ? (row[x / 2] & 0xF0) | (v & 0xF) : (row[x / 2] & 0x0F) | ((v & 0xF) << 4));
        break;
    case 8:
        row[x] = uint8_t(v);
        break;
    case 16:
        row[2 * x] = uint8_t(v);
        row[2 * x + 1] = uint8_t(v >> 8);
        break;
    default:
        row[3 * x] = uint8_t(v);
        row[3 * x + 1] = uint8_t(v >> 8);
        row[3 * x + 2] = uint8_t(v >> 16);
    }
}

Picture makePicture(int width, int height, int bitCount, uint32_t seed) {
    Picture p;
    p.width = width;
    p.height = height;
    p.bitCount = bitCount;
    p.rows.assign(p.rowBytes() * std::size_t(height), 0);
    const uint32_t mask = bitCount >= 24 ? 0xFFFFFF : (bitCount == 16 ? 0xFFFF : (1u << bitCount) - 1);
    uint32_t state = seed * 2654435761u + 1;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t v = ((x / 37) + (y / 23) * 3) % 4 + 1; // uniform areas
            if ((x + 2 * y) % 51 == 0 || y % 64 == 17)
                v = 2 * v + 7; // lines
            if ((x / 8) % 9 == 4 && (y / 10) % 7 == 3)
                v = next(); // text-like noise
            setPixel(p, x, y, (v * 0x010203u) & mask);
        }
    }
    return p;
}

std::vector<RgbQuad> greyPalette(int bitCount) {
    std::vector<RgbQuad> palette;
    if (bitCount > 8)
        return palette;
    const int n = 1 << bitCount;
    for (int i = 0; i < n; ++i) {
        const uint8_t v = uint8_t(i * 255 / (n - 1));
        palette.push_back(RgbQuad{v, uint8_t(255 - v), uint8_t(i), 0});
    }
    return palette;
}

Picture readBack(ImageSource& source) {
    Picture p;
    p.width = source.imageWidth();
    p.height = source.imageHeight();
    p.bitCount = source.bitCount();
    p.rows.assign(p.rowBytes() * std::size_t(p.height), 0);
    const int tw = source.tileWidth(), th = source.tileHeight(), b = source.bitCount();
    const std::size_t stride = std::size_t(source.stride());
    std::vector<uint8_t> tile(source.tileBufferBytes());
    for (int r = 0; r < source.tileRows(); ++r) {
        for (int c = 0; c < source.tilesPerRow(); ++c) {
            source.readTile(c, r, tile.data(), tile.size());
            for (int ty = 0; ty < th && r * th + ty < p.height; ++ty) {
                const uint8_t* line = tile.data() + std::size_t(th - 1 - ty) * stride;
                for (int tx = 0; tx < tw && c * tw + tx < p.width; ++tx) {
                    uint32_t v;
                    switch (b) {
                    case 1:
                        v = (line[tx / 8] >> (7 - tx % 8)) & 1;
                        break;
                    case 4:
                        v = (line[tx / 2] >> (tx % 2 ? 0 : 4)) & 0xF;
                        break;
                    case 8:
                        v = line[tx];
                        break;
                    case 16:
                        v = uint32_t(line[2 * tx] | (line[2 * tx + 1] << 8));
                        break;
                    default:
                        v = uint32_t(line[3 * tx] | (line[3 * tx + 1] << 8) | (line[3 * tx + 2] << 16));
                    }
                    setPixel(p, c * tw + tx, r * th + ty, v);
                }
            }
        }
    }
    return p;
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
