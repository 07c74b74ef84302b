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

// The columns of each row whose heights are computed: all of them, or for a
// pattern whose height is even in x only the left half and the middle. The
// columns then mirror each other exactly (column width - j lies at -x of
// column j), so the right half repeats the left one value for value.
int32_t ComputedColumns(const GeneratorState& g);

// Computes the raw heights of the computed pixels first .. last - 1 of the
// running row slice (ComputedColumns of each row, counted from column 0 of
// its first row, nextRow) into values from valueCount on, and their mirror
// images. Returns seed's extremes updated by those heights in pixel order, as
// the one-thread loop over every pixel would: a mirrored height repeats one
// earlier in its row and changes neither extreme. It only reads the state,
// so that several threads can compute runs of one slice at once.
HeightRange ComputePixelRun(const GeneratorState& g, int64_t first, int64_t last, HeightRange seed);

// Whether tests or benchmarks force the extended path (SetExtendedPixelChain):
// then the map's normalisation takes it too.
bool ExtendedPixelChainForced();

}  // namespace zm::generator
