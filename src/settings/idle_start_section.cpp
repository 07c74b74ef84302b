#include "settings/idle_start_section.h"

#include "settings/ini_file.h"

namespace zm {
namespace {

constexpr const char* kSection = "IDLE_START";

}  // namespace

void IdleStartSection::Read(const IniFile& file) {
  Enabled = file.ReadBool(kSection, "Enabled", false);
  Minutes = file.ReadInteger(kSection, "Minutes", kDefaultMinutes);
  if (Minutes < kMinMinutes || Minutes > kMaxMinutes) Minutes = kDefaultMinutes;
  Locker = file.ReadString(kSection, "Locker", "");
}

void IdleStartSection::Write(IniFile& file) const {
  file.WriteBool(kSection, "Enabled", Enabled);
  file.WriteInteger(kSection, "Minutes", Minutes);
  if (!Locker.empty()) file.WriteString(kSection, "Locker", Locker);
}

void IdleStartSection::Load(const std::string& iniPath) { Read(IniFile(iniPath)); }

void IdleStartSection::Save(const std::string& iniPath) const {
  IniFile file(iniPath);
  Write(file);
  file.Flush();
}

}  // namespace zm
