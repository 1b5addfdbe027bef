#include "BmpImage.h"

#include <algorithm>
#include <cstring>
#include <memory>

BmpImage* BmpImage::open(const std::string& path) {
    std::unique_ptr<BmpImage> image(new BmpImage);
    if (!image->m_file.open(path) || !image->parse())
        return nullptr;
    return image.release();
}

bool BmpImage::parse() {
    uint8_t head[14 + 40];
    if (!m_file.read(head, sizeof head))
        return false;
    if (head[0] != 'B' || head[1] != 'M' || getU16(head + 6) != 0 || getU16(head + 8) != 0)
        return false;
    m_dataOffset = getU32(head + 10);
    m_header = BitmapInfoHeader::fromBytes(head + 14);
    if (m_header.biSize != 40 || m_header.biCompression != 0 || m_header.biWidth <= 0 || m_header.biHeight <= 0)
        return false;
    m_imageWidth = m_header.biWidth;
    m_imageHeight = m_header.biHeight;
    const uint32_t declaredColours = m_header.biClrUsed;
    if (!finishGeometry())
        return false;
    const uint64_t computed =
        uint64_t(m_header.biHeight) * ((uint64_t(m_header.biWidth) * m_header.biBitCount + 31) / 32) * 4;
    m_imageSize = m_header.biSizeImage != 0 ? m_header.biSizeImage : computed;
    m_header.biSizeImage = uint32_t(std::min<uint64_t>(m_imageSize, 0xFFFFFFFFu));
    if (m_header.biBitCount != 24) {
        // The palette follows the header; a bitmap that names more colours
        // than its bits can index is damaged.
        const std::size_t entries = m_palette.size();
        std::vector<uint8_t> raw(entries * 4);
        if (declaredColours > entries || !m_file.read(raw.data(), raw.size()))
            return false;
        for (std::size_t i = 0; i < entries; ++i)
            m_palette[i] = RgbQuad{raw[4 * i], raw[4 * i + 1], raw[4 * i + 2], 0};
    }
    setPlainLayer();
    return true;
}

bool BmpImage::readTile(int column, int row, uint8_t* target, std::size_t targetLen) {
    std::memset(target, 0, targetLen);
    if (column != 0 || row != 0 || targetLen < m_tileBufferBytes)
        return false;
    const std::size_t want = std::size_t(std::min<uint64_t>(m_imageSize, m_tileBufferBytes));
    return m_file.readAt(m_dataOffset, target, want) == want;
}
