#pragma once

#include <stdexcept>
#include <string>

namespace zm {

// Raised when the settings file cannot be written. The message is the text the
// user sees: "Unable to write to " followed by the file's full path, and the
// reason after a colon when one is known.
class SettingsWriteError : public std::runtime_error {
 public:
  explicit SettingsWriteError(const std::string& path, const std::string& reason = "")
      : std::runtime_error("Unable to write to " + path + (reason.empty() ? "" : ": " + reason)),
        path_(path) {}

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace zm
