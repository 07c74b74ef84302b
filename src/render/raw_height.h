#pragma once

#include <cstdint>

#include "render/generator_state.h"

// The pixels of stage 3 (the rows): the raw height of each from its row, its
// column and the pattern.
namespace zm::generator {

// The extremes of a run of raw heights.
struct HeightRange {
  float high;
  float low;
};

// Fills the x coordinate of every column (before the diagonal mix and the
// warp); a map's first row slice calls it.
void FillColumnX(GeneratorState& g);

// Computes the raw heights of the pixels first .. last - 1 of the running row
// slice, counted from column 0 of its first row (nextRow), into values from
// valueCount on. Returns seed's extremes updated by those heights in pixel
// order, as the one-thread loop would. It only reads the state, so that
// several threads can compute runs of one slice at once.
HeightRange ComputePixelRun(const GeneratorState& g, int64_t first, int64_t last, HeightRange seed);

}  // namespace zm::generator
