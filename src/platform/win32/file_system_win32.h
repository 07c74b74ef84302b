#pragma once

#include "base/file_system.h"

namespace zm {

// The core's file system on Windows. Paths arrive as UTF-8 and are handed to
// the wide-character calls; reparse points (symbolic links, junctions) count
// as links. Permissions are the file attributes.
class FileSystemWin32 final : public FileSystem {
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
  // Records the reason GetLastError gives; answers false for the caller.
  bool Fail();
  bool Fail(unsigned long error);

  std::string last_error_;
};

// Installs one FileSystemWin32 as the program's file system (see Files()).
void UseWin32FileSystem();

}  // namespace zm
