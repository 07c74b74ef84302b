#include "settings/ini_file.h"

#include <utility>

#include "base/file_system.h"
#include "settings/atomic_file.h"
#include "settings/ini_values.h"
#include "settings/settings_write_error.h"

namespace zm {

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

IniFile::IniFile(std::string path, std::string_view contents)
    : path_(std::move(path)), document_(IniDocument(std::string(contents))), exists_(true) {}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t fallback) const {
  std::optional<std::string_view> text = Document().Find(section, key);
  if (!text) return fallback;
  return ParseIniInteger(*text).value_or(fallback);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

double IniFile::ReadFloat(std::string_view section, std::string_view key, double fallback) const {
  std::optional<std::string_view> text = Document().Find(section, key);
  if (!text) return fallback;
  return ParseIniFloat(*text).value_or(fallback);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  return std::string(Document().Find(section, key).value_or(fallback));
}

bool IniFile::Holds(std::string_view section, std::string_view key) const {
  return Document().Find(section, key).has_value();
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  Document().Set(section, key, FormatIniInteger(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  Document().Set(section, key, value ? "1" : "0");
}

void IniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
  Document().Set(section, key, FormatIniFloat(value));
}

void IniFile::Flush() {
  if (!Readable()) {
    throw SettingsWriteError(
        path_, tooLarge_ ? "it is larger than 1 MiB, so it was not read and "
                           "is not replaced"
                         : "it could not be read (" + read_error_ + "), so it is not replaced");
  }
  std::string reason;
  if (!WriteFileAtomically(path_, Document().Text(), &reason))
    throw SettingsWriteError(path_, reason);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Document().Set(section, key, value);
}

bool IniFile::Exists() const {
  Document();
  return exists_;
}

bool IniFile::Readable() const {
  Document();
  return readable_;
}

const std::string& IniFile::ReadError() const {
  Document();
  return read_error_;
}

std::string IniFile::Text() const { return Document().Text(); }

IniDocument& IniFile::Document() const {
  if (document_) return *document_;
  ReadResult read = Files().ReadFile(path_, kMaxIniFileBytes);
  exists_ = read.status != ReadStatus::kMissing;
  readable_ = read.status == ReadStatus::kOk || read.status == ReadStatus::kMissing;
  if (!readable_) read_error_ = Files().LastError();
  tooLarge_ = read.status == ReadStatus::kTooLarge;
  document_.emplace(std::move(read.bytes));
  return *document_;
}

}  // namespace zm
