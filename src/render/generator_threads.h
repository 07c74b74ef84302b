#pragma once

#include <cstdint>

namespace zm {

class WorkerPool;

// The pattern generator shares the pixels of each large row slice out over a
// pool of worker threads: one thread per core, the calling one included, and
// none besides it on a single core. The pool starts with the first slice that
// needs it and ends with the program. Every thread count gives the same
// maps, value for value.
//
// Tests and benchmarks force the count (1 works alone); 0 restores one
// thread per core.
void SetGeneratorThreads(int32_t threads);

// The threads a large row slice uses: the running pool's, or the count the
// pool would start with.
int32_t GeneratorThreads();

// The generator's pool, which the engine's frame composition shares (both
// run on the calling thread, one after the other), started if need be; null
// when one thread is all there is.
WorkerPool* SharedWorkers();

}  // namespace zm
