#pragma once

namespace zm {

// Gives the nine materials of MaterialSet their colour curves: points at the
// palette positions 0..99 in every channel, next to the white end point
// (100, 255) that every curve keeps. Run once at start-up, before the first
// palette is built; running it again rebuilds the same points.
void BuildMaterialCurves();

}  // namespace zm
