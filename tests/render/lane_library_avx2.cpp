#include "render/guarded_lanes.h"

// The lanes' acos, log and pow of each argument, as the AVX2 file calls them
// (this file alone is compiled for that unit; see lane_library_test.cpp).
// The lanes never leave it: pointers in, pointers out.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace zm::testing {

bool LaneLibraryBuilt() {
#if defined(ZM_LANE_LIBRARY)
  return true;
#else
  return false;
#endif
}

void LaneLibraryResults(const double* c, const double* a, const double* base,
                        const double* exponent, double* results, int count) {
  using generator::Lanes;
  for (int k = 0; k < count; ++k) {
    results[3 * k] = generator::Acos(Lanes<4>(c[k])).v[0];
    results[3 * k + 1] = generator::Log(Lanes<4>(a[k])).v[0];
    results[3 * k + 2] = generator::Pow(Lanes<4>(base[k]), Lanes<4>(exponent[k])).v[0];
  }
}

}  // namespace zm::testing
