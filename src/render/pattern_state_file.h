#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "render/height_map.h"

namespace zm {

// The pattern state file "Zelk_Mirv.par": little-endian, no version word.
//   0  width  (32-bit signed)
//   4  height (32-bit signed)
//   8  previous map, width x height 16-bit signed values, row-major
//   .. current map, the same
constexpr int32_t kStateSideMax = 16384;
// No display has more pixels (8192 x 4608, beyond 8K UHD): a file that
// claims more is not read, which would take seconds and gigabytes.
constexpr int64_t kStatePixelsMax = int64_t{8192} * 4608;
constexpr int64_t kStateHeaderBytes = 8;

struct PatternState {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<MapValue> previous;
  std::vector<MapValue> current;
};

// The size of a state file of width x height maps: 8 + 4 x width x height.
int64_t PatternStateFileSize(int32_t width, int32_t height);

// The file's bytes; both maps hold width x height values.
std::string EncodePatternState(int32_t width, int32_t height, std::span<const MapValue> previous,
                               std::span<const MapValue> current);

// The largest state file: maps of kStatePixelsMax pixels.
constexpr int64_t kStateFileMaxBytes = kStateHeaderBytes + 4 * kStatePixelsMax;

// Decodes a whole state file. Nothing comes back unless the width and height
// lie in 1..16384 with at most kStatePixelsMax pixels, the file is exactly as
// long as they say and every value lies in 0..1000.
std::optional<PatternState> ReadPatternState(std::string_view file);

// Whether the bytes begin as a state file does (a size as above), so that
// they are a state file of ours, however damaged; an empty file holds
// nothing to keep and counts as ours.
bool IsOwnStateFile(std::string_view file);

}  // namespace zm
