#pragma once

#include <cmath>

// The library functions of the pattern generator (acos, hypot, the twist and
// profile cosines, the logarithms and the powers). All of them run in double
// precision: the argument, evaluated in extended precision, is rounded to
// double and the result widens back for the rest of the expression. The
// double versions cost a fraction of the extended ones, and every result is
// stored in single precision anyway.
namespace zm::generator {

using Real = long double;

inline Real Acos(Real v) { return std::acos(static_cast<double>(v)); }
inline Real Cos(Real v) { return std::cos(static_cast<double>(v)); }
inline Real Hypot(Real x, Real y) {
  return std::hypot(static_cast<double>(x), static_cast<double>(y));
}
inline Real Log(Real v) { return std::log(static_cast<double>(v)); }
inline Real Pow(Real base, Real exponent) {
  return std::pow(static_cast<double>(base), static_cast<double>(exponent));
}

}  // namespace zm::generator
