#include "HDBFormat.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace HDBFormat {

CodewordPattern::CodewordPattern(std::string_view codeword) : m_codeword(codeword), m_wide(codeword.size() > 64) {
    if (!m_codeword.empty() && !m_wide) {
        for (std::size_t t = 0; t < sizeof m_bytes; ++t)
            m_bytes[t] = std::uint8_t(m_codeword[t % m_codeword.size()]);
    }
}

// Every cache miss unscrambles a page header of two kilobytes and every
// record read unscrambles a record, so where SSE2 is there the work runs 16
// bytes at a time: a log-step prefix sum inside the vector, plus the carry of
// the previous vector's last byte, then the XOR with the code word at the
// vector's phase.
void unscrambleFrom(std::uint8_t* data, std::size_t size, const CodewordPattern& codeword, std::size_t phase,
                    std::uint8_t carry) {
    if (codeword.empty())
        return;
    const std::size_t m = codeword.period();
    std::size_t k = 0;
#if defined(__SSE2__)
    if (codeword.at(0)) {
        const std::size_t step = 16 % m;
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
            const __m128i cw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codeword.at(phase)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(data + k), _mm_xor_si128(_mm_add_epi8(x, sum), cw));
            sum = _mm_add_epi8(sum, total);
            phase += step;
            if (phase >= m)
                phase -= m;
        }
        carry = std::uint8_t(_mm_cvtsi128_si32(sum));
    }
#endif
    const std::string& cw = codeword.codeword();
    for (; k < size; ++k) {
        carry = std::uint8_t(data[k] + carry);
        data[k] = carry ^ std::uint8_t(cw[phase]);
        if (++phase == m)
            phase = 0;
    }
}

void unscrambleRange(std::uint8_t* data, std::size_t from, std::size_t size, std::string_view codeword) {
    if (codeword.empty() || from >= size)
        return;
    const std::size_t m = codeword.size();
    // The running sum before `from`, recovered from the plain byte before it.
    const std::uint8_t carry = from == 0 ? 0 : std::uint8_t(data[from - 1] ^ std::uint8_t(codeword[(from - 1) % m]));
    unscrambleFrom(data + from, size - from, CodewordPattern(codeword), from % m, carry);
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
