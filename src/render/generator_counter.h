#pragma once

#include <cstdint>

namespace zm {

// The pattern generator paces its slices on the processor's time-stamp
// counter (RDTSC). Tests replace the counter with a fake one to drive the
// pacing deterministically; nullptr restores RDTSC.
using GeneratorCounterFn = uint64_t (*)();
void SetGeneratorCounter(GeneratorCounterFn counter);

}  // namespace zm
