#include "RasterWriters.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace RasterWriters {

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    ::fchmod(fd, 0644);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    const bool ok = done == bytes.size() && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool writeBmp(const std::string& path, int width, int height, int bitCount, const std::vector<RgbQuad>& palette,
              const uint8_t* rows, std::size_t rowStride) {
    if (width <= 0 || height <= 0 || (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24))
        return false;
    const std::size_t colours = bitCount == 24 ? 0 : (std::size_t(1) << bitCount);
    const std::size_t stride = std::size_t(tileStride(width, bitCount));
    const std::size_t rowBytes = (std::size_t(width) * std::size_t(bitCount) + 7) / 8;
    const std::size_t offset = 14 + 40 + 4 * colours;
    std::vector<uint8_t> out(offset + stride * std::size_t(height), 0);
    out[0] = 'B';
    out[1] = 'M';
    putU32(out.data() + 2, uint32_t(out.size()));
    putU32(out.data() + 10, uint32_t(offset));
    BitmapInfoHeader h;
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = uint16_t(bitCount);
    h.biClrUsed = uint32_t(colours);
    h.toBytes(out.data() + 14);
    for (std::size_t i = 0; i < colours && i < palette.size(); ++i) {
        uint8_t* q = out.data() + 54 + 4 * i;
        q[0] = palette[i].blue;
        q[1] = palette[i].green;
        q[2] = palette[i].red;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(out.data() + offset + std::size_t(height - 1 - y) * stride, rows + std::size_t(y) * rowStride,
                    rowBytes);
    return writeFileAtomically(path, out);
}

static void encodePcxLine(const uint8_t* line, std::size_t length, std::vector<uint8_t>& out) {
    std::size_t i = 0;
    while (i < length) {
        std::size_t run = 1;
        while (i + run < length && run < 63 && line[i + run] == line[i])
            ++run;
        if (run > 1 || line[i] >= 192)
            out.push_back(uint8_t(192 + run));
        out.push_back(line[i]);
        i += run;
    }
}

bool writePcx(const std::string& path, int width, int height, int bitCount, const std::vector<RgbQuad>& palette,
              const uint8_t* rows, std::size_t rowStride) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535)
        return false;
    int bitsPerPlane, planes;
    switch (bitCount) {
    case 1:
        bitsPerPlane = 1, planes = 1;
        break;
    case 4:
        bitsPerPlane = 1, planes = 4;
        break;
    case 8:
        bitsPerPlane = 8, planes = 1;
        break;
    case 24:
        bitsPerPlane = 8, planes = 3;
        break;
    default:
        return false;
    }
    std::size_t bytesPerLine = (std::size_t(width) * std::size_t(bitsPerPlane) + 7) / 8;
    bytesPerLine += bytesPerLine % 2; // lines have an even length
    std::vector<uint8_t> out(128, 0);
    out[0] = 10;
    out[1] = 5;
    out[2] = 1;
    out[3] = uint8_t(bitsPerPlane);
    putU16(out.data() + 8, uint16_t(width - 1));
    putU16(out.data() + 10, uint16_t(height - 1));
    putU16(out.data() + 12, 72);
    putU16(out.data() + 14, 72);
    if (bitCount <= 4) {
        for (std::size_t i = 0; i < 16 && i < palette.size(); ++i) {
            out[16 + 3 * i] = palette[i].red;
            out[16 + 3 * i + 1] = palette[i].green;
            out[16 + 3 * i + 2] = palette[i].blue;
        }
    }
    out[65] = uint8_t(planes);
    putU16(out.data() + 66, uint16_t(bytesPerLine));
    putU16(out.data() + 68, 1);
    std::vector<uint8_t> line(bytesPerLine * std::size_t(planes));
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rows + std::size_t(y) * rowStride;
        std::fill(line.begin(), line.end(), 0);
        if (bitCount == 1 || bitCount == 8) {
            std::memcpy(line.data(), src, (std::size_t(width) * std::size_t(bitCount) + 7) / 8);
        } else if (bitCount == 24) {
            for (int x = 0; x < width; ++x) {
                line[std::size_t(x)] = src[3 * x + 2];
                line[bytesPerLine + std::size_t(x)] = src[3 * x + 1];
                line[2 * bytesPerLine + std::size_t(x)] = src[3 * x];
            }
        } else {
            for (int x = 0; x < width; ++x) {
                const int v = (src[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F;
                for (int p = 0; p < 4; ++p) {
                    if (v & (1 << p))
                        line[std::size_t(p) * bytesPerLine + std::size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
                }
            }
        }
        encodePcxLine(line.data(), line.size(), out);
    }
    if (bitCount == 8) {
        out.push_back(12);
        for (std::size_t i = 0; i < 256; ++i) {
            const RgbQuad q = i < palette.size() ? palette[i] : RgbQuad{};
            out.push_back(q.red);
            out.push_back(q.green);
            out.push_back(q.blue);
        }
    }
    return writeFileAtomically(path, out);
}

static std::string real(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

bool writeSheetMosaic(const std::string& path, double sheetWidth, double sheetHeight,
                      const std::vector<MosaicSheet>& sheets) {
    std::string text = real(sheetWidth) + " " + real(sheetHeight) + "\r\n";
    for (const MosaicSheet& s : sheets)
        text += real(s.easting) + " " + real(s.northing) + " " + s.name + "\r\n";
    return writeFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace RasterWriters
