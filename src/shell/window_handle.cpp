#include "shell/window_handle.h"

#include <charconv>
#include <string>

#include "shell/program_error.h"

namespace zm {

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

int64_t ParseWindowHandle(std::string_view text) {
  std::string_view digits = Trimmed(text);
  if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') digits.remove_prefix(1);
  int64_t value = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value);
  if (digits.empty() || error != std::errc() || stop != end) {
    throw ProgramError("'" + std::string(text) + "' is not a valid integer value");
  }
  return value;
}

}  // namespace zm
