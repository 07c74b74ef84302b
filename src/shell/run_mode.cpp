#include "shell/run_mode.h"

#include <algorithm>

namespace zm {

uint8_t RunMode = rmSaver;
uint8_t PreviewFromSetup = 0;

std::string UpperCased(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  });
  return upper;
}

uint8_t ParseRunMode(std::string_view firstArgument) {
  const std::string upper = UpperCased(firstArgument);
  // "/A" and "-A" contain "A", so the letter alone decides each test.
  const auto contains = [&upper](char letter) { return upper.find(letter) != std::string::npos; };
  uint8_t mode = rmSaver;
  if (contains('A')) mode = rmChangePassword;
  if (contains('P')) mode = rmPreview;
  if (contains('C') || upper.empty()) mode = rmConfigure;
  return mode;
}

}  // namespace zm
