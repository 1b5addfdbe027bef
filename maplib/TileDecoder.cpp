#include "TileDecoder.h"

#include "PluginLoader.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>

bool RunLengthDecoder::run(const uint8_t* src, std::size_t srcLen, uint8_t* dst, std::size_t dstLen) {
    // Literal and repeat codes cover at most 128 bytes, so where the buffers
    // have room they are written as one fixed 128-byte copy or fill, which
    // compiles to a few vector stores without a branch on the length. The
    // bytes written past a run are overwritten by the runs that follow, or
    // cleared at the end.
    constexpr std::size_t Chunk = 128;
    std::size_t in = 0;
    std::size_t out = 0;
    std::size_t highWater = 0;
    bool ok = true;
    while (in < srcLen) {
        const uint8_t c = src[in];
        if (c < 0x80) {
            const std::size_t want = std::size_t(c) + 1;
            ++in;
            if (want <= Chunk && srcLen - in >= Chunk && dstLen - out >= Chunk) {
                std::memcpy(dst + out, src + in, Chunk);
                highWater = std::max(highWater, out + Chunk);
                in += want;
                out += want;
                continue;
            }
            std::size_t n = want;
            n = std::min(n, srcLen - in);
            n = std::min(n, dstLen - out);
            if (n)
                std::memcpy(dst + out, src + in, n);
            in += n;
            out += n;
            if (n != want) {
                ok = false;
                break;
            }
        } else {
            std::size_t want;
            uint8_t value;
            if (c != 0xFF) {
                if (srcLen - in < 2) {
                    ok = false;
                    break;
                }
                want = std::size_t(c) - 126;
                value = src[in + 1];
                in += 2;
            } else {
                if (srcLen - in < 4) {
                    ok = false;
                    break;
                }
                want = std::size_t(src[in + 1] | (src[in + 2] << 8)) + 129;
                value = src[in + 3];
                in += 4;
            }
            if (want <= Chunk && dstLen - out >= Chunk) {
                std::memset(dst + out, value, Chunk);
                highWater = std::max(highWater, out + Chunk);
                out += want;
                continue;
            }
            const std::size_t n = std::min(want, dstLen - out);
            if (n)
                std::memset(dst + out, value, n);
            out += n;
            if (n != want) {
                ok = false;
                break;
            }
        }
    }
    if (highWater > out)
        std::memset(dst + out, 0, highWater - out);
    return ok;
}

bool RunLengthDecoder::decode(const uint8_t* source, std::size_t sourceLen, uint8_t* target, std::size_t targetLen) {
    return run(source, sourceLen, target, targetLen);
}

namespace {

using BuffToBuffDecompress = int (*)(char* dest, unsigned int* destLen, char* source, unsigned int sourceLen, int small,
                                     int verbosity);

void* bzip2Library() {
    static void* const lib = PluginLoader::loadSystem({"libbz2.so.1.0", "libbz2.so.1"});
    return lib;
}

BuffToBuffDecompress bzip2Function() {
    static const BuffToBuffDecompress function =
        reinterpret_cast<BuffToBuffDecompress>(PluginLoader::symbol(bzip2Library(), "BZ2_bzBuffToBuffDecompress"));
    return function;
}

using DecompressTile = int (*)(const CodecPluginDecoder::SourceBlock* source, uint8_t* target, int width, int height,
                               int bytesPerPixel);

DecompressTile codecFunction() {
    static const DecompressTile function = [] {
        void* lib = PluginLoader::load("libTLM_LBComp.so");
        return reinterpret_cast<DecompressTile>(PluginLoader::symbol(lib, "TLM_LBComp_decompressTile"));
    }();
    return function;
}

} // namespace

bool Bzip2Decoder::available() {
    return bzip2Function() != nullptr;
}

Bzip2Decoder::Compress Bzip2Decoder::compressFunction() {
    static const Compress function =
        reinterpret_cast<Compress>(PluginLoader::symbol(bzip2Library(), "BZ2_bzBuffToBuffCompress"));
    return function;
}

bool Bzip2Decoder::decode(const uint8_t* source, std::size_t sourceLen, uint8_t* target, std::size_t targetLen) {
    const BuffToBuffDecompress function = bzip2Function();
    if (!function || sourceLen > 0xFFFFFFFFu || targetLen > 0xFFFFFFFFu)
        return false;
    unsigned int destLen = unsigned(targetLen);
    const int result = function(reinterpret_cast<char*>(target), &destLen,
                                const_cast<char*>(reinterpret_cast<const char*>(source)), unsigned(sourceLen), 0, 0);
    return result >= 0;
}

bool CodecPluginDecoder::decode(const uint8_t* source, std::size_t sourceLen, uint8_t* target, std::size_t targetLen) {
    if (uint64_t(targetLen) < uint64_t(m_width) * uint64_t(m_height) * uint64_t(m_bytesPerPixel))
        return false;
    if (sourceLen > 0xFFFFFFFFu)
        return false;
    const DecompressTile function = codecFunction();
    if (!function)
        return false;
    const SourceBlock block{source, uint32_t(sourceLen)};
    return function(&block, target, m_width, m_height, m_bytesPerPixel) != 0;
}

TileDecoder* TileDecoder::forCompression(uint32_t compression, int tileWidth, int tileHeight, int bitCount) {
    static RunLengthDecoder runLength;
    static Bzip2Decoder bzip2;
    // One codec decoder per tile geometry; maps of a process share few.
    static std::map<std::tuple<int, int, int>, std::unique_ptr<CodecPluginDecoder>> codecs;
    switch (compression) {
    case 1:
        return &runLength;
    case 2:
        return &bzip2;
    case 3: {
        auto& slot = codecs[{tileWidth, tileHeight, bitCount}];
        if (!slot)
            slot = std::make_unique<CodecPluginDecoder>(tileWidth, tileHeight, bitCount);
        return slot.get();
    }
    default:
        return nullptr;
    }
}
