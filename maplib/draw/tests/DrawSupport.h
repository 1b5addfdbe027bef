#pragma once

#include "MapHandle.h"
#include "TlmWriter.h"

#include <QImage>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// A temporary folder that is removed with everything in it.
class DrawTempDir {
public:
    DrawTempDir();
    ~DrawTempDir();
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
};

// Colour that marks pixels no map has drawn.
inline constexpr uint32_t Untouched = 0xFF123456;

// A palette where every index has its own colour.
std::vector<RgbQuad> testPalette(int bitCount);
// The display colour (QRgb) of a palette entry.
uint32_t colourOf(const RgbQuad& e);

// Writes a map whose pixel (x, y) has the value `pixel(x, y)` (24 bits: 0xRRGGBB).
bool writeMap(const std::string& path, int width, int height, TlmWriter::Options options,
              const std::function<uint32_t(int, int)>& pixel);
TlmWriter::Options mapOptions(int bitCount, int tileWidth = 256, int tileHeight = 256);

// What `handle` draws into a `size` window (filled with Untouched first)
// whose top left corner shows map display pixel (mapX, mapY).
QImage render(MapHandle& handle, QSize size, int mapX = 0, int mapY = 0, const QRect* clip = nullptr,
              const MapHandle::AbortCallback& abort = {});

// Forgets every decoded and displayed tile.
void clearCaches();
