#pragma once

#include <array>
#include <string_view>

namespace zm {

constexpr int kMaterialCount = 9;

// Caption of each material, by material index.
constexpr std::array<std::string_view, kMaterialCount> kMaterialNames = {
    "Gold and white silk", "Silver", "Ice",           "Red glass",
    "Yellow and Green",    "Gold",   "White and Red", "Gold and red silk",
    "Gold and blue silk",
};

// Material indices in the order the setup dialog lists their captions.
constexpr std::array<int, kMaterialCount> kMaterialListOrder = {0, 7, 8, 5, 1, 2, 3, 4, 6};

// The material index whose caption is `caption`, or -1 when no material has
// that caption.
constexpr int MaterialIndexByCaption(std::string_view caption) {
  for (int index = 0; index < kMaterialCount; ++index) {
    if (kMaterialNames[index] == caption) return index;
  }
  return -1;
}

}  // namespace zm
