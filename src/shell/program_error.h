#pragma once

#include <stdexcept>
#include <string>

namespace zm {

// An error that ends the program: the main entry's last-resort handler shows
// its message to the user.
class ProgramError : public std::runtime_error {
 public:
  explicit ProgramError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace zm
