#pragma once

#include <array>
#include <cstdint>

namespace zm {

constexpr int kPaletteSize = 2016;

// One colour: 0x00RRGGBB (bytes blue, green, red, 0 in memory).
using Colour = uint32_t;

// A palette of 2016 colours, built on construction from the current material
// choice (a random material per palette when "All colors" is on).
class Palette {
 public:
  Palette();
  Colour operator[](int e) const { return entries_[e]; }
  const std::array<Colour, kPaletteSize>& Entries() const { return entries_; }

 private:
  std::array<Colour, kPaletteSize> entries_;
};

}  // namespace zm
