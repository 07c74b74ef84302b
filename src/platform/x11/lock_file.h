#pragma once

#include <string>

namespace zm::x11 {

// The lock that marks a running instance: an exclusive advisory lock on a
// file in the user's runtime folder, one per X display and drawing target
// (the daemon may run a saver per monitor). The system drops it when the
// process ends, however it ends.
class LockFile {
 public:
  enum class Result { kCreated, kAlreadyRunning, kUnavailable };
  ~LockFile() { Release(); }
  Result Acquire(const std::string& key);
  void Release();

 private:
  int fd_ = -1;
};

}  // namespace zm::x11
