#pragma once

#include <string>
#include <string_view>

namespace zm::win32 {

// The core keeps paths and texts in UTF-8; the system's wide functions take
// UTF-16.
std::string ToUtf8(std::wstring_view text);
std::wstring ToWide(std::string_view text);

}  // namespace zm::win32
