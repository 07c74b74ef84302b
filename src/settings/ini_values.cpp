#include "settings/ini_values.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace zm {
namespace {

// Parses all of `text` as a number of type T in `base`; nullopt when any
// character is left over or the value does not fit.
template <typename T>
std::optional<T> ParseWhole(std::string_view text, int base) {
  T value{};
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::optional<int32_t> ParseHex(std::string_view digits) {
  // from_chars would take a leading minus sign; hexadecimal values are unsigned.
  if (digits.empty() || !IsHexDigit(digits.front())) return std::nullopt;
  auto value = ParseWhole<uint32_t>(digits, 16);
  if (!value) return std::nullopt;
  return static_cast<int32_t>(*value);
}

// from_chars takes no leading plus sign; strip one that stands before a digit
// or a point.
std::string_view SkipPlusSign(std::string_view text) {
  if (text.size() >= 2 && text[0] == '+' && text[1] != '-' && text[1] != '+') {
    text.remove_prefix(1);
  }
  return text;
}

}  // namespace

std::optional<int32_t> ParseIniInteger(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return ParseHex(text.substr(2));
  }
  return ParseWhole<int32_t>(SkipPlusSign(text), 10);
}

std::string FormatIniInteger(int32_t value) {
  char buffer[16];
  auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, ptr);
}

std::optional<double> ParseIniFloat(std::string_view text) {
  text = SkipPlusSign(text);
  double value = 0.0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
  // Values beyond the double range (1e999) are unreadable too: from_chars
  // reports them as result_out_of_range.
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string FormatIniFloat(double value) {
  char buffer[32];
  auto [ptr, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text(buffer, ptr);
  // Rounding to 15 digits can push a value next to the largest double past
  // it (1.79769313486232e+308), which would then read as the default. Such a
  // value is written in its shortest exact form instead.
  if (std::isfinite(value) && !ParseIniFloat(text)) {
    ptr = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general).ptr;
    text.assign(buffer, ptr);
  }
  return text;
}

}  // namespace zm
