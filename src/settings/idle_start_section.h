#pragma once

#include <cstdint>
#include <string>

namespace zm {

class IniFile;

// Section IDLE_START of the settings file: whether the setup dialog turned
// the idle starter on, and after how many minutes without input it starts the
// saver, and the locker it runs when input ends a saver (Locker, a command
// line for the shell; without the key, or blank, none). The other sections
// know nothing of it.
struct IdleStartSection {
  static constexpr int32_t kDefaultMinutes = 10;
  static constexpr int32_t kMinMinutes = 1;
  static constexpr int32_t kMaxMinutes = 720;

  bool Enabled = false;
  int32_t Minutes = kDefaultMinutes;
  std::string Locker;

  // Minutes outside 1..720 read as the default. Locker is written only when
  // set, so that a file without it stays so.
  void Read(const IniFile& file);
  void Write(IniFile& file) const;

  // The section in the settings file at `iniPath`; Save throws
  // SettingsWriteError when the file cannot be written.
  void Load(const std::string& iniPath);
  void Save(const std::string& iniPath) const;
};

}  // namespace zm
