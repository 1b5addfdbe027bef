#include "HDBFormat.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace HDBFormat {
namespace {

// In-place prefix sum modulo 256. Pages are a few kilobytes and every cache
// miss unscrambles one, so the sum runs 16 bytes at a time where SSE2 is
// there: a log-step prefix sum inside the vector plus the carry of the
// previous vector's last byte.
void runningSum(std::uint8_t* data, std::size_t size) {
    std::size_t k = 0;
    std::uint8_t carry = 0;
#if defined(__SSE2__)
    for (; k + 16 <= size; k += 16) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + k));
        x = _mm_add_epi8(x, _mm_slli_si128(x, 1));
        x = _mm_add_epi8(x, _mm_slli_si128(x, 2));
        x = _mm_add_epi8(x, _mm_slli_si128(x, 4));
        x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
        x = _mm_add_epi8(x, _mm_set1_epi8(static_cast<char>(carry)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(data + k), x);
        carry = data[k + 15];
    }
#endif
    for (; k < size; ++k) {
        carry = std::uint8_t(data[k] + carry);
        data[k] = carry;
    }
}

void applyCodeword(std::uint8_t* data, std::size_t size, std::string_view codeword) {
    const std::size_t m = codeword.size();
    const auto* cw = reinterpret_cast<const std::uint8_t*>(codeword.data());
    std::size_t k = 0;
    // Whole code word periods first; the compiler vectorises the inner loop
    // for the common 8-byte word.
    for (; k + m <= size; k += m) {
        for (std::size_t j = 0; j < m; ++j)
            data[k + j] ^= cw[j];
    }
    for (std::size_t j = 0; k < size; ++k, ++j)
        data[k] ^= cw[j];
}

} // namespace

void unscramble(std::uint8_t* data, std::size_t size, std::string_view codeword) {
    if (codeword.empty() || size == 0)
        return;
    runningSum(data, size);
    applyCodeword(data, size, codeword);
}

void scramble(std::uint8_t* data, std::size_t size, std::string_view codeword) {
    if (codeword.empty() || size == 0)
        return;
    applyCodeword(data, size, codeword);
    for (std::size_t k = size - 1; k > 0; --k)
        data[k] = std::uint8_t(data[k] - data[k - 1]);
}

} // namespace HDBFormat
