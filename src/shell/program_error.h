#pragma once

#include <stdexcept>
#include <string>

namespace zm {

// An error that ends the program: the main entry's last-resort handler shows
// its message to the user; a platform that ends with an exit status (the
// Linux programs) ends with this one (2 for a missing display or server, 1
// for other failures).
class ProgramError : public std::runtime_error {
 public:
  explicit ProgramError(const std::string& message, int exitStatus = 1)
      : std::runtime_error(message), exitStatus_(exitStatus) {}
  int ExitStatus() const { return exitStatus_; }

 private:
  int exitStatus_;
};

}  // namespace zm
