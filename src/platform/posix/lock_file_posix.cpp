#include "platform/posix/lock_file_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zm {

namespace {

std::string LockPath(const std::string& key) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string name;
  for (char c : key) name += (c == '/' || c == ' ') ? '_' : c;
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/zelk-mirv-" + name;
  return "/tmp/zelk-mirv-" + std::to_string(getuid()) + "-" + name;
}

}  // namespace

LockFile::Result LockFile::Acquire(const std::string& key) {
  Release();
  path_ = LockPath(key);
  fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd_ < 0) {
    problem_ = std::strerror(errno);
    return Result::kUnavailable;
  }
  // Someone else's file (planted in a shared folder) would let its owner
  // stop every run by holding it.
  struct stat status {};
  if (fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != geteuid()) {
    problem_ = "it is not a file of this user";
    Release();
    return Result::kUnavailable;
  }
  if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return Result::kCreated;
  const bool held = errno == EWOULDBLOCK;
  problem_ = std::strerror(errno);
  Release();
  return held ? Result::kAlreadyRunning : Result::kUnavailable;
}

std::string LockFile::PathFor(const std::string& key) { return LockPath(key); }

bool LockFile::Record(const std::string& text) {
  if (fd_ < 0 || ftruncate(fd_, 0) != 0) return false;
  return pwrite(fd_, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
}

bool LockFile::HeldElsewhere(const std::string& key, std::string& text) {
  const int fd = open(LockPath(key).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat status {};
  bool held = false;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == geteuid()) {
    if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
      flock(fd, LOCK_UN);
    } else if (errno == EWOULDBLOCK) {
      held = true;
      char buffer[64] = {};
      const ssize_t got = pread(fd, buffer, sizeof buffer - 1, 0);
      text.assign(buffer, got > 0 ? static_cast<size_t>(got) : 0);
    }
  }
  close(fd);
  return held;
}

void LockFile::Release() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

}  // namespace zm
