#include "settings/program_directory.h"

namespace zm {

// The directory is cut at the last separator rather than at the executable's
// expected name, so that a renamed executable, or one in a directory whose
// name happens to contain the program's name, still finds its files right
// beside it. The case is kept because on a case-sensitive file system a
// lower-cased directory would be a different (usually missing) directory.
std::string ProgramDirectory(const std::string& executablePath) {
  std::size_t separator = executablePath.find_last_of("\\/");
  if (separator == std::string::npos) return {};
  return executablePath.substr(0, separator + 1);
}

}  // namespace zm
