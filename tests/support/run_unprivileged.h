#pragma once

#include <functional>
#include <string>

namespace zm::testing {

// Runs `body` in a child process under an unprivileged user (nobody, when the
// tests run as root, since root ignores file modes; otherwise the present
// user) and answers what `body` answered: empty when all was well, else what
// went wrong. The child starts in a fresh directory under /tmp that it owns
// and that is removed afterwards; `body` gets its path with a trailing "/".
std::string RunUnprivileged(const std::function<std::string(const std::string& directory)>& body);

// Collects failed checks as text, for code that runs where gtest's own
// assertions cannot report (a child process).
class CheckList {
 public:
  void Check(bool condition, const std::string& what) {
    if (!condition) failures_ += what + "\n";
  }
  const std::string& Failures() const { return failures_; }

 private:
  std::string failures_;
};

}  // namespace zm::testing
