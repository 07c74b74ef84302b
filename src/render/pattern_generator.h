#pragma once

#include <cstdint>

#include "render/height_map.h"
#include "render/pattern_descriptor.h"

namespace zm {

// 1 - 2 * r15 / 32767 with a 15-bit draw: a value in [-1, 1].
double UniformSigned();

// Draws harmonicStep, contrast, phaseOn, exponent and the four harmonics.
void RandomizeDescriptor(PatternDescriptor& descriptor);

// The program's one pattern generator (module state of its own); it serves
// one target map at a time.
void SetupGenerator(MapValue* target, int32_t width, int32_t height, double scale,
                    PatternDescriptor* descriptor, int32_t frameBudget);
void StartGenerator();
void GeneratorSlice(bool noWait);
void RunGeneratorToEnd();
bool GeneratorDone();

}  // namespace zm
