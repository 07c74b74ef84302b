#include "platform/posix/standard_error_posix.h"

#include <cstdint>
#include <cstdio>

namespace zm {

namespace {

void Escape(std::string& out, uint8_t byte) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xF];
}

// The length of the well-formed UTF-8 sequence at the start of `text`
// that is no control character, or 0.
size_t PrintableSequence(std::string_view text) {
  const auto lead = static_cast<uint8_t>(text[0]);
  if (lead >= 0x20 && lead < 0x7F) return 1;
  size_t length = 0;
  uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<uint8_t>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  const uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < shortest[length] || code > 0x10FFFF) return 0;
  if (code >= 0xD800 && code <= 0xDFFF) return 0;  // surrogates
  if (code >= 0x80 && code <= 0x9F) return 0;      // C1 controls
  return length;
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const size_t length = PrintableSequence(text);
    if (length == 0) {
      Escape(out, static_cast<uint8_t>(text[0]));
      text.remove_prefix(1);
    } else {
      out.append(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  return out;
}

void SayOnStandardError(std::string_view message) {
  std::string out;
  for (size_t start = 0; start <= message.size();) {
    size_t end = message.find('\n', start);
    if (end == std::string_view::npos) end = message.size();
    out += "zelk-mirv: " + PrintableText(message.substr(start, end - start)) + "\n";
    start = end + 1;
  }
  std::fputs(out.c_str(), stderr);
}

}  // namespace zm
