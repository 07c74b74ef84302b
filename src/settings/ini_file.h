#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_document.h"

namespace zm {

// The largest settings file that is read; a larger one counts as unreadable.
constexpr std::size_t kMaxIniFileBytes = std::size_t{1} << 20;

// An INI file opened by path. Opening touches no file: the file is read on
// the first read or write (a missing file reads as empty; so does one that
// exists but cannot be read, such as a FIFO, a file without read permission
// or one above kMaxIniFileBytes), and it is written only by Flush, as a
// whole, through an atomic replace. A file that could not be read is never
// replaced, so that nothing the program did not read is lost. Values
// are encoded as described in ini_values.h; a missing key or a value that does
// not parse as its type gives the caller's default. Closing (destruction) does
// not flush.
class IniFile {
 public:
  explicit IniFile(std::string path);
  // A file whose current contents are `contents` instead of what lies on disk;
  // Flush still writes to `path`.
  IniFile(std::string path, std::string_view contents);

  const std::string& path() const { return path_; }

  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
  // An integer; non-zero is true.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
  double ReadFloat(std::string_view section, std::string_view key, double fallback) const;
  // The trimmed text of the value.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // Whether the file has the key in the section, whatever its value.
  bool Holds(std::string_view section, std::string_view key) const;

  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void WriteFloat(std::string_view section, std::string_view key, double value);
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // Writes the whole model to the file; throws SettingsWriteError when that
  // fails or the file could not be read, leaving the file as it was.
  void Flush();

  // Whether something lies at the path (read on first use).
  bool Exists() const;
  // False when the file exists but could not be read; ReadError says why.
  bool Readable() const;
  const std::string& ReadError() const;

  // The file's contents as Flush would write them.
  std::string Text() const;

 private:
  IniDocument& Document() const;

  std::string path_;
  mutable std::optional<IniDocument> document_;
  mutable bool exists_ = false;
  mutable bool readable_ = true;
  mutable std::string read_error_;
  mutable bool tooLarge_ = false;
};

}  // namespace zm
