#include "base/file_system.h"

namespace zm {
namespace {

// The file system of a program whose platform installed none: nothing exists
// and nothing can be written, so a missing installation shows at once.
class NoFileSystem final : public FileSystem {
 public:
  FileKind KindOf(const std::string&) override { return FileKind::kUnknown; }
  std::optional<std::string> ResolveLinks(const std::string&) override { return std::nullopt; }
  ReadResult ReadFile(const std::string&, std::size_t) override { return {}; }
  std::unique_ptr<NewFile> CreateUniqueFile(const std::string&) override { return nullptr; }
  bool Rename(const std::string&, const std::string&) override { return false; }
  bool Remove(const std::string&) override { return false; }
  std::optional<uint32_t> GetPermissions(const std::string&) override { return std::nullopt; }
  bool CanWriteFile(const std::string&) override { return false; }
  bool IsWritableDirectory(const std::string&) override { return false; }
  bool CreateDirectories(const std::string&) override { return false; }
  std::string LastError() const override { return "no file system installed"; }
};

NoFileSystem no_file_system;
FileSystem* installed = &no_file_system;

}  // namespace

FileSystem& Files() { return *installed; }

void SetFileSystem(FileSystem* files) { installed = files != nullptr ? files : &no_file_system; }

}  // namespace zm
