#pragma once

#include <stdexcept>
#include <string>

namespace zm {

// Raised when the settings file cannot be written. The message is the text the
// user sees: "Unable to write to " followed by the file's full path.
class SettingsWriteError : public std::runtime_error {
 public:
  explicit SettingsWriteError(const std::string& path)
      : std::runtime_error("Unable to write to " + path), path_(path) {}

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace zm
