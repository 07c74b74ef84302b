#include "shell/video_mode_list.h"

#include <algorithm>

namespace zm {

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// A 24-bit mode is not offered where the display has the same width at 32
// bits: the deeper mode looks the same and needs no conversion.
bool HiddenByDeeperMode(const std::vector<DisplayMode>& modes, const DisplayMode& mode) {
  if (mode.BitPerPix != 24) return false;
  return std::any_of(modes.begin(), modes.end(), [&](const DisplayMode& other) {
    return other.Width == mode.Width && other.BitPerPix == 32;
  });
}

}  // namespace

std::string VideoModeText(const DisplayMode& mode) {
  return std::to_string(mode.Width) + "*" + std::to_string(mode.Height) + "  " +
         std::to_string(mode.BitPerPix) + "-bit";
}

std::vector<VideoModeEntry> VideoModeEntries(const std::vector<DisplayMode>& modes) {
  std::vector<VideoModeEntry> entries;
  for (const DisplayMode& mode : modes) {
    if (HiddenByDeeperMode(modes, mode)) continue;
    std::string text = VideoModeText(mode);
    if (FindVideoModeEntry(entries, text) == nullptr) entries.push_back({std::move(text), mode});
  }
  return entries;
}

const VideoModeEntry* FindVideoModeEntry(const std::vector<VideoModeEntry>& entries,
                                         std::string_view text) {
  const auto found = std::find_if(entries.begin(), entries.end(), [&](const VideoModeEntry& e) {
    return EqualIgnoringCase(e.text, text);
  });
  return found == entries.end() ? nullptr : &*found;
}

}  // namespace zm
