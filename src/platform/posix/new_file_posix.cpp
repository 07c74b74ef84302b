#include "platform/posix/new_file_posix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace zm {

NewFilePosix::NewFilePosix(int descriptor, std::string path, std::string& last_error)
    : descriptor_(descriptor), path_(std::move(path)), last_error_(last_error) {}

NewFilePosix::~NewFilePosix() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

bool NewFilePosix::Fail() {
  last_error_ = std::strerror(errno);
  return false;
}

bool NewFilePosix::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return Fail();
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool NewFilePosix::SetPermissions(uint32_t permissions) {
  return ::fchmod(descriptor_, static_cast<mode_t>(permissions & 07777)) == 0 || Fail();
}

bool NewFilePosix::SyncAndClose() {
  const bool synced = ::fsync(descriptor_) == 0 || Fail();
  const int descriptor = std::exchange(descriptor_, -1);
  const bool closed = ::close(descriptor) == 0 || Fail();
  return synced && closed;
}

}  // namespace zm
