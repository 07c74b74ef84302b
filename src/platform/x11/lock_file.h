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
  // kUnavailable also when the file is not a regular file of this user.
  Result Acquire(const std::string& key);
  void Release();
  // The file of the last Acquire, and why it could not be used.
  const std::string& Path() const { return path_; }
  const std::string& Problem() const { return problem_; }

 private:
  int fd_ = -1;
  std::string path_;
  std::string problem_;
};

}  // namespace zm::x11
