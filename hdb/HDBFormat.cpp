#include "HDBFormat.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace HDBFormat {
namespace {

// The code word repeated so that 16 bytes can be read from any phase.
struct Pattern {
    std::uint8_t bytes[64 + 16];
    std::size_t period;
    explicit Pattern(std::string_view codeword) : period(codeword.size()) {
        for (std::size_t t = 0; t < sizeof bytes; ++t)
            bytes[t] = std::uint8_t(codeword[t % period]);
    }
};

void unscrambleScalar(std::uint8_t* data, std::size_t size, std::string_view codeword, std::size_t k,
                      std::uint8_t carry) {
    // `k` is the block index, so the code word keeps its phase.
    const std::size_t m = codeword.size();
    for (; k < size; ++k) {
        carry = std::uint8_t(data[k] + carry);
        data[k] = carry ^ std::uint8_t(codeword[k % m]);
    }
}

} // namespace

// Every cache miss unscrambles one page of a few kilobytes, so where SSE2 is
// there the work runs 16 bytes at a time: a log-step prefix sum inside the
// vector, plus the carry of the previous vector's last byte, then the XOR
// with the code word at the vector's phase.
void unscrambleRange(std::uint8_t* data, std::size_t from, std::size_t size, std::string_view codeword) {
    if (codeword.empty() || from >= size)
        return;
    const std::size_t m = codeword.size();
    std::size_t k = from;
    // The running sum before `from`, recovered from the plain byte before it.
    std::uint8_t carry = from == 0 ? 0 : std::uint8_t(data[from - 1] ^ std::uint8_t(codeword[(from - 1) % m]));
#if defined(__SSE2__)
    if (codeword.size() <= 64) {
        const Pattern pattern(codeword);
        std::size_t phase = from % m;
        const std::size_t step = 16 % pattern.period;
        __m128i sum = _mm_set1_epi8(static_cast<char>(carry)); // carry in every byte
        for (; k + 16 <= size; k += 16) {
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + k));
            x = _mm_add_epi8(x, _mm_slli_si128(x, 1));
            x = _mm_add_epi8(x, _mm_slli_si128(x, 2));
            x = _mm_add_epi8(x, _mm_slli_si128(x, 4));
            x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
            // The vector's own total in every byte; it does not depend on
            // the carry, so the only serial step is one addition per vector.
            __m128i total = _mm_srli_si128(x, 15);
            total = _mm_unpacklo_epi8(total, total);
            total = _mm_shufflelo_epi16(total, 0);
            total = _mm_unpacklo_epi64(total, total);
            const __m128i cw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern.bytes + phase));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(data + k), _mm_xor_si128(_mm_add_epi8(x, sum), cw));
            sum = _mm_add_epi8(sum, total);
            phase += step;
            if (phase >= pattern.period)
                phase -= pattern.period;
        }
        carry = std::uint8_t(_mm_cvtsi128_si32(sum));
    }
#endif
    unscrambleScalar(data, size, codeword, k, carry);
}

void unscrambleFrom(std::uint8_t* data, std::size_t size, std::string_view codeword, std::size_t phase,
                    std::uint8_t carry) {
    if (codeword.empty())
        return;
    const std::size_t m = codeword.size();
    for (std::size_t k = 0; k < size; ++k) {
        carry = std::uint8_t(data[k] + carry);
        data[k] = carry ^ std::uint8_t(codeword[(phase + k) % m]);
    }
}

void unscramble(std::uint8_t* data, std::size_t size, std::string_view codeword) {
    unscrambleRange(data, 0, size, codeword);
}

void scramble(std::uint8_t* data, std::size_t size, std::string_view codeword) {
    if (codeword.empty() || size == 0)
        return;
    const std::size_t m = codeword.size();
    for (std::size_t k = 0; k < size; ++k)
        data[k] ^= std::uint8_t(codeword[k % m]);
    for (std::size_t k = size - 1; k > 0; --k)
        data[k] = std::uint8_t(data[k] - data[k - 1]);
}

} // namespace HDBFormat
