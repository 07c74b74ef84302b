#pragma once

#include <cmath>
#include <cstdint>

#include "render/generator_math.h"
#include "render/guarded_double.h"
#include "render/guarded_lanes.h"
#include "render/pattern_switches.h"
#include "render/table_lookup.h"

// The eight shape functions that bend the polar coordinate. They are inline
// because they run once or twice for every pixel of a map.
namespace zm::generator {

// The point a shape function is evaluated at, and the terms by which
// function B differs from function A; F is float, or floats in lanes.
template <typename F>
struct ShapePoint {
  F rho;
  F phi;
  F x;
  F y;
  // Couplings to function A's value: 1 and 0 for A itself.
  F j;
  F k2;
  // Mode 6 uses (1 - radiusFactor * rho): 1 for A, A's value for B.
  F radiusFactor;
  // Sign of rho^2 in the second term of mode 7: -1 for A, +1 for B.
  F rhoSquaredSign;
};

// The value of shape function `mode` (0..7) with parameter set p: 0..1.
// T is the arithmetic: Wide, with G the guard that checks nothing, or
// double or doubles in lanes, with G the pixels' guard; the operations are
// the same, in the same order. Each checked site carries its bound (docs/pixel-guard.md); the table
// arguments without one are exact in double.
template <typename T, typename G>
inline Working<T> ShapeValue(int32_t mode, const ShapeParams& p, const ShapePoint<Working<T>>& at,
                             G& guard) {
  const T rho = at.rho;
  const T phi = at.phi;
  const T x = at.x;
  const T y = at.y;
  const T j = at.j;
  const T one{1.0};
  const T two{2.0};
  const T turn{2048.0};
  // A value of `units` roundings' worth of error relative to itself.
  const auto relative = [](T, int units) { return RelativeBound{units}; };
  switch (mode) {
    case 0: {
      const T v = one / (two + T{SinAt(guard, turn * p.s1 * rho)} * (one - rho) *
                                   SinAt(guard, turn * j * p.s2 * phi));
      return Narrow(guard, v, relative(v, 8));
    }
    case 1: {
      const T v = Abs(T{CosAt(guard, turn * p.f * phi)}) / (one + j * p.d * rho);
      return Narrow(guard, v, relative(v, 5));
    }
    case 2: {
      const T v = one / (two + T{SinAt(guard, turn * p.s1 * rho)} * rho *
                                   SinAt(guard, turn * p.s2 * phi * j));
      return Narrow(guard, v, relative(v, 6));
    }
    case 3: {
      const T a = j * Abs(x * y) + T{0.02} + rho;
      const T bend = Log(a);
      const T index = bend * turn * p.g;
      const T v =
          one / (two + T{SinAt(guard, index,
                               [&] {
                                 const T spread = 3 * kUnit * a;
                                 return turn * p.g * LogBound(a, bend, spread) * (1 + 4 * kUnit) +
                                        2 * kUnit * Abs(index);
                               })} *
                           (one - rho));
      return Narrow(guard, v, relative(v, 7));
    }
    case 4: {
      const T v = one / (T{CosAt(guard, turn * p.m1 * phi * rho)} * (one - rho) + two +
                         T{SinAt(guard, turn * j * p.m2 * phi)} * rho);
      return Narrow(guard, v, relative(v, 11));
    }
    case 5: {
      const T index = turn * j * p.q1 * phi;
      const T v = one / (one + Abs(T{SinAt(guard, index, relative(index, 2))} /
                                   (T{SinAt(guard, turn * p.q2 * rho)} + T{1.01})));
      return Narrow(guard, v, relative(v, 5));
    }
    case 6: {
      const T inner = one - T{at.radiusFactor} * rho;
      const T index = turn * p.q1 * inner;
      const T across = turn * p.q2 * y * x;
      const T v = one / (one + Abs(T{SinAt(guard, index, relative(index, 3))} /
                                   (T{SinAt(guard, across, relative(across, 2))} + T{1.01})));
      return Narrow(guard, v, relative(v, 5));
    }
    default: {
      const T quarter{1024.0};
      const T field = two - y * y + x * y - x * x;
      const T q = two - T{at.k2} + T{at.rhoSquaredSign} * rho * rho + phi * rho - phi * phi;
      const T first = quarter * p.q1 * field;
      const T second = quarter * p.q2 * q;
      const T v =
          Abs(T{CosAt(guard, first,
                      [&] { return quarter * p.q1 * (9 * kUnit) + 2 * kUnit * Abs(first); })}) /
          (two + T{SinAt(guard, second,
                         [&] { return quarter * p.q2 * (15 * kUnit) + 2 * kUnit * Abs(second); })});
      return Narrow(guard, v, relative(v, 3));
    }
  }
}

}  // namespace zm::generator
