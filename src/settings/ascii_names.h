#pragma once

#include <string>
#include <string_view>

namespace zm {

// Compares two names byte by byte, folding only the ASCII letters A-Z onto
// a-z; other bytes must be equal. INI section and key names match this way,
// independent of the user's locale.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// ASCII upper case; other bytes stay as they are (whatever the user's locale).
std::string UpperCased(std::string_view text);

}  // namespace zm
