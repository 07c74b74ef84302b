#pragma once

#include "base/file_system.h"

namespace zm {

// The core's file system on POSIX systems (Linux).
class FileSystemPosix final : public FileSystem {
 public:
  FileKind KindOf(const std::string& path) override;
  std::optional<std::string> ResolveLinks(const std::string& path) override;
  ReadResult ReadFile(const std::string& path, std::size_t limit) override;
  std::vector<FolderEntry> ListFolder(const std::string& folder) override;
  std::unique_ptr<NewFile> CreateUniqueFile(const std::string& nearPath) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;
  std::optional<uint32_t> GetPermissions(const std::string& path) override;
  bool CanWriteFile(const std::string& path) override;
  bool IsWritableDirectory(const std::string& path) override;
  bool CreateDirectories(const std::string& path) override;
  std::string LastError() const override { return last_error_; }

 private:
  // Records the reason errno gives; answers false for the caller's return.
  bool Fail();
  bool Fail(int error);
  // A failed look or open, by errno: missing or failed.
  ReadResult OpenFailure();
  ReadResult Refusal(ReadStatus status, const char* reason);
  ReadResult ReadOpenFile(int descriptor, std::size_t size, std::size_t limit);

  std::string last_error_;
};

// Installs one FileSystemPosix as the program's file system (see Files()).
void UsePosixFileSystem();

}  // namespace zm
