#include "shell/run_mode.h"

#include "settings/ascii_names.h"

namespace zm {

uint8_t RunMode = rmSaver;
uint8_t PreviewFromSetup = 0;

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
