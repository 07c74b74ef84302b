#include "render/row_kernel.h"

#if defined(__x86_64__)
#include <emmintrin.h>

#include <cstdint>

namespace zm {

namespace {

// Looks up the four 16-bit indices packed in `indices` and returns their
// colours in one vector, lowest index first.
inline __m128i LookUpFour(uint64_t indices, const uint32_t* colors) {
  const __m128i c0 = _mm_cvtsi32_si128(static_cast<int>(colors[indices & 0xFFFF]));
  const __m128i c1 = _mm_cvtsi32_si128(static_cast<int>(colors[(indices >> 16) & 0xFFFF]));
  const __m128i c2 = _mm_cvtsi32_si128(static_cast<int>(colors[(indices >> 32) & 0xFFFF]));
  const __m128i c3 = _mm_cvtsi32_si128(static_cast<int>(colors[indices >> 48]));
  return _mm_unpacklo_epi64(_mm_unpacklo_epi32(c0, c1), _mm_unpacklo_epi32(c2, c3));
}

}  // namespace

// Eight pixels per pass: the indices are formed in 16-bit lanes (t - vc, or
// t + 3016 - vp where t - vc is negative) and looked up one by one; SSE2 is
// part of every x86-64 processor.
void RenderRow32Sse2(const MapValue* current, const MapValue* previous, int32_t count, int32_t t,
                     const uint32_t* colors, uint32_t* out) {
  const __m128i time = _mm_set1_epi16(static_cast<int16_t>(t));
  const __m128i timeB = _mm_set1_epi16(static_cast<int16_t>(t + kBankBOffset));
  int32_t x = 0;
  for (; x + 8 <= count; x += 8) {
    const __m128i vc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(current + x));
    const __m128i vp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + x));
    const __m128i sincePassed = _mm_sub_epi16(time, vc);
    const __m128i bankB = _mm_sub_epi16(timeB, vp);
    const __m128i notPassed = _mm_srai_epi16(sincePassed, 15);
    const __m128i index =
        _mm_or_si128(_mm_andnot_si128(notPassed, sincePassed), _mm_and_si128(notPassed, bankB));
    const auto low = static_cast<uint64_t>(_mm_cvtsi128_si64(index));
    const auto high = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(index, index)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), LookUpFour(low, colors));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4), LookUpFour(high, colors));
  }
  RenderRow32Scalar(current + x, previous + x, count - x, t, colors, out + x);
}

}  // namespace zm
#endif
