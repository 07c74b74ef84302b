#include "materials/material_curves.h"

#include <cmath>

#include "materials/fun_tab.h"
#include "materials/material_set.h"

// Precision: the per-position factors (i, t, d, k, r, h, p, q, z, c1, c2,
// u, v, g, s1, s2 and the channel scale factors such as 377p) are stored as
// float, w as double, and everything else is evaluated in long double
// (80-bit extended on x86) from double constants; a channel value is
// rounded to the nearest double only when it becomes a curve point. Decimal
// constants are double literals on purpose: 0.9 means the double nearest to
// 0.9, widened, never the long double nearest to it. The float d is what
// keeps the green of material 0 at position 10 at 163.9999988, below 164;
// the double conversion is what makes 240 * 0.3 exactly 72.
//
// The library functions are the long double ones (sinl, cosl, powl, sqrtl,
// fabsl), so nothing is rounded to double on the way and every float factor
// is rounded once, from the extended result. (The double functions move a
// few dozen curve points by a few ulp and leave every palette unchanged.)

namespace zm {

namespace {

using Ext = long double;

struct Rgb {
  Ext red;
  Ext green;
  Ext blue;
};

// The two shaping curves, alive only while the material curves are built.
struct ShapingCurves {
  FunTab sheen;  // A: a rippled falling profile for the silk materials
  FunTab tone;   // B: rising to a peak at 0.2, falling to 0 at 1

  Ext A(float x) const { return sheen.ValueAt(x); }
  Ext B(float x) const { return tone.ValueAt(x); }
};

ShapingCurves MakeShapingCurves() {
  ShapingCurves curves;
  const double sheen[][2] = {{0, 0.1},    {0.05, 0.5}, {0.1, 1.0}, {0.15, 0.6}, {0.2, 0.1},
                             {0.25, 0.5}, {0.3, 1.0},  {0.4, 0.6}, {0.45, 0.1}, {0.5, 0.5},
                             {0.53, 1.0}, {0.56, 0.4}, {1.0, 0.0}};
  const double tone[][2] = {{0, 0.3},   {0.05, 0.5}, {0.15, 0.8}, {0.2, 1.0},
                            {0.3, 0.7}, {0.5, 0.6},  {0.7, 0.4},  {1.0, 0.0}};
  for (const auto& point : sheen) curves.sheen.AddPoint(point[0], point[1]);
  for (const auto& point : tone) curves.tone.AddPoint(point[0], point[1]);
  return curves;
}

float Single(Ext value) { return static_cast<float>(value); }

// Silk parameter of the silk materials, positions 17..99.
float Silk(float i) { return Single((Ext{i} - 17) / 83); }

// The band materials (2, 3, 4) split the palette in thirds: r is the
// distance from the start of the current third, h = 2r/100.
struct Band {
  float r;
  float h;
};

Band BandAt(float i) {
  const int n = static_cast<int>(3 * Ext{i} / 100);
  const float r = Single(Ext{i} - Ext(n) * 100 / 3);
  return {r, Single(2 * Ext{r} / 100)};
}

// The gold opening of the silk materials: B walked from 0 to i/span.
Rgb GoldOpening(float i, int span, const ShapingCurves& c) {
  const float d = Single(Ext{i} / span);
  const Ext b = c.B(d);
  return {(0.9 * b + 0.1) * 255, 240 * b, 150 * b};
}

Rgb GoldAndWhiteSilk(float i, const ShapingCurves& c) {
  if (i < 17.0f) return GoldOpening(i, 30, c);
  const float t = Silk(i);
  const float k =
      i < 27.0f ? Single((0.85 + 0.015 * (Ext{i} - 17)) * (1 - Ext{t})) : Single(1 - Ext{t});
  const Ext a = c.A(t);
  return {(0.5 * a + 0.5) * 255 * k, (0.45 * a + 0.55) * 255 * k, (0.4 * a + 0.6) * 255 * k};
}

Rgb Silver(float i, const ShapingCurves&) {
  const float u = Single(Ext{i} / 100);
  const float v = Single((100 - Ext{i}) / 100);
  const float g = Single(powl(cosl(16 * Ext{i} / 100 + 0.2), 40));
  const Ext s = powl(sinl(16 * Ext{u} + 0.2), 2);
  const double w = static_cast<double>(255 * powl(v, 2));
  return {(s + g) * w, (s + 0.8 * g) * w, (s + 0.5 * g) * w};
}

Rgb Ice(float i, const ShapingCurves& c) {
  const auto [r, h] = BandAt(i);
  const float k = Single(1 - Ext{h});
  const float s1 = Single(sinl(2.5 * sqrtl(Ext{r} / 100)));
  const float s2 = Single(sinl(2.5 * sqrtl(Ext{k} * r / 100)));
  const Ext b2 = c.B(s2);
  return {255 * Ext{k} * c.B(s1), 255 * Ext{k} * b2, 255 * Ext{k} * (0.4 * b2 + 0.6)};
}

Rgb RedGlass(float i, const ShapingCurves& c) {
  if (i >= 38.0f) return {0, 0, 0};
  const float h = BandAt(i).h;
  const float p = Single(1 - Ext{h});
  const float c1 = Single(fabsl(cosl(10 * Ext{h})));
  const float c2 = Single(powl(c1, 5));
  const float red_scale = Single(280 * Ext{p});
  const float blue_scale = Single(120 * Ext{p});
  const Ext blue = blue_scale * (p * c.B(c2) + 1 - p);
  return {red_scale * (p * c.B(c1) + 1 - p), blue, blue};
}

Rgb YellowAndGreen(float i, const ShapingCurves& c) {
  if (i >= 38.0f) return {0, 0, 0};
  const float h = BandAt(i).h;
  const float p = Single(1 - Ext{h});
  const float z = Single(fabsl(cosl(10 * Ext{h} + 0.25)));
  const Ext f = p * c.B(z) + 1 - p;
  if (i < 16.0f) {
    return {Single(377 * Ext{p}) * f, Single(300 * Ext{p}) * f, Single(160 * Ext{p}) * f};
  }
  if (i < 36.0f) {
    return {Single(70 * Ext{p}) * f, Single(200 * Ext{p}) * f, Single(70 * Ext{p}) * f};
  }
  return {270 * f, 300 * f, 300 * f};
}

Rgb Gold(float i, const ShapingCurves& c) {
  const float h = Single(Ext{i} / 100);
  const float p = Single(powl(1 - Ext{h}, 2));
  const float q = Single(p * fabsl(sinl(4 * Ext{h})) + 1 - p);
  const Ext f = p * c.B(q) + 1 - p;
  const Ext blue = Single(2950.0 / 17 * Ext{p}) * f;
  if (i >= 20.0f) return {0, 0, blue};
  return {Single(289 * (0.6 * Ext{p} + 0.4)) * f, Single(4720.0 / 17 * Ext{p}) * f, blue};
}

Rgb WhiteAndRed(float i, const ShapingCurves& c) {
  const float h = Single(Ext{i} / 100);
  if (i < 10.0f) {
    const float p = Single(1 - Ext{h});
    const float q = Single(p * fabsl(sinl(4 * Ext{h})) + 1 - p);
    const Ext white = Single(273 * Ext{p}) * (p * c.B(q) + 1 - p);
    return {white, white, white};
  }
  if (i < 20.0f) {
    const float p = Single(0.8 + Ext{h});
    const float q = Single(p * fabsl(sinl(4 * (0.2 - Ext{h}))) + 1 - p);
    const Ext f = p * c.B(q) + 1 - p;
    return {Single(273 * Ext{p}) * f, Single(260 * Ext{p}) * f, Single(200 * Ext{p}) * f};
  }
  const float p = Single(1.2 - Ext{h});
  const float q = Single(p * fabsl(sinl(4 * (Ext{h} - 0.2))) + 1 - p);
  const Ext f = p * c.B(q) + 1 - p;
  return {Single(5900.0 / 51 * Ext{p}) * f, 0, 0};
}

Rgb GoldAndRedSilk(float i, const ShapingCurves& c) {
  if (i < 17.0f) return GoldOpening(i, 17, c);
  const float v = Single((100 - Ext{i}) / 100);
  return {150 * (1 - 0.5 * Ext{v}) * c.A(Silk(i)), 0, 0};
}

Rgb GoldAndBlueSilk(float i, const ShapingCurves& c) {
  if (i < 17.0f) return GoldOpening(i, 17, c);
  const Ext a = c.A(Silk(i));
  return {0, 80 * a, 100 * a};
}

using MaterialRule = Rgb (*)(float i, const ShapingCurves& c);

// By material index.
constexpr MaterialRule kRules[kMaterialCount] = {
    GoldAndWhiteSilk, Silver,          Ice, RedGlass, YellowAndGreen, Gold, WhiteAndRed,
    GoldAndRedSilk,   GoldAndBlueSilk,
};

}  // namespace

void BuildMaterialCurves() {
  const ShapingCurves curves = MakeShapingCurves();
  for (int m = 0; m < kMaterialCount; ++m) {
    Material& material = MaterialSet[m];
    for (float i = 0.0f; i < 100.0f; i += 1.0f) {
      const Rgb rgb = kRules[m](i, curves);
      material.Blue.AddPoint(i, static_cast<double>(rgb.blue));
      material.Green.AddPoint(i, static_cast<double>(rgb.green));
      material.Red.AddPoint(i, static_cast<double>(rgb.red));
    }
  }
}

}  // namespace zm
