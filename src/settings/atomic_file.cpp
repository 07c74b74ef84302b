#include "settings/atomic_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace zm {
namespace {

// Bytes the new file may receive, as on a disk with that much room left: a
// write that needs more stops there and fails. Negative when not limited.
long long write_failure_after = -1;

// Writes all of `bytes` into `file`, or as many as the test limit lets
// through; false when not everything was written.
bool WriteAll(std::FILE* file, std::string_view bytes) {
  std::size_t allowed = bytes.size();
  if (write_failure_after >= 0) {
    allowed = static_cast<std::size_t>(std::min<unsigned long long>(
        allowed, static_cast<unsigned long long>(write_failure_after)));
  }
  if (allowed > 0 && std::fwrite(bytes.data(), 1, allowed, file) != allowed) return false;
  return allowed == bytes.size();
}

// Writes `bytes` into the open `file` and closes it; false on any failure.
bool WriteAndClose(std::FILE* file, std::string_view bytes) {
  bool written = WriteAll(file, bytes) && std::fflush(file) == 0 && !std::ferror(file);
  bool closed = std::fclose(file) == 0;
  return written && closed;
}

}  // namespace

std::string AtomicWriteTemporaryPath(const std::string& path) { return path + ".new"; }

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string temporary = AtomicWriteTemporaryPath(path);
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  std::error_code error;
  if (WriteAndClose(file, bytes)) {
    // rename replaces an existing file in one step on POSIX and on Windows.
    std::filesystem::rename(temporary, path, error);
    if (!error) return true;
  }
  std::filesystem::remove(temporary, error);
  return false;
}

void SetWriteFailureAfterForTesting(long long bytes) { write_failure_after = bytes; }

}  // namespace zm
