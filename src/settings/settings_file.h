#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zm {

class IniFile;

// Reads SaverSettings from section BASIC_PARAMETERS of the settings file beside
// the executable at `executablePath`, then the material choice from section
// PATTERNS and the monitor layout from MONITORS. Missing or unreadable values
// take their defaults; nothing is reported.
void LoadSettings(const std::string& executablePath);

// Stores SaverSettings into section BASIC_PARAMETERS, the material choice
// into PATTERNS and the layout into MONITORS, keeping everything else in the file, and writes the
// file once. Throws SettingsWriteError ("Unable to write to <path>") when the file cannot be
// written; the old file is then left as it was.
void SaveSettings(const std::string& executablePath);

// The same, on the settings file at `iniPath` itself.
void LoadSettingsFile(const std::string& iniPath);
void SaveSettingsFile(const std::string& iniPath);

// The reading and writing steps on an open file (no flush).
void ReadSettings(const IniFile& file);
void WriteSettings(IniFile& file);

// One key of the saver's sections with its value as the file would hold it.
struct SettingsKey {
  SettingsKey(const char* sectionName, const char* keyName, std::string value,
              std::string defaultValue = "")
      : section(sectionName),
        key(keyName),
        text(std::move(value)),
        defaultText(std::move(defaultValue)) {}

  const char* section;
  const char* key;
  std::string text;
  // Where not empty, the key's default: a file that lacks its section gets
  // it only when a key of the section differs from its default (the frame
  // limits).
  std::string defaultText;
};
// The saver's keys in the order WriteSettings writes them, with the values
// the settings and the material choice hold now.
std::vector<SettingsKey> CurrentSettingsKeys();

// Stores only what changed since the settings were read: a key whose value
// differs from its value in `asRead` (CurrentSettingsKeys taken right after
// reading), and a key the file does not hold; every other key keeps what the
// file holds now, so that a change written meanwhile by someone else stays.
// Writes nothing when nothing is to be stored; throws SettingsWriteError as
// SaveSettingsFile does.
void SaveChangedSettingsFile(const std::string& iniPath, const std::vector<SettingsKey>& asRead);

}  // namespace zm
