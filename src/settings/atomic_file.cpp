#include "settings/atomic_file.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

#include "base/file_system.h"

namespace zm {
namespace {

// Bytes the new file may receive, as on a disk with that much room left: a
// write that needs more stops there and fails. Negative when not limited.
long long write_failure_after = -1;

bool Refuse(std::string* reason, const std::string& why) {
  if (reason != nullptr) *reason = why;
  return false;
}

// Writes all of `bytes`, or as many as the test limit lets through; false
// when not everything was written.
bool WriteAll(NewFile& file, std::string_view bytes, std::string& why) {
  if (write_failure_after >= 0 &&
      bytes.size() > static_cast<unsigned long long>(write_failure_after)) {
    file.Write(bytes.substr(0, static_cast<std::size_t>(write_failure_after)));
    why = "no space left on the device";
    return false;
  }
  if (file.Write(bytes)) return true;
  why = Files().LastError();
  return false;
}

// What the write may replace: nothing, or a regular file the user may write.
// Sets `permissions` to those of the file it replaces.
bool CheckTarget(const std::string& target, std::optional<uint32_t>& permissions,
                 std::string& why) {
  FileSystem& files = Files();
  switch (files.KindOf(target)) {
    case FileKind::kMissing:
      return true;
    case FileKind::kRegular:
      if (!files.CanWriteFile(target) || !(permissions = files.GetPermissions(target))) break;
      return true;
    case FileKind::kUnknown:
      break;
    default:
      why = "not a regular file";
      return false;
  }
  why = files.LastError();
  return false;
}

// Fills the new file, gives it `permissions` and flushes it to the disk.
bool FillNewFile(NewFile& file, std::string_view bytes, std::optional<uint32_t> permissions,
                 std::string& why) {
  if (!WriteAll(file, bytes, why)) return false;
  if ((permissions && !file.SetPermissions(*permissions)) || !file.SyncAndClose()) {
    why = Files().LastError();
    return false;
  }
  return true;
}

// Whether `name` is "<base>.<16 hexadecimal digits>.tmp".
bool IsTemporaryOf(const std::string& name, const std::string& base) {
  constexpr std::size_t kDigits = 16;
  constexpr std::string_view kEnd = ".tmp";
  if (name.size() != base.size() + 1 + kDigits + kEnd.size()) return false;
  if (name.compare(0, base.size(), base) != 0 || name[base.size()] != '.') return false;
  if (name.compare(name.size() - kEnd.size(), kEnd.size(), kEnd) != 0) return false;
  const std::string_view digits(name.data() + base.size() + 1, kDigits);
  return std::all_of(digits.begin(), digits.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

}  // namespace

int RemoveStaleTemporaries(const std::string& path, int64_t runStartSeconds) {
  FileSystem& files = Files();
  const std::string target = files.ResolveLinks(path).value_or(path);
  const std::size_t cut = target.find_last_of("/\\");
  const std::string folder = cut == std::string::npos ? "" : target.substr(0, cut + 1);
  const std::string base = target.substr(folder.size());
  int removed = 0;
  for (const FolderEntry& entry : files.ListFolder(folder)) {
    if (entry.kind != FileKind::kRegular || entry.modifiedSeconds >= runStartSeconds) continue;
    if (IsTemporaryOf(entry.name, base) && files.Remove(folder + entry.name)) ++removed;
  }
  return removed;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* reason) {
  FileSystem& files = Files();
  const std::optional<std::string> target = files.ResolveLinks(path);
  if (!target) return Refuse(reason, files.LastError());
  std::optional<uint32_t> permissions;
  std::string why;
  if (!CheckTarget(*target, permissions, why)) return Refuse(reason, why);

  std::unique_ptr<NewFile> file = files.CreateUniqueFile(*target);
  if (!file) return Refuse(reason, files.LastError());
  const std::string temporary = file->Path();
  if (FillNewFile(*file, bytes, permissions, why)) {
    if (files.Rename(temporary, *target)) return true;
    why = files.LastError();
  }
  file.reset();  // closed before it is removed, which Windows needs
  files.Remove(temporary);
  return Refuse(reason, why);
}

void SetWriteFailureAfterForTesting(long long bytes) { write_failure_after = bytes; }

}  // namespace zm
