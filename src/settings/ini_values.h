#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zm {

// Text encoding of settings values. Everything here is independent of the
// user's locale: the decimal separator is always a point, so a file written
// under one locale reads the same under any other.
//
// The text handed to the parsers is the value as it stands in the file after
// the line's blanks (space, tab, CR, VT, FF) around it have been removed; the
// parsers themselves accept no blanks.

// Integers: decimal with an optional sign, or, when the text is longer than
// two characters and starts with "0x"/"0X", hexadecimal digits (no sign) that
// fit in 32 bits; hexadecimal values above 0x7FFFFFFF wrap to negative, so
// 0xFFFFFFFF reads as -1. Anything else, including a decimal value outside the
// signed 32-bit range, is not an integer (nullopt), and the caller falls back
// to its default.
std::optional<int32_t> ParseIniInteger(std::string_view text);
std::string FormatIniInteger(int32_t value);

// Floats: the shortest general form with up to 15 significant digits (1.7,
// 0.1, 2, 1e+20). Reading accepts an optional sign, decimal or exponent form;
// empty text, trailing characters, infinities and NaNs are unreadable.
std::optional<double> ParseIniFloat(std::string_view text);
std::string FormatIniFloat(double value);

}  // namespace zm
