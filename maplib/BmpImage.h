#pragma once

#include "ImageSource.h"
#include "MapFile.h"

// A Windows bitmap (uncompressed, 1, 4, 8 or 24 bits per pixel, bottom-up).
// The whole picture is one tile, read in one piece.
class BmpImage : public ImageSource {
public:
    static BmpImage* open(const std::string& path);

    bool readTile(int column, int row, uint8_t* target, std::size_t targetLen) override;
    bool isOpen() const override { return m_file.isOpen(); }
    uint32_t dataOffset() const { return m_dataOffset; }

private:
    BmpImage() = default;
    bool parse();

    MapFile m_file;
    uint32_t m_dataOffset = 0;
    uint64_t m_imageSize = 0;
};
