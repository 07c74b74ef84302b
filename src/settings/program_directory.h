#pragma once

#include <string>

namespace zm {

// The directory of the executable whose full path is `executablePath`:
// everything up to and including the last '\' or '/', with its case kept, so
// that a file name can be appended directly. A path without a separator gives
// "" (the current directory).
std::string ProgramDirectory(const std::string& executablePath);

}  // namespace zm
