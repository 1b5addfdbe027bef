#include "PcxImage.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
constexpr std::size_t HeaderSize = 128;
constexpr std::size_t VgaPaletteSize = 768;
} // namespace

PcxImage* PcxImage::open(const std::string& path) {
    std::unique_ptr<PcxImage> image(new PcxImage);
    if (!image->m_file.open(path) || !image->parse())
        return nullptr;
    return image.release();
}

bool PcxImage::parse() {
    uint8_t h[HeaderSize];
    if (!m_file.read(h, sizeof h))
        return false;
    if (h[0] != 10 || h[2] != 1)
        return false;
    m_bitsPerPlane = h[3];
    m_planes = h[65];
    m_bytesPerLine = getU16(h + 66);
    const int xMin = getU16(h + 4), yMin = getU16(h + 6), xMax = getU16(h + 8), yMax = getU16(h + 10);
    if (xMax < xMin || yMax < yMin)
        return false;
    const bool planesOk = m_planes == 1 || m_planes == 3 || m_planes == 4;
    if ((m_bitsPerPlane != 1 && m_bitsPerPlane != 8) || !planesOk || (m_bitsPerPlane == 8 && m_planes == 4))
        return false;
    int bitCount;
    if (m_bitsPerPlane == 1)
        bitCount = m_planes == 1 ? 1 : 4;
    else
        bitCount = m_planes == 1 ? 8 : 24;
    m_imageWidth = xMax - xMin + 1;
    m_imageHeight = yMax - yMin + 1;
    // Each plane line must hold the pixels of one line.
    if (int64_t(m_bytesPerLine) * 8 < int64_t(m_imageWidth) * m_bitsPerPlane)
        return false;
    m_header = BitmapInfoHeader{};
    m_header.biWidth = m_imageWidth;
    m_header.biHeight = m_imageHeight;
    m_header.biBitCount = uint16_t(bitCount);
    if (!finishGeometry())
        return false;
    m_dataEnd = m_file.size();
    const std::size_t colours = m_palette.size();
    if (colours > 16) {
        if (m_file.size() < HeaderSize + VgaPaletteSize)
            return false;
        uint8_t vga[VgaPaletteSize];
        m_dataEnd = m_file.size() - VgaPaletteSize;
        if (m_file.readAt(m_dataEnd, vga, sizeof vga) != sizeof vga)
            return false;
        // The palette is announced by a byte 12 in front of it.
        if (m_dataEnd > HeaderSize)
            --m_dataEnd;
        for (std::size_t i = 0; i < colours; ++i)
            m_palette[i] = RgbQuad{vga[3 * i + 2], vga[3 * i + 1], vga[3 * i], 0};
    } else {
        for (std::size_t i = 0; i < colours; ++i)
            m_palette[i] = RgbQuad{h[16 + 3 * i + 2], h[16 + 3 * i + 1], h[16 + 3 * i], 0};
    }
    setPlainLayer();
    return true;
}

bool PcxImage::readTile(int column, int row, uint8_t* target, std::size_t targetLen) {
    std::memset(target, 0, targetLen);
    if (column != 0 || row != 0 || targetLen < m_tileBufferBytes)
        return false;
    const uint64_t dataLen = m_dataEnd > HeaderSize ? m_dataEnd - HeaderSize : 0;
    std::vector<uint8_t> data;
    try {
        data.resize(std::size_t(dataLen));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (m_file.readAt(HeaderSize, data.data(), data.size()) != data.size())
        return false;

    const std::size_t lineBytes = std::size_t(m_bytesPerLine) * std::size_t(m_planes);
    const std::size_t stride = std::size_t(this->stride());
    std::vector<uint8_t> line(lineBytes);
    std::size_t in = 0;
    // A run may go on into the next line; it is carried over.
    std::size_t pending = 0;
    uint8_t pendingValue = 0;
    bool complete = true;
    for (int y = 0; y < m_imageHeight; ++y) {
        std::size_t out = 0;
        while (out < lineBytes) {
            if (pending == 0) {
                if (in >= data.size())
                    break;
                const uint8_t b = data[in++];
                if (b >= 192) {
                    if (in >= data.size())
                        break;
                    pending = b - 192;
                    pendingValue = data[in++];
                    continue;
                }
                line[out++] = b;
                continue;
            }
            const std::size_t n = std::min(pending, lineBytes - out);
            std::memset(line.data() + out, pendingValue, n);
            out += n;
            pending -= n;
        }
        if (out < lineBytes) {
            complete = false;
            std::memset(line.data() + out, 0, lineBytes - out);
        }
        uint8_t* dst = target + std::size_t(m_imageHeight - 1 - y) * stride;
        const uint8_t* plane = line.data();
        const std::size_t bpl = std::size_t(m_bytesPerLine);
        if (m_bitsPerPlane == 8 && m_planes == 1) {
            std::memcpy(dst, plane, std::size_t(m_imageWidth));
        } else if (m_bitsPerPlane == 8) {
            for (int x = 0; x < m_imageWidth; ++x) {
                dst[3 * x] = plane[2 * bpl + x];
                dst[3 * x + 1] = plane[bpl + x];
                dst[3 * x + 2] = plane[x];
            }
        } else if (m_planes == 1) {
            std::memcpy(dst, plane, (std::size_t(m_imageWidth) + 7) / 8);
        } else {
            for (int x = 0; x < m_imageWidth; ++x) {
                int v = 0;
                for (int p = 0; p < m_planes; ++p)
                    v |= ((plane[std::size_t(p) * bpl + std::size_t(x / 8)] >> (7 - x % 8)) & 1) << p;
                dst[x / 2] |= uint8_t(x % 2 == 0 ? v << 4 : v);
            }
        }
        if (!complete)
            break;
    }
    return complete;
}
