#pragma once

#include <cstdint>

namespace zm {

// Parameters of one of the two shape functions that bend the polar
// coordinate. `w` (the blend weight) is used by set A only.
struct ShapeParams {
  float w = 0.0f;
  float f = 0.0f;
  float d = 0.0f;
  float m1 = 0.0f;
  float m2 = 0.0f;
  float g = 0.0f;
  float s1 = 0.0f;
  float s2 = 0.0f;
  float q1 = 0.0f;
  float q2 = 0.0f;
};

// The random switches and parameters of one pattern, drawn at every start of
// the generator. Real parameters are kept in single precision.
struct PatternSwitches {
  bool mirrorX = false;
  bool mirrorY = false;
  int32_t shapeModeA = 0;
  int32_t shapeModeB = 0;
  ShapeParams a;
  ShapeParams b;
  float c1 = 0.0f;
  float c2 = 0.0f;
  float c3 = 0.0f;
  float c4 = 0.0f;
  bool invertRadius = false;
  float spiral = 0.0f;
  int32_t combineMode = 0;
  int32_t radialMode = 0;
  bool swapPolar = false;
  bool ripple = false;
  float rippleFreq = 0.0f;
  float ripplePhase1 = 0.0f;
  float ripplePhase2 = 0.0f;
  float rippleMix = 0.0f;
  float warpFreq = 0.0f;
  float twistAmp = 0.0f;
  float twistPhase = 0.0f;
  float warpPhase = 0.0f;
  float warpOffset = 0.0f;
  int32_t warpMode = 0;
  bool twist = false;
  bool diagonal = false;
};

// Draws a whole set from the program's random source (31-bit draws), in the
// fixed order that makes one seed reproduce one pattern.
PatternSwitches DrawPatternSwitches();

}  // namespace zm
