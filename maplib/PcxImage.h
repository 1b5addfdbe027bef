#pragma once

#include "ImageSource.h"
#include "MapFile.h"

// A PCX picture: 1 or 8 bits per plane with 1, 3 or 4 planes (not 8 × 4),
// run-length coded lines. The whole picture is one tile of 1, 4, 8 or 24 bits
// per pixel with its lines bottom-up.
class PcxImage : public ImageSource {
public:
    static PcxImage* open(const std::string& path);

    bool readTile(int column, int row, uint8_t* target, std::size_t targetLen) override;
    bool isOpen() const override { return m_file.isOpen(); }

private:
    PcxImage() = default;
    bool parse();

    MapFile m_file;
    int m_bitsPerPlane = 0;
    int m_planes = 0;
    int m_bytesPerLine = 0;
    uint64_t m_dataEnd = 0;
};
