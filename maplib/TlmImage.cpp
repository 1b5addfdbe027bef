#include "TlmImage.h"

#include "ManyLayersPlugin.h"
#include "MappedCopy.h"
#include "TileDecoder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace {
// Stored bytes read in one go when a tile is read: the tiles after it in the
// same tile row come along, since a draw asks for them next. One read of
// several small run-length tiles costs less than a read each.
constexpr uint32_t ReadAheadBytes = 0x8000;

std::atomic<uint64_t> g_nextSerial{1};

// Stored bytes of one image read ahead, per thread: tiles may be read on
// several threads at once (see concurrentReads).
// For a mapped image, [begin, begin + size) are the bytes the file was last
// seen to have instead.
struct ReadAhead {
    uint64_t serial = 0; // of the image, 0 for none
    uint64_t begin = 0;  // file offset of bytes[0]
    std::size_t size = 0;
    std::size_t capacity = 0;
    // Not a vector: growing one clears the new bytes, which the read then
    // overwrites anyway.
    std::unique_ptr<uint8_t[]> bytes;
};

// Longest info block (tile header and palette) a file may declare.
constexpr uint32_t MaxInfoLength = 0xFFFF;
// Longest skip block of the fixed-header variants.
constexpr uint32_t MaxSkipLength = 0x80000000u;
} // namespace

TlmImage::TlmImage() : m_serial(g_nextSerial++) {}

TlmImage* TlmImage::open(const std::string& path) {
    std::unique_ptr<TlmImage> image(new TlmImage);
    if (!image->m_file.open(path) || !image->parse())
        return nullptr;
    return image.release();
}

bool TlmImage::parse() {
    uint8_t magic[4];
    if (!m_file.read(magic, 4))
        return false;
    if (std::memcmp(magic, "TOLM", 4) == 0) {
        m_variant = Variant::C;
        return parseChunks() && finish();
    }
    const uint32_t first = getU32(magic);
    if (first == 28) {
        m_variant = Variant::A;
        return parseFixedA() && finish();
    }
    if (first == 48) {
        m_variant = Variant::B;
        return parseFixedB() && finish();
    }
    return false;
}

bool TlmImage::parseFixedA() {
    uint8_t h[28];
    if (!m_file.read(h, sizeof h))
        return false;
    m_imageWidth = int32_t(getU32(h));
    m_imageHeight = int32_t(getU32(h + 4));
    m_dataOffset = getU32(h + 8);
    bool any = false;
    for (int i = 0; i < 4; ++i) {
        const int32_t v = int32_t(getU32(h + 12 + 4 * i));
        m_georef.r[i] = v;
        any = any || v != 0;
    }
    m_georef.kind = any ? uint16_t(GeoKind::BoundingBox) : uint16_t(GeoKind::None);
    m_georef.zone = any ? zoneFromReal(m_georef.r[0] * 0.000001) : 0;
    m_haveSize = true;
    if (!readSkipBlock())
        return false;
    uint32_t infoLength;
    if (!m_file.readU32(infoLength) || !readInfoBody(infoLength))
        return false;
    // Variant A knows only uncompressed tiles at the data offset.
    m_compressed = false;
    m_haveTiles = true;
    return true;
}

bool TlmImage::parseFixedB() {
    uint8_t h[48];
    if (!m_file.read(h, sizeof h))
        return false;
    m_imageWidth = int32_t(getU32(h));
    m_imageHeight = int32_t(getU32(h + 4));
    m_georef.kind = getU16(h + 8);
    for (int i = 0; i < 4; ++i)
        m_georef.r[i] = getF64(h + 16 + 8 * i);
    m_georef.zone = m_georef.kind == uint16_t(GeoKind::BoundingBox) ? zoneFromReal(m_georef.r[0] * 0.000001) : 0;
    m_haveSize = true;
    if (!readSkipBlock())
        return false;
    uint32_t infoLength;
    if (!m_file.readU32(infoLength) || !readInfoBody(infoLength))
        return false;
    uint32_t tileLength;
    return m_file.readU32(tileLength) && readTileBody(tileLength);
}

bool TlmImage::readSkipBlock() {
    uint32_t length;
    if (!m_file.readU32(length) || length > MaxSkipLength)
        return false;
    m_file.skip(length);
    return m_file.tell() <= m_file.size();
}

bool TlmImage::readInfoBody(uint32_t length) {
    if (length > MaxInfoLength || length < BitmapInfoHeader::FileSize)
        return false;
    std::vector<uint8_t> body(length);
    if (!m_file.read(body.data(), length))
        return false;
    m_header = BitmapInfoHeader::fromBytes(body.data());
    m_palette.clear();
    m_filePaletteEntries = 0;
    if (m_header.biBitCount != 24) {
        m_filePaletteEntries = (length - BitmapInfoHeader::FileSize) / 4;
        m_palette.resize(m_filePaletteEntries);
        for (std::size_t i = 0; i < m_filePaletteEntries; ++i) {
            const uint8_t* q = body.data() + BitmapInfoHeader::FileSize + 4 * i;
            m_palette[i] = RgbQuad{q[0], q[1], q[2], q[3]};
        }
    }
    m_haveInfo = true;
    return true;
}

bool TlmImage::readTileBody(uint32_t length) {
    if (uint64_t(length) > m_file.size() - std::min(m_file.size(), m_file.tell()))
        return false;
    if (length == 4) {
        m_compressed = false;
        m_offsets.clear();
        if (!m_file.readU32(m_dataOffset))
            return false;
    } else {
        m_compressed = true;
        std::vector<uint8_t> raw(length);
        if (!m_file.read(raw.data(), length))
            return false;
        m_offsets.resize(length / 4);
        for (std::size_t i = 0; i < m_offsets.size(); ++i)
            m_offsets[i] = getU32(raw.data() + 4 * i);
    }
    m_haveTiles = true;
    return true;
}

bool TlmImage::readLayerChunk(uint32_t length) {
    if (length < 4 || m_layers.size() >= std::size_t(MaxLayers))
        return false;
    std::vector<uint8_t> body(length);
    if (!m_file.read(body.data(), length))
        return false;
    LayerEntry layer;
    layer.mask = body[0];
    layer.reserved = body[1];
    layer.low = body[2];
    layer.high = body[3];
    const auto* name = reinterpret_cast<const char*>(body.data() + 4);
    layer.name.assign(name, strnlen(name, length - 4));
    m_layers.push_back(std::move(layer));
    return true;
}

bool TlmImage::parseChunks() {
    for (;;) {
        uint8_t head[8];
        const std::size_t got = m_file.readSome(head, sizeof head);
        if (got == 0)
            break;
        if (got != sizeof head)
            return false; // a torn chunk head is trailing garbage
        const uint16_t group = getU16(head);
        const uint16_t id = getU16(head + 2);
        const uint32_t length = getU32(head + 4);
        if (uint64_t(length) > m_file.size() - m_file.tell())
            return false;
        bool ok = true;
        if (group == 1) {
            switch (id) {
            case 0: {
                uint8_t body[8];
                ok = length == 8 && m_file.read(body, 8);
                if (ok) {
                    m_imageWidth = int32_t(getU32(body));
                    m_imageHeight = int32_t(getU32(body + 4));
                    m_haveSize = true;
                }
                break;
            }
            case 1:
                ok = readInfoBody(length);
                break;
            case 2:
                ok = readTileBody(length);
                break;
            case 3:
                ok = readLayerChunk(length);
                break;
            default:
                m_file.skip(length);
            }
        } else if (group == 2 && (id == 0 || id == 1 || id == 2 || id == 255)) {
            uint8_t body[32];
            ok = length == 32 && m_file.read(body, 32);
            if (ok) {
                m_georef.kind = id;
                for (int i = 0; i < 4; ++i)
                    m_georef.r[i] = getF64(body + 8 * i);
                const double* r = m_georef.r;
                if (id == 1)
                    m_georef.zone = zoneFromReal(r[0] * 0.000001);
                else if (id == 255)
                    // The easting of pixel (0, 0) in millions.
                    m_georef.zone =
                        zoneFromReal((r[3] * r[0] - r[1] * r[2]) / ((r[2] * r[2] + r[3] * r[3]) * 1000000.0));
                else
                    m_georef.zone = 0;
            }
        } else if (group == 3) {
            ManyLayersPlugin* plugin = ManyLayersPlugin::instance();
            const ManyLayersPlugin::ChunkHead chunk{group, id, length};
            void* buffer = plugin ? plugin->alloc(this, chunk) : nullptr;
            if (buffer)
                ok = m_file.read(buffer, length);
            else
                m_file.skip(length);
        } else {
            m_file.skip(length);
        }
        if (!ok)
            return false;
    }
    if (m_file.tell() != m_file.size())
        return false;
    return m_haveSize && m_haveInfo && m_haveTiles;
}

bool TlmImage::finish() {
    if (!m_haveSize || !m_haveInfo || !m_haveTiles)
        return false;
    m_storedCompression = m_compressed ? m_header.biCompression : 0;
    // Colours named in the header must be in the file; a palette left short
    // by a zero colour count is filled with black.
    const std::vector<RgbQuad> filePalette = std::move(m_palette);
    if (m_header.biBitCount != 24 && m_header.biClrUsed > m_filePaletteEntries)
        return false;
    if (!finishGeometry())
        return false;
    std::copy_n(filePalette.begin(), std::min(filePalette.size(), m_palette.size()), m_palette.begin());
    if (m_compressed) {
        m_decoder = TileDecoder::forCompression(m_header.biCompression, m_header.biWidth, m_header.biHeight,
                                                m_header.biBitCount);
        if (!m_decoder)
            return false;
        const uint64_t tiles = uint64_t(m_tilesPerRow) * uint64_t(m_tileRows);
        if (m_offsets.size() < tiles + 1)
            return false;
        for (std::size_t i = 0; i <= tiles; ++i) {
            if (m_offsets[i] > m_file.size() || (i > 0 && m_offsets[i] < m_offsets[i - 1]))
                return false;
        }
    }
    m_header.biCompression = 0;
    finishLayers();
    // Run-length and bzip2 tiles are taken from the mapped file (other
    // decoders are plug-in code, which must not be left halfway when the
    // file's bytes are gone); without a mapping they are read.
    if (concurrentReads())
        m_file.map();
    return true;
}

void TlmImage::georefInfo(int& type, int& zone) const {
    switch (m_georef.kind) {
    case uint16_t(GeoKind::BoundingBox):
    case uint16_t(GeoKind::Similarity):
        type = 1;
        zone = m_georef.zone;
        break;
    case uint16_t(GeoKind::GeographicBox):
        type = 2;
        zone = 0;
        break;
    default:
        type = 0;
        zone = 0;
    }
}

bool TlmImage::decodeMapped(const uint8_t* stored, uint32_t length, std::size_t readable, uint8_t* target) {
    if (m_storedCompression != 1) {
        // The bzip2 library holds memory while it decodes, which leaving it
        // halfway would lose: its input is copied out first.
        thread_local std::unique_ptr<uint8_t[]> copy;
        thread_local std::size_t capacity = 0;
        if (length > capacity) {
            capacity = 0;
            copy.reset(new (std::nothrow) uint8_t[length]);
            if (!copy)
                return false;
            capacity = length;
        }
        return MappedCopy::copy(copy.get(), stored, length) &&
               m_decoder->decode(copy.get(), length, target, m_tileBufferBytes);
    }
    // Run-length tiles are decoded straight from the mapping: nothing is
    // copied.
    struct Decode {
        const uint8_t* stored;
        uint32_t length;
        std::size_t readable;
        uint8_t* target;
        std::size_t targetLen;
        bool ok;
    } job{stored, length, readable, target, m_tileBufferBytes, false};
    const bool read = MappedCopy::run(
        [](void* context) {
            auto& j = *static_cast<Decode*>(context);
            j.ok = RunLengthDecoder::run(j.stored, j.length, j.readable, j.target, j.targetLen);
        },
        &job);
    return read && job.ok;
}

bool TlmImage::readTile(int column, int row, uint8_t* target, std::size_t targetLen) {
    if (column < 0 || row < 0 || column >= m_tilesPerRow || row >= m_tileRows || targetLen < m_tileBufferBytes) {
        std::memset(target, 0, targetLen);
        return false;
    }
    const uint64_t index = uint64_t(column) + uint64_t(row) * uint64_t(m_tilesPerRow);
    if (!m_compressed) {
        std::memset(target, 0, targetLen);
        const uint64_t offset = uint64_t(m_dataOffset) + index * uint64_t(m_tileBytes);
        return m_file.readAt(offset, target, std::size_t(m_tileBytes)) == std::size_t(m_tileBytes);
    }
    // A decoder writes its whole target, so only what lies beyond it (and a
    // tile that fails) needs clearing here: clearing the tile first would
    // write every byte twice.
    if (targetLen > m_tileBufferBytes)
        std::memset(target + m_tileBufferBytes, 0, targetLen - m_tileBufferBytes);
    const uint32_t begin = m_offsets[index];
    const uint32_t length = m_offsets[index + 1] - begin;
    // The end of this tile and of those after it in its row that fit the
    // read-ahead.
    auto spanEnd = [&] {
        const uint64_t rowEnd = (index / uint64_t(m_tilesPerRow) + 1) * uint64_t(m_tilesPerRow);
        uint64_t last = index + 1;
        while (last < rowEnd && m_offsets[last + 1] - begin <= ReadAheadBytes)
            ++last;
        return m_offsets[last];
    };
    thread_local ReadAhead ahead;
    const bool known =
        ahead.serial == m_serial && begin >= ahead.begin && begin + uint64_t(length) <= ahead.begin + ahead.size;
    auto fail = [&] {
        std::memset(target, 0, targetLen);
        return false;
    };

    if (const uint8_t* mapped = m_file.mapped()) {
        // Whether the file still has the bytes is asked once for the tiles a
        // read-ahead would bring: a file cut short since fails only the tiles
        // it lost, and one cut between asking and reading fails the read.
        if (!known) {
            ahead.serial = 0;
            const uint64_t size = std::min(m_file.currentSize(), m_file.size());
            if (size < begin + uint64_t(length))
                return fail();
            ahead.serial = m_serial;
            ahead.begin = begin;
            ahead.size = std::size_t(std::min<uint64_t>(spanEnd(), size) - begin);
        }
        // The bytes after the tile that the file was seen to have may be
        // read ahead by the decoder.
        const std::size_t readable = std::size_t(ahead.begin + ahead.size - begin);
        return decodeMapped(mapped + begin, length, readable, target) || fail();
    }

    const uint8_t* stored;
    if (known) {
        stored = ahead.bytes.get() + (begin - ahead.begin);
    } else {
        const uint32_t span = spanEnd() - begin;
        ahead.serial = 0;
        ahead.size = 0;
        if (span > ahead.capacity) {
            ahead.capacity = 0;
            ahead.bytes.reset(new (std::nothrow) uint8_t[span]);
            if (!ahead.bytes)
                return fail();
            ahead.capacity = span;
        }
        // A file cut short since it was opened fails only the tiles it lost.
        const std::size_t got = m_file.readAt(begin, ahead.bytes.get(), span);
        if (got < length)
            return fail();
        ahead.size = got;
        ahead.serial = m_serial;
        ahead.begin = begin;
        stored = ahead.bytes.get();
    }
    const std::size_t readable = std::size_t(ahead.begin + ahead.size - begin);
    const bool decoded = m_storedCompression == 1
                             ? RunLengthDecoder::run(stored, length, readable, target, m_tileBufferBytes)
                             : m_decoder->decode(stored, length, target, m_tileBufferBytes);
    return decoded || fail();
}
