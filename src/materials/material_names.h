#pragma once

#include <array>
#include <string_view>

namespace zm {

constexpr int MaterialCount = 9;

// Caption of each material, by material index.
constexpr std::array<std::string_view, MaterialCount> MaterialNames = {
    "Gold and white silk", "Silver", "Ice",           "Red glass",
    "Yellow and Green",    "Gold",   "White and Red", "Gold and red silk",
    "Gold and blue silk",
};

// Material indices in the order the setup dialog lists their captions.
constexpr std::array<int, MaterialCount> MaterialListOrder = {0, 7, 8, 5, 1, 2, 3, 4, 6};

// The material index whose caption is `caption`, or -1 when no material has
// that caption.
constexpr int MaterialIndexByCaption(std::string_view caption) {
  for (int index = 0; index < MaterialCount; ++index) {
    if (MaterialNames[index] == caption) return index;
  }
  return -1;
}

}  // namespace zm
