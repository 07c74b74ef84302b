#pragma once

#include <cmath>
#include <cstdint>

#include "render/generator_math.h"
#include "render/pattern_switches.h"
#include "render/table_lookup.h"

// The eight shape functions that bend the polar coordinate. They are inline
// because they run once or twice for every pixel of a map.
namespace zm::generator {

// The point a shape function is evaluated at, and the terms by which
// function B differs from function A.
struct ShapePoint {
  float rho;
  float phi;
  float x;
  float y;
  // Couplings to function A's value: 1 and 0 for A itself.
  float j;
  float k2;
  // Mode 6 uses (1 - radiusFactor * rho): 1 for A, A's value for B.
  float radiusFactor;
  // Sign of rho^2 in the second term of mode 7: -1 for A, +1 for B.
  float rhoSquaredSign;
};

// The value of shape function `mode` (0..7) with parameter set p: 0..1.
inline float ShapeValue(int32_t mode, const ShapeParams& p, const ShapePoint& at) {
  const Real rho = at.rho;
  const Real phi = at.phi;
  const Real x = at.x;
  const Real y = at.y;
  const Real j = at.j;
  switch (mode) {
    case 0:
      return static_cast<float>(1.0L / (2.0L + SinAt(2048.0L * p.s1 * rho) * (1.0L - rho) *
                                                   SinAt(2048.0L * j * p.s2 * phi)));
    case 1:
      return static_cast<float>(std::fabs(Real{CosAt(2048.0L * p.f * phi)}) /
                                (1.0L + j * p.d * rho));
    case 2:
      return static_cast<float>(
          1.0L / (2.0L + SinAt(2048.0L * p.s1 * rho) * rho * SinAt(2048.0L * p.s2 * phi * j)));
    case 3: {
      const Real bend = Log(j * std::fabs(x * y) + Real{0.02} + rho);
      return static_cast<float>(1.0L / (2.0L + SinAt(bend * 2048.0L * p.g) * (1.0L - rho)));
    }
    case 4:
      return static_cast<float>(1.0L / (CosAt(2048.0L * p.m1 * phi * rho) * (1.0L - rho) + 2.0L +
                                        SinAt(2048.0L * j * p.m2 * phi) * rho));
    case 5:
      return static_cast<float>(1.0L /
                                (1.0L + std::fabs(SinAt(2048.0L * j * p.q1 * phi) /
                                                  (SinAt(2048.0L * p.q2 * rho) + Real{1.01}))));
    case 6: {
      const Real inner = 1.0L - at.radiusFactor * rho;
      return static_cast<float>(1.0L /
                                (1.0L + std::fabs(SinAt(2048.0L * p.q1 * inner) /
                                                  (SinAt(2048.0L * p.q2 * y * x) + Real{1.01}))));
    }
    default: {
      const Real field = 2.0L - y * y + x * y - x * x;
      const Real q = 2.0L - at.k2 + at.rhoSquaredSign * rho * rho + phi * rho - phi * phi;
      return static_cast<float>(std::fabs(Real{CosAt(1024.0L * p.q1 * field)}) /
                                (2.0L + SinAt(1024.0L * p.q2 * q)));
    }
  }
}

}  // namespace zm::generator
