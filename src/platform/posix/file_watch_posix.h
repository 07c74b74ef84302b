#pragma once

#include <string>

namespace zm {

// Tells when the file at a path is replaced, written or removed, through an
// inotify descriptor that a poll loop waits on beside its others. The folder
// is watched, not the file, since a save renames a new file over the old
// one; where the path is a link, the folder of the file it names is watched
// too. Without inotify (or a folder to watch) Fd() is -1 and nothing is told.
class FileWatchPosix {
 public:
  explicit FileWatchPosix(const std::string& path);
  ~FileWatchPosix();
  FileWatchPosix(const FileWatchPosix&) = delete;
  FileWatchPosix& operator=(const FileWatchPosix&) = delete;

  int Fd() const { return fd_; }
  // Reads what the descriptor has; true when the file changed since the
  // last call. Never blocks.
  bool TakeChange();

 private:
  void Watch(const std::string& path);

  int fd_ = -1;
  struct Watched {
    int descriptor;
    std::string name;
  };
  Watched watched_[2] = {{-1, ""}, {-1, ""}};
};

}  // namespace zm
