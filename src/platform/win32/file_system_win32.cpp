#include "platform/win32/file_system_win32.h"

#include <windows.h>

#include <algorithm>
#include <random>
#include <string_view>

#include "platform/win32/text_encoding.h"

namespace zm {
namespace {

constexpr int kUniqueNameTries = 100;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kReadChunk = 1u << 20;

std::wstring Wide(const std::string& text) { return win32::ToWide(text); }

std::string Utf8(const wchar_t* text, int length) {
  return length > 0 ? win32::ToUtf8(std::wstring_view(text, static_cast<size_t>(length))) : "";
}

// The system's text for an error code, without the final full stop and line
// break.
std::string ErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = Utf8(buffer, static_cast<int>(length));
  LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
    text.pop_back();
  return text.empty() ? "error " + std::to_string(error) : text;
}

bool IsMissingError(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// A name no other writer is likely to pick: 64 random bits in hexadecimal.
std::string RandomSuffix() {
  static std::mt19937_64 generator([] {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    std::random_device device;
    return uint64_t(counter.QuadPart) ^ (uint64_t{GetCurrentProcessId()} << 32) ^ device();
  }());
  static const char kDigits[] = "0123456789abcdef";
  uint64_t bits = generator();
  std::string text(16, '0');
  for (char& digit : text) {
    digit = kDigits[bits & 15];
    bits >>= 4;
  }
  return text;
}

// Closes a handle at the end of a scope.
struct HandleCloser {
  HANDLE handle;
  ~HandleCloser() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

// A file created by CreateUniqueFile.
class Win32NewFile final : public NewFile {
 public:
  Win32NewFile(HANDLE handle, std::string path, std::string& last_error)
      : handle_(handle), path_(std::move(path)), last_error_(last_error) {}
  ~Win32NewFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Win32NewFile(const Win32NewFile&) = delete;
  Win32NewFile& operator=(const Win32NewFile&) = delete;

  const std::string& Path() const override { return path_; }

  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kReadChunk));
      DWORD written = 0;
      if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr)) return Fail();
      bytes.remove_prefix(written);
    }
    return true;
  }

  // The attributes of the file it replaces (never read-only: such a file is
  // not replaced).
  bool SetPermissions(uint32_t permissions) override {
    FILE_BASIC_INFO info = {};
    info.FileAttributes = permissions & ~DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY |
                                               FILE_ATTRIBUTE_REPARSE_POINT};
    if (info.FileAttributes == 0) info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(handle_, FileBasicInfo, &info, sizeof info) || Fail();
  }

  bool SyncAndClose() override {
    const bool flushed = FlushFileBuffers(handle_) || Fail();
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    const bool closed = CloseHandle(handle) || Fail();
    return flushed && closed;
  }

 private:
  bool Fail() {
    last_error_ = ErrorText(GetLastError());
    return false;
  }

  HANDLE handle_;
  std::string path_;
  std::string& last_error_;
};

}  // namespace

bool FileSystemWin32::Fail() { return Fail(GetLastError()); }

bool FileSystemWin32::Fail(unsigned long error) {
  last_error_ = ErrorText(error);
  return false;
}

FileKind FileSystemWin32::KindOf(const std::string& path) {
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    Fail(error);
    return IsMissingError(error) ? FileKind::kMissing : FileKind::kUnknown;
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FileKind::kLink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileKind::kDirectory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return FileKind::kOther;
  // Device names such as NUL or COM1 look like files: ask the handle, opened
  // without access rights, which neither blocks nor touches the device.
  HandleCloser file{CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) {
    Fail();
    return FileKind::kUnknown;
  }
  return GetFileType(file.handle) == FILE_TYPE_DISK ? FileKind::kRegular : FileKind::kOther;
}

std::optional<std::string> FileSystemWin32::ResolveLinks(const std::string& path) {
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return path;
  // Opening follows every reparse point; the handle knows the final path.
  HandleCloser file{CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) {
    Fail();
    return std::nullopt;
  }
  std::wstring final(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFinalPathNameByHandleW(file.handle, final.data(), static_cast<DWORD>(final.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) {
      Fail();
      return std::nullopt;
    }
    if (length < final.size()) return Utf8(final.data(), static_cast<int>(length));
    final.resize(length + 1);
  }
}

ReadResult FileSystemWin32::ReadFile(const std::string& path, std::size_t limit) {
  ReadResult result;
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    Fail(error);
    result.status = IsMissingError(error) ? ReadStatus::kMissing : ReadStatus::kFailed;
    return result;
  }
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
    last_error_ = "not a regular file";
    result.status = ReadStatus::kNotRegular;
    return result;
  }
  HandleCloser file{CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    Fail(error);
    result.status = IsMissingError(error) ? ReadStatus::kMissing : ReadStatus::kFailed;
    return result;
  }
  LARGE_INTEGER size;
  if (GetFileType(file.handle) != FILE_TYPE_DISK) {
    last_error_ = "not a regular file";
    result.status = ReadStatus::kNotRegular;
    return result;
  }
  if (!GetFileSizeEx(file.handle, &size)) {
    Fail();
    return result;
  }
  if (static_cast<unsigned long long>(size.QuadPart) > limit) {
    last_error_ = "file too large";
    result.status = ReadStatus::kTooLarge;
    return result;
  }
  std::string& bytes = result.bytes;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const DWORD chunk =
        static_cast<DWORD>(std::min<std::size_t>(bytes.size() - filled, kReadChunk));
    DWORD got = 0;
    if (!::ReadFile(file.handle, bytes.data() + filled, chunk, &got, nullptr)) {
      Fail();
      bytes.clear();
      return result;
    }
    if (got == 0) break;
    filled += got;
  }
  bytes.resize(filled);
  result.status = ReadStatus::kOk;
  return result;
}

std::vector<FolderEntry> FileSystemWin32::ListFolder(const std::string& folder) {
  // 100-nanosecond steps from 1601 to 1970.
  constexpr int64_t kUnixEpoch = 116444736000000000LL;
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW(Wide(folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    Fail();
    return entries;
  }
  do {
    const std::string name = Utf8(found.cFileName, static_cast<int>(wcslen(found.cFileName)));
    if (name == "." || name == "..") continue;
    const DWORD attributes = found.dwFileAttributes;
    const FileKind kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? FileKind::kLink
                          : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? FileKind::kDirectory
                                                                      : FileKind::kRegular;
    const int64_t written =
        int64_t{found.ftLastWriteTime.dwHighDateTime} << 32 | found.ftLastWriteTime.dwLowDateTime;
    entries.push_back({name, kind, (written - kUnixEpoch) / 10000000});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

std::unique_ptr<NewFile> FileSystemWin32::CreateUniqueFile(const std::string& nearPath) {
  for (int attempt = 0; attempt < kUniqueNameTries; ++attempt) {
    std::string name = nearPath + "." + RandomSuffix() + ".tmp";
    // CREATE_NEW fails on anything already there, a reparse point included.
    const HANDLE handle = CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
      return std::make_unique<Win32NewFile>(handle, std::move(name), last_error_);
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      Fail(error);
      return nullptr;
    }
  }
  Fail(ERROR_FILE_EXISTS);
  return nullptr;
}

bool FileSystemWin32::Rename(const std::string& from, const std::string& to) {
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
         Fail();
}

bool FileSystemWin32::Remove(const std::string& path) {
  return DeleteFileW(Wide(path).c_str()) || Fail();
}

std::optional<uint32_t> FileSystemWin32::GetPermissions(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    Fail();
    return std::nullopt;
  }
  return attributes;
}

bool FileSystemWin32::CanWriteFile(const std::string& path) {
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Fail();
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
    last_error_ = "not a regular file";
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) return Fail(ERROR_ACCESS_DENIED);
  // Opening for writing changes nothing and answers what the access rights
  // allow.
  HandleCloser file{CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr)};
  return file.handle != INVALID_HANDLE_VALUE || Fail();
}

bool FileSystemWin32::IsWritableDirectory(const std::string& path) {
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Fail();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Fail(ERROR_DIRECTORY);
  // The read-only attribute means nothing on a directory: try a file that
  // vanishes when closed.
  std::wstring probe = wide;
  if (!probe.empty() && probe.back() != L'\\' && probe.back() != L'/') probe += L'\\';
  probe += Wide("zm_" + RandomSuffix() + ".tmp");
  HandleCloser file{CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr)};
  return file.handle != INVALID_HANDLE_VALUE || Fail();
}

bool FileSystemWin32::CreateDirectories(const std::string& path) {
  const std::wstring wide = Wide(path);
  for (std::size_t at = wide.find_first_of(L"\\/", 1); at != std::wstring::npos;
       at = wide.find_first_of(L"\\/", at + 1)) {
    CreateDirectoryW(wide.substr(0, at).c_str(), nullptr);  // a failure shows at the end
  }
  if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return Fail();
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Fail();
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) || Fail(ERROR_DIRECTORY);
}

void UseWin32FileSystem() {
  static FileSystemWin32 files;
  SetFileSystem(&files);
}

}  // namespace zm
