#pragma once

#include <cstdint>
#include <string_view>

namespace zm {

// A window handle given on the command line as a decimal integer (optionally
// signed, with blanks around it). Throws ProgramError with the message
// "'<text>' is not a valid integer value" for anything else, including a
// number that does not fit 64 bits.
int64_t ParseWindowHandle(std::string_view text);

}  // namespace zm
