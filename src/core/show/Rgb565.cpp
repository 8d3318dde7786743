#include "show/Rgb565.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tramino
{

namespace
{

#if defined(__SSE2__)
// The reds, greens and blues of 16 packed pixels, each in a register. Interleaving the bytes of the
// 48 with those 24 further on moves byte k to 2k mod 47; four times over, to 16k mod 47, which for
// k = 3p + c is 16c + p since 48 = 1 mod 47.
void LoadChannels(const uint8_t* pRgb, __m128i& red, __m128i& green, __m128i& blue)
{
    __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pRgb));
    __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pRgb + 16));
    __m128i a2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pRgb + 32));
    for (int i = 0; i < 4; ++i)
    {
        const __m128i b0 = _mm_unpacklo_epi8(a0, _mm_unpackhi_epi64(a1, a1));
        const __m128i b1 = _mm_unpacklo_epi8(_mm_unpackhi_epi64(a0, a0), a2);
        a2 = _mm_unpacklo_epi8(a1, _mm_unpackhi_epi64(a2, a2));
        a0 = b0;
        a1 = b1;
    }
    red = a0;
    green = a1;
    blue = a2;
}

// 16 pixels at a time: the scalar loop costs a handful of operations a pixel, on the writer's
// thread, for every pixel of the show.
size_t PackSixteens(const uint8_t* pRgb, size_t nCount, uint8_t* pOut)
{
    const __m128i nF8 = _mm_set1_epi8(static_cast<char>(0xF8));
    const __m128i nE0 = _mm_set1_epi8(static_cast<char>(0xE0));
    const __m128i n1F = _mm_set1_epi8(0x1F);
    const __m128i n07 = _mm_set1_epi8(0x07);
    size_t i = 0;
    for (; i + 16 <= nCount; i += 16)
    {
        __m128i red, green, blue;
        LoadChannels(pRgb + 3 * i, red, green, blue);
        // High byte: red's top 5 bits and green's top 3; low byte: green's next 3 and blue's top 5.
        const __m128i high =
            _mm_or_si128(_mm_and_si128(red, nF8), _mm_and_si128(_mm_srli_epi16(green, 5), n07));
        const __m128i low = _mm_or_si128(_mm_and_si128(_mm_slli_epi16(green, 3), nE0),
                                         _mm_and_si128(_mm_srli_epi16(blue, 3), n1F));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pOut + 2 * i), _mm_unpacklo_epi8(high, low));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pOut + 2 * i + 16), _mm_unpackhi_epi8(high, low));
    }
    return i;
}
#endif

} // namespace

void PackRgb565Row(const uint8_t* pRgb, size_t nCount, uint8_t* pOut)
{
    size_t i = 0;
#if defined(__SSE2__)
    i = PackSixteens(pRgb, nCount, pOut);
#endif
    for (; i < nCount; ++i)
    {
        const uint16_t nValue = PackRgb565(pRgb[3 * i], pRgb[3 * i + 1], pRgb[3 * i + 2]);
        pOut[2 * i] = static_cast<uint8_t>(nValue >> 8);
        pOut[2 * i + 1] = static_cast<uint8_t>(nValue);
    }
}

} // namespace tramino
