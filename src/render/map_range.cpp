#include "render/map_range.h"

#include <algorithm>
#include <cstddef>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace zm {

void ClampToMapRange(std::span<MapValue> map) {
  size_t i = 0;
#if defined(__x86_64__)
  // Eight values at a time: a whole map is clamped at every step.
  const __m128i low = _mm_setzero_si128();
  const __m128i high = _mm_set1_epi16(kMapMax);
  for (; i + 8 <= map.size(); i += 8) {
    auto* values = reinterpret_cast<__m128i*>(map.data() + i);
    _mm_storeu_si128(values, _mm_min_epi16(_mm_max_epi16(_mm_loadu_si128(values), low), high));
  }
#endif
  for (; i < map.size(); ++i) map[i] = std::clamp<MapValue>(map[i], 0, kMapMax);
}

}  // namespace zm
