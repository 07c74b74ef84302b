#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "display/display_mode.h"

namespace zm {

// One entry of the setup dialog's video-mode box: its text and the display
// mode it stands for.
struct VideoModeEntry {
  std::string text;
  DisplayMode mode;
};

// The entry text of a mode: width, "*", height, two spaces, bits per pixel,
// "-bit" ("640*480  32-bit").
std::string VideoModeText(const DisplayMode& mode);

// The entries the box offers for the display's modes, in the display's
// order, unsorted. A 24-bit mode is left out when the list holds a 32-bit
// mode of the same width (whatever its height). Modes whose texts are equal
// without regard to case (such as the same mode at other refresh rates) give
// one entry, which stands for the first of them.
std::vector<VideoModeEntry> VideoModeEntries(const std::vector<DisplayMode>& modes);

// The entry whose text equals `text` without regard to case, or null.
const VideoModeEntry* FindVideoModeEntry(const std::vector<VideoModeEntry>& entries,
                                         std::string_view text);

}  // namespace zm
