#include "render/row_kernel.h"

#if defined(__x86_64__)
#include <smmintrin.h>

#include <cstdint>

namespace zm {

namespace {

// Looks up the four 16-bit indices packed in `indices` and inserts their
// colours into one vector, lowest index first.
__attribute__((target("sse4.1"))) inline __m128i InsertFour(uint64_t indices,
                                                            const uint32_t* colors) {
  __m128i c = _mm_cvtsi32_si128(static_cast<int>(colors[indices & 0xFFFF]));
  c = _mm_insert_epi32(c, static_cast<int>(colors[(indices >> 16) & 0xFFFF]), 1);
  c = _mm_insert_epi32(c, static_cast<int>(colors[(indices >> 32) & 0xFFFF]), 2);
  return _mm_insert_epi32(c, static_cast<int>(colors[indices >> 48]), 3);
}

// Eight pixels per pass like the SSE2 kernel, with a blend for the bank choice
// and the colours inserted straight into their lanes; on processors with slow
// gathers this beats an AVX2 gather of the same table. With `kStream` the
// colours go out with stores that bypass the caches (where the row is
// aligned for them), and a fence makes them visible before the call returns.
template <bool kStream>
__attribute__((target("sse4.1"))) inline void RenderRow32Sse41Of(const MapValue* current,
                                                                 const MapValue* previous,
                                                                 int32_t count, int32_t t,
                                                                 const uint32_t* colors,
                                                                 uint32_t* out) {
  const __m128i time = _mm_set1_epi16(static_cast<int16_t>(t));
  const __m128i timeB = _mm_set1_epi16(static_cast<int16_t>(t + kBankBOffset));
  const auto store = [](uint32_t* to, __m128i colours) {
    if constexpr (kStream) {
      _mm_stream_si128(reinterpret_cast<__m128i*>(to), colours);
    } else {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(to), colours);
    }
  };
  int32_t x = 0;
  for (; x + 8 <= count; x += 8) {
    const __m128i vc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(current + x));
    const __m128i vp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + x));
    const __m128i sincePassed = _mm_sub_epi16(time, vc);
    const __m128i bankB = _mm_sub_epi16(timeB, vp);
    const __m128i index = _mm_blendv_epi8(sincePassed, bankB, _mm_srai_epi16(sincePassed, 15));
    const auto low = static_cast<uint64_t>(_mm_cvtsi128_si64(index));
    const auto high = static_cast<uint64_t>(_mm_extract_epi64(index, 1));
    store(out + x, InsertFour(low, colors));
    store(out + x + 4, InsertFour(high, colors));
  }
  if constexpr (kStream) _mm_sfence();
  RenderRow32Scalar(current + x, previous + x, count - x, t, colors, out + x);
}

}  // namespace

__attribute__((target("sse4.1"))) void RenderRow32Sse41(const MapValue* current,
                                                        const MapValue* previous, int32_t count,
                                                        int32_t t, const uint32_t* colors,
                                                        uint32_t* out) {
  RenderRow32Sse41Of<false>(current, previous, count, t, colors, out);
}

__attribute__((target("sse4.1"))) void RenderRow32Sse41Streaming(const MapValue* current,
                                                                 const MapValue* previous,
                                                                 int32_t count, int32_t t,
                                                                 const uint32_t* colors,
                                                                 uint32_t* out) {
  if ((reinterpret_cast<uintptr_t>(out) & 15) != 0) {
    RenderRow32Sse41Of<false>(current, previous, count, t, colors, out);
  } else {
    RenderRow32Sse41Of<true>(current, previous, count, t, colors, out);
  }
}

}  // namespace zm
#endif
