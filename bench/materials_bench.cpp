#include <benchmark/benchmark.h>

#include "materials/material_choice.h"
#include "materials/material_curves.h"
#include "materials/palette.h"

namespace zm {
namespace {

// One palette: 3 x 2016 lookups in curves of 101 points, done between two
// frames whenever the renderer loads a palette.
void BM_ColorsetConstruction(benchmark::State& state) {
  static const bool built = (BuildMaterialCurves(), true);
  (void)built;
  SelectMaterial(5);
  for (auto _ : state) {
    Palette palette;
    benchmark::DoNotOptimize(palette);
  }
}
BENCHMARK(BM_ColorsetConstruction);

}  // namespace
}  // namespace zm
