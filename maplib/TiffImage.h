#pragma once

#include "ImageSource.h"

#include <vector>

// TIFF pictures through the plug-in "libVelmar32_TIFF.so", which the library
// uses only when it loads with all six of its entry points. Accepted: upper
// left orientation; one sample of 1, 4 or 8 bits (grey, inverted grey or a
// colour map) or three contiguous samples of 8 bits (RGB, held as BGR). Tiled
// files use their tiles; others use their strips across the full width.
class TiffImage : public ImageSource {
public:
    static TiffImage* open(const std::string& path);
    ~TiffImage() override;

    bool readTile(int column, int row, uint8_t* target, std::size_t targetLen) override;
    bool isOpen() const override { return m_tiff != nullptr; }
    bool isTiled() const { return m_tiled; }

    // Whether the plug-in is there (loads it on the first call).
    static bool pluginAvailable();

private:
    TiffImage() = default;
    bool parse();

    void* m_tiff = nullptr;
    bool m_tiled = false;
    int m_samples = 1;
    std::size_t m_rowBytes = 0; // bytes of one decoded line as the file has it
    std::vector<uint8_t> m_scratch;
};
