#include "platform/posix/file_watch_posix.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>

namespace zm {

namespace {

constexpr uint32_t kChanges = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

FileWatchPosix::FileWatchPosix(const std::string& path) {
  if (path.empty()) return;
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return;
  Watch(path);
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) != nullptr && path != resolved) Watch(resolved);
}

FileWatchPosix::~FileWatchPosix() {
  if (fd_ >= 0) close(fd_);
}

void FileWatchPosix::Watch(const std::string& path) {
  for (Watched& watched : watched_) {
    if (watched.descriptor >= 0) continue;
    watched.descriptor = inotify_add_watch(fd_, FolderOf(path).c_str(), kChanges);
    watched.name = NameOf(path);
    return;
  }
}

bool FileWatchPosix::TakeChange() {
  if (fd_ < 0) return false;
  bool changed = false;
  alignas(inotify_event) char buffer[4096];
  for (ssize_t got; (got = read(fd_, buffer, sizeof(buffer))) > 0;) {
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->len == 0) continue;
      for (const Watched& watched : watched_) {
        if (event->wd == watched.descriptor && watched.name == event->name) changed = true;
      }
    }
  }
  return changed;
}

}  // namespace zm
