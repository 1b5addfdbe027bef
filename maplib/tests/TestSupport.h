#pragma once

#include "ImageSource.h"
#include "TlmWriter.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A temporary folder that is removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
};

// A picture in the writers' row format (top-down, packed, 24 bits as BGR).
struct Picture {
    int width = 0;
    int height = 0;
    int bitCount = 8;
    std::vector<uint8_t> rows;
    std::size_t rowBytes() const { return (std::size_t(width) * std::size_t(bitCount) + 7) / 8; }
    // Pixel value at (x, y) from the top left.
    uint32_t pixel(int x, int y) const;
};

// A map-like picture: uniform areas, a few lines and blocks of "text" noise.
Picture makePicture(int width, int height, int bitCount, uint32_t seed = 1);
std::vector<RgbQuad> greyPalette(int bitCount);

// Reassembles the whole picture from the decoded tiles of `source`.
Picture readBack(ImageSource& source);

std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
