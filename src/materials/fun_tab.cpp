#include "materials/fun_tab.h"

#include <iterator>

namespace zm {

// " argument outside the range limits", in Russian, with its leading blank.
// Stored here as a UTF-8 literal.
const char* const FunTab::kOutOfRangeMessage = " аргумент за границами диапазона";

void FunTab::AddPoint(double x, double y) {
  // try_emplace leaves an existing (equivalent) key and its node untouched.
  auto [point, inserted] = try_emplace(x, 0.0);
  (void)inserted;
  point->second = y;
}

long double FunTab::ValueAt(double x) const {
  const auto hi = lower_bound(x);
  if (hi != end() && !key_comp()(x, hi->first)) return hi->second;
  if (hi == end() || hi == begin()) throw Error(kOutOfRangeMessage);
  const auto lo = std::prev(hi);
  // Extended precision in exactly this order of operations; callers keep
  // computing at this precision until they store a result.
  const long double dy = static_cast<long double>(hi->second) - lo->second;
  const long double dx = static_cast<long double>(x) - lo->first;
  const long double span = static_cast<long double>(hi->first) - lo->first;
  return dy * dx / span + lo->second;
}

}  // namespace zm
