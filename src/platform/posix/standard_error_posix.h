#pragma once

#include <string>
#include <string_view>

namespace zm {

// `text` as a terminal shows it safely: control characters, invalid UTF-8
// and C1 controls become "\xNN" escapes (a name from the compositor or the
// command line cannot move the cursor or end a line); printable UTF-8 stays.
std::string PrintableText(std::string_view text);

// Writes `message` to standard error, every line after "zelk-mirv: " and
// made printable.
void SayOnStandardError(std::string_view message);

}  // namespace zm
