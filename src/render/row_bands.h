#pragma once

#include <cstdint>
#include <functional>

namespace zm {

// Draws rows 0 .. rows - 1 of a frame (or fills those of a map) in bands,
// shared out over the generator's worker threads (see SharedWorkers); a small
// frame is drawn on the calling thread alone. `draw` gets a band's first row
// and the row after its last, and must only write those rows: every pixel
// depends on nothing but its own row, so any thread count gives the same
// frame.
using DrawRows = std::function<void(int32_t first, int32_t end)>;
void DrawInBands(int32_t rows, int32_t columns, const DrawRows& draw);

}  // namespace zm
