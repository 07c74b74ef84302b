#include "settings/ini_file.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "settings/atomic_file.h"
#include "settings/ini_values.h"
#include "settings/settings_write_error.h"

namespace zm {
namespace {

// The whole file as bytes; empty when it is missing or cannot be read.
std::string ReadWholeFile(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) return {};
  std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (stream.bad()) return {};
  return bytes;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

IniFile::IniFile(std::string path, std::string_view contents)
    : path_(std::move(path)), document_(IniDocument(contents)) {}

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
  if (!WriteFileAtomically(path_, Text())) throw SettingsWriteError(path_);
}

std::string IniFile::Text() const { return Document().Text(); }

IniDocument& IniFile::Document() const {
  if (!document_) document_.emplace(ReadWholeFile(path_));
  return *document_;
}

}  // namespace zm
