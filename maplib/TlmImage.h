#pragma once

#include "ImageSource.h"
#include "MapFile.h"

#include <vector>

class TileDecoder;

// The system's own tiled map format. The first uint32 selects the header
// variant: 28 (A: fixed header, uncompressed tiles), 48 (B: fixed header with a
// georeference kind, tiles uncompressed or compressed) or "TOLM" (C: a sequence
// of chunks up to the end of the file).
class TlmImage : public ImageSource {
public:
    enum class Variant { A, B, C };

    static TlmImage* open(const std::string& path);

    bool readTile(int column, int row, uint8_t* target, std::size_t targetLen) override;
    // Run-length and bzip2 tiles are decoded from the mapped file (or read
    // with positioned reads) without shared state, so they may be read on
    // several threads at once; the tile codec plug-in promises nothing about
    // threads.
    bool concurrentReads() const override { return m_storedCompression == 1 || m_storedCompression == 2; }
    bool cheapTiles() const override { return m_storedCompression <= 1; }
    bool isOpen() const override { return m_file.isOpen(); }
    void georefInfo(int& type, int& zone) const override;

    Variant variant() const { return m_variant; }
    const Georeference& georeference() const { return m_georef; }
    // Compression code of the stored tiles (0 uncompressed, 1 run-length,
    // 2 bzip2, 3 codec plug-in); the tile header itself says 0 because tiles
    // are handed out decoded.
    uint32_t storedCompression() const { return m_storedCompression; }
    uint32_t dataOffset() const { return m_dataOffset; }
    const std::vector<uint32_t>& tileOffsets() const { return m_offsets; }

private:
    TlmImage();
    bool parse();
    bool parseFixedA();
    bool parseFixedB();
    bool parseChunks();
    bool readSkipBlock();
    bool readInfoBody(uint32_t length);
    bool readTileBody(uint32_t length);
    bool readLayerChunk(uint32_t length);
    bool finish();
    // Decodes the stored bytes of a tile in the mapped file into a tile
    // buffer (`readable` bytes from `stored` may be read); false when they
    // do not decode or are gone.
    bool decodeMapped(const uint8_t* stored, uint32_t length, std::size_t readable, uint8_t* target);

    MapFile m_file;
    Variant m_variant = Variant::A;
    Georeference m_georef;
    uint32_t m_storedCompression = 0;
    uint32_t m_dataOffset = 0;
    bool m_compressed = false;
    std::vector<uint32_t> m_offsets;
    std::size_t m_filePaletteEntries = 0;
    bool m_haveSize = false;
    bool m_haveInfo = false;
    bool m_haveTiles = false;
    TileDecoder* m_decoder = nullptr;
    // Tells this image's bytes in a thread's read-ahead buffer from those of
    // an image that had the same address before.
    uint64_t m_serial = 0;
};
