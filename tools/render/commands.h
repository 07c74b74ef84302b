#pragma once

#include "arguments.h"

namespace zm {
class IniFile;
}

namespace zm::tool {

constexpr int kExitOk = 0;
constexpr int kExitOutput = 2;  // an output file could not be written
constexpr int kExitUsage = 2;   // bad arguments or unusable input

int RunPalette(const PaletteOptions& options);
int RunFrames(const FramesOptions& options);
int RunSettings(const SettingsOptions& options);

// Prints "zelk-mirv-render: message" to standard error.
void Complain(const std::string& message);

// "W x H".
std::string SizeText(int width, int height);

// Complains and answers false unless `file` exists and could be read.
bool CheckSettingsFile(const IniFile& file);

}  // namespace zm::tool
