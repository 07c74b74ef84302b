#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zm {

// What lies at a path, seen without following a symbolic link and without
// opening it (so a FIFO or a device never blocks the look).
enum class FileKind { kMissing, kRegular, kDirectory, kLink, kOther, kUnknown };

// The outcome of reading a whole file.
enum class ReadStatus {
  kOk,
  kMissing,     // nothing at the path (or a link to nothing)
  kNotRegular,  // a directory, device, FIFO, socket...
  kTooLarge,    // more bytes than the caller allows
  kFailed,      // anything else: no permission, an I/O error
};

// One entry of a folder: its name, its kind (links not followed) and when its
// contents last changed, in seconds since 1970-01-01 UTC.
struct FolderEntry {
  std::string name;
  FileKind kind = FileKind::kUnknown;
  int64_t modifiedSeconds = 0;
};

struct ReadResult {
  ReadStatus status = ReadStatus::kFailed;
  std::string bytes;  // the file's contents when status is kOk
};

// A new file, open for writing, that nobody else had created. Destroying it
// closes it (but does not remove it).
class NewFile {
 public:
  virtual ~NewFile() = default;
  // The path it was created under.
  virtual const std::string& Path() const = 0;
  // Appends all of `bytes`; false when not all of them were written.
  virtual bool Write(std::string_view bytes) = 0;
  // Gives the file the permissions that GetPermissions reported for another
  // file.
  virtual bool SetPermissions(uint32_t permissions) = 0;
  // Flushes the contents to the disk and closes the file; false when either
  // failed. Nothing may be written afterwards.
  virtual bool SyncAndClose() = 0;
};

// The few file-system operations the core needs. Paths are UTF-8. Every
// operation that fails leaves the system's reason in LastError(). The program
// is single-threaded, so one last error serves everyone.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual FileKind KindOf(const std::string& path) = 0;
  // The path of the file that `path` names once every symbolic link (or, on
  // Windows, reparse point) on the way has been followed; `path` itself when
  // it is not a link. The file named need not exist. Nothing on a loop.
  virtual std::optional<std::string> ResolveLinks(const std::string& path) = 0;
  // Reads a regular file whole, following links, if it holds at most `limit`
  // bytes. Never blocks on a FIFO or a device: their type is checked first.
  virtual ReadResult ReadFile(const std::string& path, std::size_t limit) = 0;

  // The entries of a folder (a path ending in a separator, or "" for the
  // current one), without "." and ".."; empty when it cannot be read.
  virtual std::vector<FolderEntry> ListFolder(const std::string& folder) = 0;

  // Creates a file under a fresh name in the directory of `nearPath`,
  // exclusively and without following a link planted under that name:
  // "<nearPath>.<16 hexadecimal digits>.tmp".
  virtual std::unique_ptr<NewFile> CreateUniqueFile(const std::string& nearPath) = 0;
  // Moves `from` over `to`, replacing it in one step.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;

  // The permissions of an existing file, in the platform's own encoding.
  virtual std::optional<uint32_t> GetPermissions(const std::string& path) = 0;
  // Whether the user may change the existing regular file at `path`. A file
  // marked read-only for everyone counts as not writable, even for an
  // administrator, as on Windows.
  virtual bool CanWriteFile(const std::string& path) = 0;
  // Whether `path` is an existing directory in which the user may create
  // files.
  virtual bool IsWritableDirectory(const std::string& path) = 0;
  // Creates the directory and any missing parents; true when it exists
  // afterwards.
  virtual bool CreateDirectories(const std::string& path) = 0;

  // Why the last failed operation failed, in the system's words.
  virtual std::string LastError() const = 0;
};

// The file system of a program whose platform installed none: nothing exists
// and nothing can be written, so a missing installation shows at once. Tests
// derive from it to answer only the questions they need.
class NoFileSystem : public FileSystem {
 public:
  FileKind KindOf(const std::string&) override { return FileKind::kUnknown; }
  std::optional<std::string> ResolveLinks(const std::string&) override { return std::nullopt; }
  ReadResult ReadFile(const std::string&, std::size_t) override { return {}; }
  std::vector<FolderEntry> ListFolder(const std::string&) override { return {}; }
  std::unique_ptr<NewFile> CreateUniqueFile(const std::string&) override { return nullptr; }
  bool Rename(const std::string&, const std::string&) override { return false; }
  bool Remove(const std::string&) override { return false; }
  std::optional<uint32_t> GetPermissions(const std::string&) override { return std::nullopt; }
  bool CanWriteFile(const std::string&) override { return false; }
  bool IsWritableDirectory(const std::string&) override { return false; }
  bool CreateDirectories(const std::string&) override { return false; }
  std::string LastError() const override { return "no file system installed"; }
};

// The program-wide file system. Until the platform installs one at start-up,
// every operation fails.
FileSystem& Files();
// Installs `files` (owned by the caller, living as long as the program);
// nullptr restores the failing one.
void SetFileSystem(FileSystem* files);

}  // namespace zm
