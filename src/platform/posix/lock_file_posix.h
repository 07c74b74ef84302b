#pragma once

#include <string>

namespace zm {

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
  // Replaces the held file's contents with `text` (the holder's process id).
  bool Record(const std::string& text);
  // The file for `key`.
  static std::string PathFor(const std::string& key);
  // Whether another process holds the lock for `key`; its file's contents in
  // `text` when it does.
  static bool HeldElsewhere(const std::string& key, std::string& text);
  // The file of the last Acquire, and why it could not be used.
  const std::string& Path() const { return path_; }
  const std::string& Problem() const { return problem_; }

 private:
  int fd_ = -1;
  std::string path_;
  std::string problem_;
};

}  // namespace zm
