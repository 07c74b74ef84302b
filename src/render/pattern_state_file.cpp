#include "render/pattern_state_file.h"

namespace zm {

namespace {

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetLittleEndian(const char* in, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= uint32_t{static_cast<uint8_t>(in[i])} << (8 * i);
  return value;
}

bool ValidSide(int32_t side) { return side > 0 && side <= kStateSideMax; }

bool ValidSize(int32_t width, int32_t height) {
  return ValidSide(width) && ValidSide(height) && int64_t{width} * height <= kStatePixelsMax;
}

// Decodes one map of `count` values; false on a value outside 0..1000.
bool DecodeMap(const char* in, size_t count, std::vector<MapValue>& map) {
  map.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const auto value = static_cast<int16_t>(GetLittleEndian(in + 2 * i, 2));
    if (value < 0 || value > kMapMax) return false;
    map[i] = value;
  }
  return true;
}

}  // namespace

int64_t PatternStateFileSize(int32_t width, int32_t height) {
  return kStateHeaderBytes + 4 * int64_t{width} * int64_t{height};
}

std::string EncodePatternState(int32_t width, int32_t height, std::span<const MapValue> previous,
                               std::span<const MapValue> current) {
  std::string out;
  out.reserve(kStateHeaderBytes + 2 * (previous.size() + current.size()));
  PutLittleEndian(out, static_cast<uint32_t>(width), 4);
  PutLittleEndian(out, static_cast<uint32_t>(height), 4);
  for (MapValue value : previous) PutLittleEndian(out, static_cast<uint16_t>(value), 2);
  for (MapValue value : current) PutLittleEndian(out, static_cast<uint16_t>(value), 2);
  return out;
}

std::optional<PatternState> ReadPatternState(std::string_view file) {
  if (static_cast<int64_t>(file.size()) < kStateHeaderBytes) return std::nullopt;
  PatternState state;
  state.width = static_cast<int32_t>(GetLittleEndian(file.data(), 4));
  state.height = static_cast<int32_t>(GetLittleEndian(file.data() + 4, 4));
  if (!ValidSize(state.width, state.height)) return std::nullopt;
  if (static_cast<int64_t>(file.size()) != PatternStateFileSize(state.width, state.height))
    return std::nullopt;

  const size_t count = static_cast<size_t>(state.width) * static_cast<size_t>(state.height);
  const char* body = file.data() + kStateHeaderBytes;
  if (!DecodeMap(body, count, state.previous)) return std::nullopt;
  if (!DecodeMap(body + 2 * count, count, state.current)) return std::nullopt;
  return state;
}

bool IsOwnStateFile(std::string_view file) {
  if (file.empty()) return true;
  if (static_cast<int64_t>(file.size()) < kStateHeaderBytes) return false;
  return ValidSize(static_cast<int32_t>(GetLittleEndian(file.data(), 4)),
                   static_cast<int32_t>(GetLittleEndian(file.data() + 4, 4)));
}

}  // namespace zm
