#include "TlmWriter.h"

#include "TileDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr uint64_t MaxFileSize = 0xFFFFFFFFu; // tile offsets are uint32
} // namespace

TlmWriter::TlmWriter(std::string path, int width, int height, Options options)
    : m_path(std::move(path)), m_width(width), m_height(height), m_options(std::move(options)) {}

TlmWriter::~TlmWriter() {
    if (m_file) {
        std::fclose(m_file);
        ::unlink(m_tempPath.c_str());
    }
}

bool TlmWriter::fail(const std::string& message) {
    if (m_error.empty())
        m_error = message;
    m_failed = true;
    return false;
}

std::size_t TlmWriter::rowBytes() const {
    return (std::size_t(m_width) * std::size_t(m_options.bitCount) + 7) / 8;
}

uint32_t TlmWriter::tileBytes() const {
    const int b = m_options.bitCount;
    return uint32_t(uint64_t(b) * uint64_t(m_options.tileWidth) / 8 * uint64_t(m_options.tileHeight));
}

std::size_t TlmWriter::tileStrideBytes() const {
    return std::size_t(tileStride(m_options.tileWidth, m_options.bitCount));
}

bool TlmWriter::writeBytes(const void* data, std::size_t length) {
    if (m_failed)
        return false;
    if (m_pos + length > MaxFileSize)
        return fail("map file would exceed 4 GiB");
    if (length && std::fwrite(data, 1, length, m_file) != length)
        return fail("cannot write " + m_tempPath);
    m_pos += length;
    return true;
}

bool TlmWriter::writeChunkHead(uint16_t group, uint16_t id, uint32_t length) {
    uint8_t head[8];
    putU16(head, group);
    putU16(head + 2, id);
    putU32(head + 4, length);
    return writeBytes(head, 8);
}

std::vector<uint8_t> TlmWriter::infoBody() const {
    BitmapInfoHeader h;
    h.biWidth = m_options.tileWidth;
    h.biHeight = m_options.tileHeight;
    h.biBitCount = uint16_t(m_options.bitCount);
    h.biCompression = m_options.compression;
    h.biSizeImage = tileBytes();
    h.biClrUsed = m_options.bitCount == 24 ? 0 : uint32_t(m_options.palette.size());
    std::vector<uint8_t> body(BitmapInfoHeader::FileSize + 4 * std::size_t(h.biClrUsed));
    h.toBytes(body.data());
    for (std::size_t i = 0; i < h.biClrUsed; ++i) {
        const RgbQuad& q = m_options.palette[i];
        uint8_t* p = body.data() + BitmapInfoHeader::FileSize + 4 * i;
        p[0] = q.blue;
        p[1] = q.green;
        p[2] = q.red;
        p[3] = 0;
    }
    return body;
}

bool TlmWriter::begin() {
    const Options& o = m_options;
    const int b = o.bitCount;
    if (m_width <= 0 || m_height <= 0)
        return fail("image size must be positive");
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24)
        return fail("bit count must be 1, 4, 8, 16 or 24");
    if (o.tileWidth <= 0 || o.tileHeight <= 0 || o.tileWidth > 32767 || o.tileHeight > 32767)
        return fail("tile size must be 1..32767");
    if (o.compression > Bzip2)
        return fail("unknown compression");
    if (o.compression == Bzip2 && !Bzip2Decoder::compressFunction())
        return fail("libbz2 cannot be loaded");
    if (o.variant == Variant::A && o.compression != None)
        return fail("variant A holds uncompressed tiles only");
    // Stored uncompressed tiles are tile-bytes long, which has no room for
    // line padding.
    if (o.compression == None && (int64_t(o.tileWidth) * b) % 32 != 0)
        return fail("uncompressed tiles need tile width × bit count to be a multiple of 32");
    if (b != 24 && o.palette.size() > (std::size_t(1) << b))
        return fail("palette has more colours than the bit count allows");
    if (b != 24 && 40 + 4 * o.palette.size() > 0xFFFF)
        return fail("palette too long");
    if (o.layers.size() > 32)
        return fail("at most 32 layers");
    if (o.variant == Variant::A && o.georef.kind != 0 && o.georef.kind != 1)
        return fail("variant A knows georeference kinds 0 and 1 only");
    if (o.variant == Variant::C && o.georef.kind != 0 && o.georef.kind != 1 && o.georef.kind != 2 &&
        o.georef.kind != 255)
        return fail("georeference kind must be 0, 1, 2 or 255");
    m_tilesPerRow = (m_width - 1) / o.tileWidth + 1;
    m_tileRows = (m_height - 1) / o.tileHeight + 1;
    const uint64_t tiles = uint64_t(m_tilesPerRow) * uint64_t(m_tileRows);
    if (o.compression == None && tiles * tileBytes() > MaxFileSize)
        return fail("map file would exceed 4 GiB");
    if (tiles + 1 > 0x3FFFFFFF)
        return fail("too many tiles");

    m_tempPath = m_path + ".XXXXXX";
    std::vector<char> name(m_tempPath.begin(), m_tempPath.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return fail("cannot create a file beside " + m_path);
    m_tempPath = name.data();
    ::fchmod(fd, 0644);
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        ::close(fd);
        ::unlink(m_tempPath.c_str());
        return fail("cannot create " + m_tempPath);
    }
    m_begun = true;

    const std::vector<uint8_t> info = infoBody();
    const std::size_t tableLength = o.compression == None ? 4 : 4 * std::size_t(tiles + 1);
    uint8_t u32[4];
    auto putWord = [&](uint32_t v) {
        putU32(u32, v);
        return writeBytes(u32, 4);
    };
    if (o.variant == Variant::A) {
        // The data offset follows the fixed header, the empty skip block and
        // the info block.
        const uint32_t dataOffset = uint32_t(32 + 4 + 4 + info.size());
        putWord(28);
        putWord(uint32_t(m_width));
        putWord(uint32_t(m_height));
        putWord(dataOffset);
        for (double r : o.georef.r)
            putWord(uint32_t(int32_t(std::llround(std::clamp(r, -2147483648.0, 2147483647.0)))));
        putWord(0);
        putWord(uint32_t(info.size()));
        writeBytes(info.data(), info.size());
        m_dataStart = m_pos;
    } else if (o.variant == Variant::B) {
        uint8_t h[52] = {};
        putU32(h, 48);
        putU32(h + 4, uint32_t(m_width));
        putU32(h + 8, uint32_t(m_height));
        putU16(h + 12, o.georef.kind);
        for (int i = 0; i < 4; ++i)
            putF64(h + 20 + 8 * i, o.georef.r[i]);
        writeBytes(h, sizeof h);
        putWord(0);
        putWord(uint32_t(info.size()));
        writeBytes(info.data(), info.size());
        putWord(uint32_t(tableLength));
        m_tableOffset = m_pos;
        m_dataStart = m_pos + tableLength;
    } else {
        writeBytes("TOLM", 4);
        writeChunkHead(1, 0, 8);
        putWord(uint32_t(m_width));
        putWord(uint32_t(m_height));
        writeChunkHead(1, 1, uint32_t(info.size()));
        writeBytes(info.data(), info.size());
        for (const LayerEntry& layer : o.layers) {
            writeChunkHead(1, 3, uint32_t(4 + layer.name.size() + 1));
            const uint8_t attributes[4] = {layer.mask, layer.reserved, layer.low, layer.high};
            writeBytes(attributes, 4);
            writeBytes(layer.name.c_str(), layer.name.size() + 1);
        }
        const Georeference& g = o.georef;
        if (g.kind != 0 || g.r[0] != 0 || g.r[1] != 0 || g.r[2] != 0 || g.r[3] != 0) {
            writeChunkHead(2, g.kind, 32);
            uint8_t r[32];
            for (int i = 0; i < 4; ++i)
                putF64(r + 8 * i, g.r[i]);
            writeBytes(r, 32);
        }
        for (const ExtraChunk& chunk : o.extraChunks) {
            writeChunkHead(3, chunk.id, uint32_t(chunk.body.size()));
            writeBytes(chunk.body.data(), chunk.body.size());
        }
        writeChunkHead(1, 2, uint32_t(tableLength));
        m_tableOffset = m_pos;
        // The tiles travel in a chunk of their own (group 1, id 4), which
        // readers pass over; its length is set when the tiles are written.
        m_dataChunkOffset = m_tableOffset + tableLength;
        m_dataStart = m_dataChunkOffset + 8;
    }
    if (o.variant != Variant::A) {
        if (o.compression == None) {
            putWord(uint32_t(m_dataStart));
        } else {
            std::vector<uint8_t> zeros(tableLength);
            writeBytes(zeros.data(), zeros.size());
        }
        if (o.variant == Variant::C)
            writeChunkHead(1, 4, 0);
    }
    if (m_failed)
        return false;
    m_band.assign(std::size_t(o.tileHeight) * rowBytes(), 0);
    m_tile.assign(std::max<std::size_t>(tileStrideBytes() * std::size_t(o.tileHeight), tileBytes()), 0);
    m_offsets.reserve(std::size_t(tiles + 1));
    return true;
}

bool TlmWriter::writeRows(const uint8_t* rows, int count, std::size_t rowStride) {
    if (!m_begun || m_failed)
        return fail("writer not ready");
    if (count < 0 || m_rowsWritten + m_bandRows + int64_t(count) > m_height)
        return fail("more rows than the image height");
    const std::size_t bytes = rowBytes();
    for (int i = 0; i < count; ++i) {
        std::memcpy(m_band.data() + std::size_t(m_bandRows) * bytes, rows + std::size_t(i) * rowStride, bytes);
        ++m_bandRows;
        m_peakBuffered = std::max(m_peakBuffered, std::size_t(m_bandRows) * bytes);
        if (m_bandRows == m_options.tileHeight && !flushBand())
            return false;
    }
    return true;
}

// Copies `count` pixels of `bits` bits from bit position `from` of `src` to
// bit position 0 of `dst` (most significant bits first).
static void copyBits(const uint8_t* src, std::size_t from, uint8_t* dst, std::size_t countBits) {
    if (from % 8 == 0) {
        std::memcpy(dst, src + from / 8, countBits / 8);
        if (countBits % 8) {
            const uint8_t keep = uint8_t(0xFF << (8 - countBits % 8));
            dst[countBits / 8] = src[from / 8 + countBits / 8] & keep;
        }
        return;
    }
    for (std::size_t i = 0; i < countBits; ++i) {
        const std::size_t s = from + i;
        if ((src[s / 8] >> (7 - s % 8)) & 1)
            dst[i / 8] |= uint8_t(0x80 >> (i % 8));
    }
}

void TlmWriter::buildTile(int column, int bandRows) {
    const int b = m_options.bitCount;
    const int tw = m_options.tileWidth;
    const int th = m_options.tileHeight;
    const std::size_t stride = tileStrideBytes();
    std::fill(m_tile.begin(), m_tile.end(), 0);
    const int x0 = column * tw;
    const int w = std::min(tw, m_width - x0);
    const std::size_t bytes = rowBytes();
    for (int y = 0; y < bandRows; ++y) {
        // Tile lines are stored bottom-up: band row y is tile line th − 1 − y.
        uint8_t* dst = m_tile.data() + std::size_t(th - 1 - y) * stride;
        const uint8_t* src = m_band.data() + std::size_t(y) * bytes;
        if (b >= 8)
            std::memcpy(dst, src + std::size_t(x0) * std::size_t(b / 8), std::size_t(w) * std::size_t(b / 8));
        else
            copyBits(src, std::size_t(x0) * std::size_t(b), dst, std::size_t(w) * std::size_t(b));
    }
}

bool TlmWriter::flushBand() {
    if (m_bandRows == 0)
        return true;
    const uint32_t compression = m_options.compression;
    for (int c = 0; c < m_tilesPerRow; ++c) {
        buildTile(c, m_bandRows);
        m_offsets.push_back(uint32_t(std::min<uint64_t>(m_pos, MaxFileSize)));
        if (compression == None) {
            writeBytes(m_tile.data(), tileBytes());
        } else if (compression == RunLength) {
            encodeRunLength(m_tile.data(), m_tile.size(), m_encoded);
            writeBytes(m_encoded.data(), m_encoded.size());
        } else {
            unsigned int length = unsigned(m_tile.size() + m_tile.size() / 100 + 601);
            m_encoded.resize(length);
            const int rc = Bzip2Decoder::compressFunction()(reinterpret_cast<char*>(m_encoded.data()), &length,
                                                            reinterpret_cast<char*>(m_tile.data()),
                                                            unsigned(m_tile.size()), 9, 0, 0);
            if (rc != 0)
                return fail("bzip2 compression failed");
            writeBytes(m_encoded.data(), length);
        }
        if (m_failed)
            return false;
    }
    m_rowsWritten += m_bandRows;
    m_bandRows = 0;
    return true;
}

bool TlmWriter::patch(uint64_t offset, const uint8_t* data, std::size_t length) {
    if (std::fseek(m_file, long(offset), SEEK_SET) != 0 || std::fwrite(data, 1, length, m_file) != length)
        return fail("cannot write " + m_tempPath);
    return true;
}

bool TlmWriter::finish() {
    if (!m_begun || m_failed)
        return fail("writer not ready");
    if (m_rowsWritten + m_bandRows != m_height)
        return fail("fewer rows than the image height");
    if (!flushBand())
        return false;
    const uint64_t end = m_pos;
    if (m_options.compression != None) {
        m_offsets.push_back(uint32_t(end));
        std::vector<uint8_t> table(4 * m_offsets.size());
        for (std::size_t i = 0; i < m_offsets.size(); ++i)
            putU32(table.data() + 4 * i, m_offsets[i]);
        if (!patch(m_tableOffset, table.data(), table.size()))
            return false;
    }
    if (m_options.variant == Variant::C) {
        uint8_t length[4];
        putU32(length, uint32_t(end - m_dataStart));
        if (!patch(m_dataChunkOffset + 4, length, 4))
            return false;
    }
    const bool flushed = std::fflush(m_file) == 0 && ::fsync(fileno(m_file)) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!flushed || !closed) {
        ::unlink(m_tempPath.c_str());
        return fail("cannot write " + m_tempPath);
    }
    if (std::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        ::unlink(m_tempPath.c_str());
        return fail("cannot replace " + m_path);
    }
    m_begun = false;
    return true;
}

bool TlmWriter::write(const std::string& path, int width, int height, const uint8_t* pixels, std::size_t rowStride,
                      const Options& options, std::string* error) {
    TlmWriter writer(path, width, height, options);
    const bool ok = writer.begin() && writer.writeRows(pixels, height, rowStride) && writer.finish();
    if (!ok && error)
        *error = writer.error();
    return ok;
}

void TlmWriter::encodeRunLength(const uint8_t* data, std::size_t length, std::vector<uint8_t>& out) {
    out.clear();
    out.reserve(length / 8 + 16);
    std::size_t i = 0;
    std::size_t literal = 0; // start of the pending literal bytes
    auto flushLiteral = [&](std::size_t end) {
        while (literal < end) {
            const std::size_t n = std::min<std::size_t>(128, end - literal);
            out.push_back(uint8_t(n - 1));
            out.insert(out.end(), data + literal, data + literal + n);
            literal += n;
        }
    };
    while (i < length) {
        std::size_t run = 1;
        while (i + run < length && run < 65664 && data[i + run] == data[i])
            ++run;
        // A pair inside literal bytes is cheaper left there.
        if (run >= 3 || (run == 2 && literal == i)) {
            flushLiteral(i);
            if (run <= 128) {
                out.push_back(uint8_t(run + 126));
                out.push_back(data[i]);
            } else {
                out.push_back(0xFF);
                out.push_back(uint8_t((run - 129) & 0xFF));
                out.push_back(uint8_t((run - 129) >> 8));
                out.push_back(data[i]);
            }
            i += run;
            literal = i;
        } else {
            i += run;
        }
    }
    flushLiteral(length);
}
