#include "TileDecoder.h"

#include "PluginLoader.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>

namespace {

// The decoding itself, compiled into each of the functions below for the
// instruction set that function is built for. A Lane is W bytes handled as
// one value, which the compiler turns into loads, stores and bitwise
// operations of one register: W must be the register width of that
// instruction set, as a wider one is taken apart byte by byte.
template <int W>
__attribute__((always_inline)) inline bool decodeRuns(const uint8_t* src, std::size_t srcLen, std::size_t readable,
                                                      uint8_t* dst, std::size_t dstLen) {
    // (A typedef: GCC drops the attribute from a dependent alias.)
    typedef uint8_t Lane __attribute__((vector_size(W)));
    static_assert(sizeof(Lane) == W);
    // Literal and short repeat codes cover at most 128 bytes. While the source
    // has 132 bytes left and the target 128, every such code is written as
    // one 128-byte store of either the source bytes after it or its repeated
    // byte, picked with a mask rather than a branch: map tiles mix both kinds
    // of run irregularly, and a mispredicted branch per run costs more than
    // the wide store. The bytes stored past a run's end are overwritten by the
    // runs that follow, or cleared at the end. Where bytes after the source
    // may be read (`readable`), the wide stores go on up to its last code,
    // each code checked against the source's end on the side.
    constexpr std::size_t Chunk = 128;
    const uint8_t* in = src;
    const uint8_t* const inEnd = src + srcLen;
    const uint8_t* const loadEnd = src + std::max(readable, srcLen);
    uint8_t* out = dst;
    uint8_t* const outEnd = dst + dstLen;
    while (loadEnd - in >= std::ptrdiff_t(Chunk + 4) && outEnd - out >= std::ptrdiff_t(Chunk)) {
        const unsigned c = in[0];
        if (c == 0xFF) {
            if (inEnd - in < 4)
                break;
            const std::size_t n = std::size_t(in[1] | (in[2] << 8)) + 129;
            if (n > std::size_t(outEnd - out))
                break; // the careful loop below reports it
            // 129 bytes and more: 64-byte blocks, the last one ending
            // exactly at the run's end (overlapping the one before).
            const Lane fill = Lane{} + in[3];
            uint8_t* const end = out + n;
            for (uint8_t* p = out; p < end - sizeof(Lane); p += sizeof(Lane))
                std::memcpy(p, &fill, sizeof fill);
            std::memcpy(end - sizeof(Lane), &fill, sizeof fill);
            in += 4;
            out = end;
            continue;
        }
        // The next code's position is what the next code waits for: the
        // repeat case's is ready before c is, the literal's one add after.
        const uint8_t* const afterRepeat = in + 2;
        const uint8_t* const afterLiteral = afterRepeat + c;
        const uint8_t* const next = c < 0x80 ? afterLiteral : afterRepeat;
        if (next > inEnd)
            break; // the code passes the source's end: the careful loop reports it
        // All ones for a literal code, zero for a repeat code.
        const uint8_t literal = uint8_t((c >> 7) - 1);
        const Lane keep = Lane{} + literal;
        const Lane fill = (Lane{} + in[1]) & ~keep;
        // All loads before the stores: the compiler need not check whether
        // they overlap.
        constexpr int Lanes = int(Chunk) / W;
        Lane v[Lanes];
#pragma GCC unroll 8
        for (int k = 0; k < Lanes; ++k)
            std::memcpy(&v[k], in + 1 + k * W, sizeof(Lane));
#pragma GCC unroll 8
        for (int k = 0; k < Lanes; ++k) {
            v[k] = (v[k] & keep) | fill;
            std::memcpy(out + k * W, &v[k], sizeof(Lane));
        }
        // A literal of c + 1 bytes takes c + 2 source bytes; a repeat of
        // c − 126 bytes takes 2.
        out += c + 1 - (127 & ~literal);
        in = next;
    }

    // The last codes, with every length checked against both buffers.
    bool ok = true;
    while (in < inEnd) {
        const unsigned c = in[0];
        const std::size_t room = std::size_t(outEnd - out);
        if (c < 0x80) {
            const std::size_t want = std::size_t(c) + 1;
            ++in;
            const std::size_t n = std::min({want, std::size_t(inEnd - in), room});
            if (n)
                std::memcpy(out, in, n);
            in += n;
            out += n;
            if (n != want) {
                ok = false;
                break;
            }
            continue;
        }
        std::size_t want;
        uint8_t value;
        if (c != 0xFF) {
            if (inEnd - in < 2) {
                ok = false;
                break;
            }
            want = std::size_t(c) - 126;
            value = in[1];
            in += 2;
        } else {
            if (inEnd - in < 4) {
                ok = false;
                break;
            }
            want = std::size_t(in[1] | (in[2] << 8)) + 129;
            value = in[3];
            in += 4;
        }
        const std::size_t n = std::min(want, room);
        if (n)
            std::memset(out, value, n);
        out += n;
        if (n != want) {
            ok = false;
            break;
        }
    }
    // Whatever the codes left of the target (and the fast loop's overshoot).
    if (out < outEnd)
        std::memset(out, 0, std::size_t(outEnd - out));
    return ok;
}

using DecodeRuns = bool (*)(const uint8_t*, std::size_t, std::size_t, uint8_t*, std::size_t);

bool decodeRunsPlain(const uint8_t* src, std::size_t srcLen, std::size_t readable, uint8_t* dst, std::size_t dstLen) {
    return decodeRuns<16>(src, srcLen, readable, dst, dstLen);
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2,tune=haswell"))) bool decodeRunsAvx2(const uint8_t* src, std::size_t srcLen,
                                                                 std::size_t readable, uint8_t* dst,
                                                                 std::size_t dstLen) {
    return decodeRuns<32>(src, srcLen, readable, dst, dstLen);
}

__attribute__((target("avx512f,avx512bw"))) bool decodeRunsAvx512(const uint8_t* src, std::size_t srcLen,
                                                                  std::size_t readable, uint8_t* dst,
                                                                  std::size_t dstLen) {
    return decodeRuns<64>(src, srcLen, readable, dst, dstLen);
}
#endif

// The widest registers the processor has, up to `limit` bytes: the wider,
// the fewer instructions each code takes.
int widest(int limit) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (limit >= 64 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return 64;
    if (limit >= 32 && __builtin_cpu_supports("avx2"))
        return 32;
#endif
    (void)limit;
    return 16;
}

DecodeRuns decodeRunsOf(int width) {
#if defined(__x86_64__) || defined(__i386__)
    if (width == 64)
        return decodeRunsAvx512;
    if (width == 32)
        return decodeRunsAvx2;
#endif
    (void)width;
    return decodeRunsPlain;
}

// Chosen at the first decode rather than while the program loads, where the
// sanitizers' run-time is not ready yet.
std::atomic<int> g_width{0};
std::atomic<DecodeRuns> g_decodeRuns{nullptr};

} // namespace

bool RunLengthDecoder::run(const uint8_t* src, std::size_t srcLen, uint8_t* dst, std::size_t dstLen) {
    return run(src, srcLen, srcLen, dst, dstLen);
}

bool RunLengthDecoder::run(const uint8_t* src, std::size_t srcLen, std::size_t readable, uint8_t* dst,
                           std::size_t dstLen) {
    DecodeRuns decode = g_decodeRuns.load(std::memory_order_acquire);
    if (!decode) {
        setWidth(64);
        decode = g_decodeRuns.load(std::memory_order_acquire);
    }
    return decode(src, srcLen, readable, dst, dstLen);
}

int RunLengthDecoder::width() {
    if (g_width.load() == 0)
        setWidth(64);
    return g_width.load();
}

void RunLengthDecoder::setWidth(int bytes) {
    const int w = widest(bytes);
    g_width.store(w);
    g_decodeRuns.store(decodeRunsOf(w), std::memory_order_release);
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
    if (result < 0)
        return false;
    if (destLen < targetLen)
        std::memset(target + destLen, 0, targetLen - destLen);
    return true;
}

bool CodecPluginDecoder::decode(const uint8_t* source, std::size_t sourceLen, uint8_t* target, std::size_t targetLen) {
    if (uint64_t(targetLen) < uint64_t(m_width) * uint64_t(m_height) * uint64_t(m_bytesPerPixel))
        return false;
    if (sourceLen > 0xFFFFFFFFu)
        return false;
    const DecompressTile function = codecFunction();
    if (!function)
        return false;
    // The plug-in may leave parts of the tile unwritten.
    std::memset(target, 0, targetLen);
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
