#pragma once

#include <cstdint>
#include <ctime>

namespace zm {

// Seconds since midnight in coordinated universal time (0..86399) for a
// calendar time: the seed the program starts its random source with.
uint32_t SecondsSinceMidnightUtc(std::time_t now);

// Calibrates the processor clock (once per process), seeds the random
// source, then builds the generator's trigonometric tables
// and the materials' colour curves, in the order every run mode needs.
void PrepareProgram(uint32_t seed);

}  // namespace zm
