#include "platform/posix/file_system_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "platform/posix/new_file_posix.h"

namespace zm {
namespace {

constexpr int kMaxLinks = 40;  // as the kernel allows in one path
constexpr int kUniqueNameTries = 100;
constexpr std::size_t kReadChunk = 16 * 1024;

// The directory part of `path` with its trailing separator; empty for a bare
// name (the current directory).
std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A name no other writer is likely to pick: 64 random bits in hexadecimal.
std::string RandomSuffix() {
  static std::random_device device;
  static std::mt19937_64 generator((uint64_t{device()} << 32) ^ device() ^ uint64_t(::getpid()));
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
  return text;
}

FileKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kRegular;
  if (S_ISDIR(mode)) return FileKind::kDirectory;
  if (S_ISLNK(mode)) return FileKind::kLink;
  return FileKind::kOther;
}

// Closes a descriptor at the end of a scope.
struct DescriptorCloser {
  int descriptor;
  ~DescriptorCloser() {
    if (descriptor >= 0) ::close(descriptor);
  }
};

}  // namespace

bool FileSystemPosix::Fail() { return Fail(errno); }

bool FileSystemPosix::Fail(int error) {
  last_error_ = std::strerror(error);
  return false;
}

FileKind FileSystemPosix::KindOf(const std::string& path) {
  struct stat status;
  if (::lstat(path.c_str(), &status) == 0) return KindOfMode(status.st_mode);
  const int error = errno;
  Fail(error);
  return error == ENOENT || error == ENOTDIR ? FileKind::kMissing : FileKind::kUnknown;
}

std::optional<std::string> FileSystemPosix::ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    struct stat status;
    if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
    std::string target(static_cast<std::size_t>(status.st_size) + 256, '\0');
    const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length < 0) {
      Fail();
      return std::nullopt;
    }
    target.resize(static_cast<std::size_t>(length));
    current = target.starts_with('/') ? target : DirectoryOf(current) + target;
  }
  Fail(ELOOP);
  return std::nullopt;
}

ReadResult FileSystemPosix::ReadFile(const std::string& path, std::size_t limit) {
  struct stat status;
  // Look before opening: opening some devices has effects of its own.
  if (::stat(path.c_str(), &status) != 0) return OpenFailure();
  if (!S_ISREG(status.st_mode)) return Refusal(ReadStatus::kNotRegular, "not a regular file");
  // Non-blocking, in case a FIFO took the file's place since the look.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return OpenFailure();
  DescriptorCloser closer{descriptor};
  if (::fstat(descriptor, &status) != 0) return OpenFailure();
  if (!S_ISREG(status.st_mode)) return Refusal(ReadStatus::kNotRegular, "not a regular file");
  if (static_cast<unsigned long long>(status.st_size) > limit)
    return Refusal(ReadStatus::kTooLarge, "file too large");
  return ReadOpenFile(descriptor, static_cast<std::size_t>(status.st_size), limit);
}

ReadResult FileSystemPosix::ReadOpenFile(int descriptor, std::size_t size, std::size_t limit) {
  ReadResult result;
  std::string& bytes = result.bytes;
  bytes.resize(size);
  std::size_t filled = 0;
  char more[kReadChunk];
  for (;;) {
    // Into the buffer of the size the file had, then (should it have grown)
    // into a chunk that is appended.
    const bool inBuffer = filled < bytes.size();
    const ssize_t got = inBuffer ? ::read(descriptor, bytes.data() + filled, bytes.size() - filled)
                                 : ::read(descriptor, more, sizeof more);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      Fail();
      return {};
    }
    if (got == 0) break;
    if (!inBuffer) bytes.append(more, static_cast<std::size_t>(got));
    filled += static_cast<std::size_t>(got);
    if (filled > limit) return Refusal(ReadStatus::kTooLarge, "file too large");
  }
  bytes.resize(filled);
  result.status = ReadStatus::kOk;
  return result;
}

ReadResult FileSystemPosix::OpenFailure() {
  const int error = errno;
  Fail(error);
  return {error == ENOENT ? ReadStatus::kMissing : ReadStatus::kFailed, {}};
}

ReadResult FileSystemPosix::Refusal(ReadStatus status, const char* reason) {
  last_error_ = reason;
  return {status, {}};
}

std::vector<FolderEntry> FileSystemPosix::ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  DIR* directory = ::opendir(folder.empty() ? "." : folder.c_str());
  if (directory == nullptr) {
    Fail();
    return entries;
  }
  while (const dirent* entry = ::readdir(directory)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat status {};
    if (::fstatat(::dirfd(directory), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    entries.push_back({name, KindOfMode(status.st_mode), int64_t{status.st_mtime}});
  }
  ::closedir(directory);
  return entries;
}

std::unique_ptr<NewFile> FileSystemPosix::CreateUniqueFile(const std::string& nearPath) {
  for (int attempt = 0; attempt < kUniqueNameTries; ++attempt) {
    std::string name = nearPath + "." + RandomSuffix() + ".tmp";
    // O_EXCL never follows a link and fails on anything already there.
    const int descriptor =
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor >= 0) return std::make_unique<NewFilePosix>(descriptor, name, last_error_);
    if (errno != EEXIST) break;
  }
  Fail();
  return nullptr;
}

bool FileSystemPosix::Rename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return Fail();
  // Make the new directory entry itself durable; a failure here loses nothing
  // that the rename did not already promise.
  const std::string directory = DirectoryOf(to);
  const int descriptor =
      ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor >= 0) {
    ::fsync(descriptor);
    ::close(descriptor);
  }
  return true;
}

bool FileSystemPosix::Remove(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || Fail();
}

std::optional<uint32_t> FileSystemPosix::GetPermissions(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) {
    Fail();
    return std::nullopt;
  }
  return static_cast<uint32_t>(status.st_mode & 07777);
}

bool FileSystemPosix::CanWriteFile(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return Fail();
  if (!S_ISREG(status.st_mode)) {
    last_error_ = "not a regular file";
    return false;
  }
  // No write bit at all marks a read-only file, which even root leaves alone.
  if ((status.st_mode & 0222) == 0) return Fail(EACCES);
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 || Fail();
}

bool FileSystemPosix::IsWritableDirectory(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return Fail();
  if (!S_ISDIR(status.st_mode)) return Fail(ENOTDIR);
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0 || Fail();
}

bool FileSystemPosix::CreateDirectories(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0777);  // a failure shows at the end
  }
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return Fail();
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return Fail();
  return S_ISDIR(status.st_mode) || Fail(ENOTDIR);
}

void UsePosixFileSystem() {
  static FileSystemPosix files;
  SetFileSystem(&files);
}

}  // namespace zm
