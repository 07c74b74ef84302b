#include "render/pattern_switches.h"

#include "base/random_source.h"

namespace zm {

namespace {

using Real = long double;

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kPercent = 0.01;

// A fresh 31-bit draw reduced modulo n.
int32_t Draw(int32_t n) { return static_cast<int32_t>(Random31() % static_cast<uint32_t>(n)); }

// (r mod 100) * span * 0.01 + offset, evaluated in extended precision and
// kept in single precision.
float Percent(double span, double offset = 0.0) {
  const Real percent = static_cast<Real>(Draw(100)) * static_cast<Real>(span) * Real{kPercent};
  return static_cast<float>(percent + static_cast<Real>(offset));
}

void DrawShapeParams(ShapeParams& p) {
  p.f = Percent(5.0, 1.0);
  p.d = Percent(10.0);
  p.m1 = static_cast<float>(Draw(20) + 1);
  p.m2 = static_cast<float>(Draw(20) + 1);
  p.g = Percent(3.9, 0.1);
  p.s1 = static_cast<float>(Draw(10) + 3);
  p.s2 = static_cast<float>(Draw(10) + 3);
  p.q1 = Percent(4.0, 2.0);
  p.q2 = Percent(4.0, 2.0);
}

void DrawRadialSwitches(PatternSwitches& s) {
  s.c4 = Percent(0.3, 0.2);
  s.c3 = Percent(0.5);
  s.c1 = static_cast<float>(static_cast<Real>(Draw(100)) * Real{kPercent});
  s.c2 = static_cast<float>(static_cast<Real>(Draw(100)) * Real{kPercent});
  s.invertRadius = Draw(2) != 0;
  // An inverted radius never spirals, and then no number is drawn for the
  // spiral: every later draw of the pattern moves up by one.
  s.spiral = s.invertRadius ? 0.0f : static_cast<float>(static_cast<Real>(Draw(5)) * Real{0.5});
  s.combineMode = Draw(6);
  s.radialMode = Draw(2) != 0 ? 0 : Draw(8);
  // A spiral of one period or more leaves no room for the polar swap or the
  // ripple.
  s.swapPolar = Draw(3) == 0;
  if (s.spiral > 0.8f) s.swapPolar = false;
  s.ripple = Draw(3) == 0;
  if (s.spiral > 0.8f) s.ripple = false;
}

void DrawRippleAndWarp(PatternSwitches& s) {
  const Real turns = static_cast<Real>(Draw(100)) * Real{0.8} * Real{kPercent} + Real{0.2};
  s.rippleFreq = static_cast<float>(turns * Real{kTwoPi});
  s.ripplePhase1 = Percent(kPi);
  s.ripplePhase2 = Percent(kPi);
  s.rippleMix = Percent(0.5);
  s.warpFreq = Percent(0.8, 0.6);
  s.twistAmp = Percent(0.5, 0.02);
  s.twistPhase = Percent(kTwoPi);
  s.warpPhase = Percent(kTwoPi);
  s.warpOffset = Percent(2.0, -1.0);
  s.warpMode = Draw(7) == 0 ? Draw(2) + 1 : 0;
  s.twist = Draw(7) == 0;
  s.diagonal = Draw(4) == 0;
  // Warped or twisted patterns always mix x with y.
  if (s.warpMode != 0 || s.twist) s.diagonal = true;
}

}  // namespace

PatternSwitches DrawPatternSwitches() {
  PatternSwitches s;
  s.mirrorX = Draw(2) != 0;
  s.mirrorY = Draw(2) != 0;
  s.shapeModeA = Draw(8);
  s.shapeModeB = Draw(8);
  s.a.w = static_cast<float>(static_cast<Real>(Draw(100)) * Real{kPercent});
  DrawShapeParams(s.a);
  DrawShapeParams(s.b);
  DrawRadialSwitches(s);
  DrawRippleAndWarp(s);
  return s;
}

}  // namespace zm
