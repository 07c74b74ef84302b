#include "settings/settings_paths.h"

#include <cstdint>

namespace zm {

std::string SettingsFilePath(const std::string& programDirectory) {
  return programDirectory + "zelk_mirv.ini";
}

std::string SetupDialogFilePath(const std::string& programDirectory) {
  return SettingsFilePath(programDirectory);
}

namespace {

constexpr std::string_view kStateExtension = ".par";
// Windows names its monitors "\\.\DISPLAY1", ...: the prefix says nothing.
constexpr std::string_view kWindowsDevicePrefix = "\\\\.\\";
// The longest part of a monitor's name that a file name keeps, so that the
// file's name stays well within the 255 bytes file systems allow.
constexpr size_t kMonitorNameMax = 64;

// FNV-1a over the name's bytes, as 8 hexadecimal digits.
std::string NameHash(std::string_view name) {
  uint32_t hash = 2166136261u;
  for (const char c : name) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, hash >>= 4) text[i] = kDigits[hash & 0xF];
  return text;
}

bool KeptInFileName(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

}  // namespace

std::string PatternStateFilePath(const std::string& programDirectory) {
  return programDirectory + "Zelk_Mirv" + std::string(kStateExtension);
}

std::string MonitorStateFilePath(const std::string& stateFile, std::string_view monitor) {
  std::string_view rest = monitor;
  if (rest.starts_with(kWindowsDevicePrefix)) rest.remove_prefix(kWindowsDevicePrefix.size());
  std::string name;
  bool changed = false;
  for (const char c : rest) {
    const bool kept = KeptInFileName(c);
    name += kept ? c : '_';
    changed = changed || !kept;
  }
  if (name.size() > kMonitorNameMax) {
    name.resize(kMonitorNameMax);
    changed = true;
  }
  if (name.empty()) {
    name = "monitor";
    changed = true;
  }
  // A name that lost characters could meet another one: the hash of the
  // whole name keeps them apart. (Appended: GCC 12 warns falsely
  // (-Wrestrict) on "-" + string.)
  if (changed) name.append("-").append(NameHash(monitor));
  std::string_view stem = stateFile;
  if (stem.ends_with(kStateExtension)) stem.remove_suffix(kStateExtension.size());
  return std::string(stem) + "-" + name + std::string(kStateExtension);
}

}  // namespace zm
