#include "render/row_kernel.h"

#if defined(__x86_64__)
#include <immintrin.h>

namespace zm {

// Sixteen pixels per pass: the indices are formed in 16-bit lanes (t - vc,
// or t + 3016 - vp where t - vc is negative), widened to 32 bits and looked
// up with two 8-lane gathers.
__attribute__((target("avx2"))) void RenderRow32Avx2(const MapValue* current,
                                                     const MapValue* previous, int32_t count,
                                                     int32_t t, const uint32_t* colors,
                                                     uint32_t* out) {
  const __m256i time = _mm256_set1_epi16(static_cast<int16_t>(t));
  const __m256i timeB = _mm256_set1_epi16(static_cast<int16_t>(t + kBankBOffset));
  const int* table = reinterpret_cast<const int*>(colors);
  int32_t x = 0;
  for (; x + 16 <= count; x += 16) {
    const __m256i vc = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(current + x));
    const __m256i vp = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(previous + x));
    const __m256i sincePassed = _mm256_sub_epi16(time, vc);
    const __m256i bankB = _mm256_sub_epi16(timeB, vp);
    const __m256i notPassed = _mm256_srai_epi16(sincePassed, 15);
    const __m256i index = _mm256_blendv_epi8(sincePassed, bankB, notPassed);
    const __m256i low = _mm256_cvtepu16_epi32(_mm256_castsi256_si128(index));
    const __m256i high = _mm256_cvtepu16_epi32(_mm256_extracti128_si256(index, 1));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_i32gather_epi32(table, low, 4));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x + 8),
                        _mm256_i32gather_epi32(table, high, 4));
  }
  RenderRow32Scalar(current + x, previous + x, count - x, t, colors, out + x);
}

}  // namespace zm
#endif
