#pragma once

#include "MapTypes.h"

#include <string>
#include <vector>

// Small writers for the other raster files the library reads, so that tests,
// seed corpora and demo data are made by the project itself. Rows arrive
// top-down in the row format of TlmWriter (packed pixels, 24 bits as blue,
// green, red). Files are written whole under a temporary name and renamed.
namespace RasterWriters {

// An uncompressed bitmap of 1, 4, 8 or 24 bits per pixel.
bool writeBmp(const std::string& path, int width, int height, int bitCount, const std::vector<RgbQuad>& palette,
              const uint8_t* rows, std::size_t rowStride);

// A run-length coded PCX picture: 1 bit (one plane), 4 bits (four 1-bit
// planes), 8 bits (one plane, palette at the end) or 24 bits (three planes).
bool writePcx(const std::string& path, int width, int height, int bitCount, const std::vector<RgbQuad>& palette,
              const uint8_t* rows, std::size_t rowStride);

// A sheet mosaic listing sheets by their lower left corner.
struct MosaicSheet {
    double easting;
    double northing;
    std::string name;
};
bool writeSheetMosaic(const std::string& path, double sheetWidth, double sheetHeight,
                      const std::vector<MosaicSheet>& sheets);

// Writes `bytes` to `path` through a temporary file beside it.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace RasterWriters
