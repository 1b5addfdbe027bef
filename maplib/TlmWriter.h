#pragma once

#include "MapTypes.h"

#include <cstdio>
#include <string>
#include <vector>

// Writes .TLM map files: header variants A (uncompressed only), B and C, tiles
// uncompressed, run-length or bzip2 coded, 1, 4, 8, 16 or 24 bits per pixel.
//
// The picture is streamed: rows arrive top-down in any portions, and the
// writer holds at most one band of tile-height rows before it cuts the band
// into tiles and writes them. So maps of 30 000 × 30 000 pixels are written in
// the memory of one band. The file is written under a temporary name and
// renamed over the target only when it is complete.
//
// Row format: packed pixels of the tile bit count, most significant bits
// first below 8 bits, 16-bit values little-endian, 24 bits as blue, green, red.
class TlmWriter {
public:
    enum class Variant { A, B, C };
    enum Compression : uint32_t { None = 0, RunLength = 1, Bzip2 = 2 };

    // A group-3 chunk (extra layer data for the layers plug-in), variant C.
    struct ExtraChunk {
        uint16_t id = 0;
        std::vector<uint8_t> body;
    };

    struct Options {
        Variant variant = Variant::B;
        uint32_t compression = None;
        int tileWidth = 256;
        int tileHeight = 256;
        int bitCount = 8;
        std::vector<RgbQuad> palette;   // colours used; none for 24 bits
        std::vector<LayerEntry> layers; // variant C only, at most 32
        // Variant A stores R1..R4 as integers and knows kinds 0 and 1 only;
        // variant C writes a georeference chunk unless the kind is 0 and all
        // four reals are 0.
        Georeference georef;
        std::vector<ExtraChunk> extraChunks;
    };

    TlmWriter(std::string path, int width, int height, Options options);
    ~TlmWriter();
    TlmWriter(const TlmWriter&) = delete;
    TlmWriter& operator=(const TlmWriter&) = delete;

    // Checks the options and writes the headers; false with error() set.
    bool begin();
    // Appends `count` rows of `rowStride` bytes each (top-down).
    bool writeRows(const uint8_t* rows, int count, std::size_t rowStride);
    // Writes the last band and the tile offset table and puts the file in place.
    bool finish();
    const std::string& error() const { return m_error; }

    // Bytes of one row in the row format.
    std::size_t rowBytes() const;
    // Bytes of the band buffer and the most pixel bytes it ever held.
    std::size_t bandCapacity() const { return m_band.size(); }
    std::size_t peakBufferedBytes() const { return m_peakBuffered; }

    // Writes a whole picture held in memory.
    static bool write(const std::string& path, int width, int height, const uint8_t* pixels, std::size_t rowStride,
                      const Options& options, std::string* error = nullptr);

    // Run-length coding of one tile (compression 1), for tests and benchmarks.
    static void encodeRunLength(const uint8_t* data, std::size_t length, std::vector<uint8_t>& out);

private:
    bool fail(const std::string& message);
    bool writeBytes(const void* data, std::size_t length);
    bool writeChunkHead(uint16_t group, uint16_t id, uint32_t length);
    bool flushBand();
    void buildTile(int column, int bandRows);
    bool patch(uint64_t offset, const uint8_t* data, std::size_t length);
    uint32_t tileBytes() const;
    std::size_t tileStrideBytes() const;
    std::vector<uint8_t> infoBody() const;

    std::string m_path;
    std::string m_tempPath;
    int m_width;
    int m_height;
    Options m_options;
    std::string m_error;
    std::FILE* m_file = nullptr;
    uint64_t m_pos = 0;
    bool m_begun = false;
    bool m_failed = false;

    int m_tilesPerRow = 0;
    int m_tileRows = 0;
    std::vector<uint8_t> m_band; // tileHeight rows of rowBytes()
    int m_bandRows = 0;
    int m_rowsWritten = 0; // rows of finished bands
    std::size_t m_peakBuffered = 0;
    std::vector<uint8_t> m_tile;
    std::vector<uint8_t> m_encoded;
    std::vector<uint32_t> m_offsets;
    uint64_t m_tableOffset = 0;     // where the tile offset table goes
    uint64_t m_dataChunkOffset = 0; // variant C: head of the tile data chunk
    uint64_t m_dataStart = 0;
};
