#pragma once

#include <string>

#include "base/file_system.h"

namespace zm {

// A file descriptor opened by FileSystemPosix::CreateUniqueFile. Failures
// leave the system's reason in `last_error`, the file system's last error.
class NewFilePosix final : public NewFile {
 public:
  NewFilePosix(int descriptor, std::string path, std::string& last_error);
  ~NewFilePosix() override;
  NewFilePosix(const NewFilePosix&) = delete;
  NewFilePosix& operator=(const NewFilePosix&) = delete;

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
