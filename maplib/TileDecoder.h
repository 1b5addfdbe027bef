#pragma once

#include <cstddef>
#include <cstdint>

// Turns the stored bytes of one compressed tile into its decoded pixels. On
// success the whole target is written: the decoded bytes, then zeros up to
// targetLen. A decoder reports failure; the caller then clears the tile to
// zeros.
class TileDecoder {
public:
    virtual ~TileDecoder() = default;
    virtual bool decode(const uint8_t* source, std::size_t sourceLen, uint8_t* target, std::size_t targetLen) = 0;

    // The decoder for a tile compression code (1 run-length, 2 bzip2, 3 tile
    // codec plug-in), or null for any other code. Decoders are process-wide.
    static TileDecoder* forCompression(uint32_t compression, int tileWidth, int tileHeight, int bitCount);
};

// Compression 1. Control byte c: below 0x80 a literal run of c + 1 bytes;
// 0x80..0xFE the next byte c − 126 times; 0xFF a uint16 count and a byte, the
// byte count + 129 times. Runs that pass the end of the source or the target
// are clipped and the decoding fails; target bytes left over are fine and
// cleared to zero, after a failure too.
class RunLengthDecoder : public TileDecoder {
public:
    bool decode(const uint8_t* source, std::size_t sourceLen, uint8_t* target, std::size_t targetLen) override;
    static bool run(const uint8_t* source, std::size_t sourceLen, uint8_t* target, std::size_t targetLen);
    // The same where `readable` (at least sourceLen) bytes from `source` may
    // be read: the fast wide loads then go on to the last codes. The bytes
    // after the source do not change the result.
    static bool run(const uint8_t* source, std::size_t sourceLen, std::size_t readable, uint8_t* target,
                    std::size_t targetLen);

    // The register width in bytes decoding works with: the widest the
    // processor has of 64, 32 and 16. setWidth picks the widest up to
    // `bytes`, to compare the variants; not while tiles are decoded.
    static int width();
    static void setWidth(int bytes);
};

// Compression 2: one-call buffer decompression of libbz2, which is loaded on
// first use. Without libbz2 every tile fails (and draws as zeros).
class Bzip2Decoder : public TileDecoder {
public:
    bool decode(const uint8_t* source, std::size_t sourceLen, uint8_t* target, std::size_t targetLen) override;
    static bool available();

    // The library's one-call compression, for the writer (null without libbz2).
    using Compress = int (*)(char* dest, unsigned int* destLen, char* source, unsigned int sourceLen, int blockSize100k,
                             int verbosity, int workFactor);
    static Compress compressFunction();
};

// Compression 3: the optional tile codec plug-in "libTLM_LBComp.so".
class CodecPluginDecoder : public TileDecoder {
public:
    CodecPluginDecoder(int tileWidth, int tileHeight, int bitCount)
        : m_width(tileWidth), m_height(tileHeight), m_bytesPerPixel(bitCount / 8) {}
    bool decode(const uint8_t* source, std::size_t sourceLen, uint8_t* target, std::size_t targetLen) override;

    // Argument block of the plug-in's decompress call.
    struct SourceBlock {
        const uint8_t* data;
        uint32_t length;
    };

private:
    int m_width;
    int m_height;
    int m_bytesPerPixel;
};
