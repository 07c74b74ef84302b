#pragma once

#include <string>

#include "base/file_system.h"

namespace zm {

// A file descriptor opened by PosixFileSystem::CreateUniqueFile. Failures
// leave the system's reason in `last_error`, the file system's last error.
class PosixNewFile final : public NewFile {
 public:
  PosixNewFile(int descriptor, std::string path, std::string& last_error);
  ~PosixNewFile() override;
  PosixNewFile(const PosixNewFile&) = delete;
  PosixNewFile& operator=(const PosixNewFile&) = delete;

  const std::string& Path() const override { return path_; }
  bool Write(std::string_view bytes) override;
  bool SetPermissions(uint32_t permissions) override;
  bool SyncAndClose() override;

 private:
  bool Fail();

  int descriptor_;
  std::string path_;
  std::string& last_error_;
};

}  // namespace zm
