#pragma once

#include <cstdint>

#include "shell/setup_dialog_view.h"

namespace zm {

// Where the controls of the setup dialog and the About box stand, in client
// pixels of the dialog (a child's place already added to its parent's). Every
// platform places its controls from these, so the geometry is written once.
namespace dialog_layout {

constexpr ClientRect Inside(const ClientRect& parent, ClientRect child) {
  return {parent.left + child.left, parent.top + child.top, child.width, child.height};
}

// The setup dialog, in its tab order: Preview, the speed, the colours, Ok,
// Cancel, About, the video mode, "Use DirectX", the monitor layout and the
// frame limit.
constexpr int32_t kSetupWidth = 575;
constexpr int32_t kSetupHeight = 337;
constexpr ClientRect kPreviewButton{408, 297, 97, 25};
constexpr ClientRect kPanel{4, 8, 277, 269};  // lowered, around the speed and the colours
constexpr ClientRect kSpeedLabel = Inside(kPanel, {32, 19, 34, 13});
constexpr ClientRect kSpeed = Inside(kPanel, {81, 13, 174, 25});
constexpr ClientRect kColorsGroup = Inside(kPanel, {24, 43, 225, 223});
constexpr ClientRect kAllColors = Inside(kColorsGroup, {66, 12, 97, 17});
constexpr ClientRect kColorFrame = Inside(kColorsGroup, {8, 27, 209, 193});
constexpr ClientRect kOk{40, 298, 75, 25};
constexpr ClientRect kCancel{128, 298, 75, 25};
constexpr ClientRect kAbout{264, 298, 75, 25};
constexpr ClientRect kVideoModeLabel{336, 239, 60, 13};
constexpr ClientRect kVideoModes{312, 255, 129, 21};  // the closed box; its list drops below
constexpr ClientRect kUseDirectX{456, 259, 97, 17};
// In the gap between the video mode and the Preview button, flush with the
// video-mode box's right edge.
constexpr ClientRect kMonitorsLabel{306, 281, 60, 13};
constexpr ClientRect kMonitors{370, 277, 71, 19};  // the closed box; its list drops below
// Beside it, below "Use DirectX", clear of the Preview button.
constexpr ClientRect kFramesLabel{446, 281, 48, 13};
constexpr ClientRect kFrames{497, 277, 68, 19};  // the closed box; its list drops below

// The nine colour entries share the colour frame's height evenly, below a
// margin for the frame's border.
constexpr int32_t kColorEntryCount = 9;
constexpr int32_t kColorEntryHeight = (kColorFrame.height - 16) / kColorEntryCount;
constexpr ClientRect ColorEntry(int32_t entry) {
  return Inside(kColorFrame, {8, 10 + entry * kColorEntryHeight, 193, kColorEntryHeight});
}

// The About box.
constexpr int32_t kAboutWidth = 333;
constexpr int32_t kAboutHeight = 169;
constexpr ClientRect kLogoBevel{5, 6, 82, 156};
constexpr ClientRect kLogo{8, 9, 75, 150};
constexpr ClientRect kNoticeLine1{119, 8, 146, 13};
constexpr ClientRect kNoticeLine2{135, 24, 86, 13};
constexpr ClientRect kRule{104, 48, 209, 9};  // an etched line between notice and links
constexpr ClientRect kMailLabel{104, 66, 38, 13};
constexpr ClientRect kMailLink{152, 66, 153, 13};
constexpr ClientRect kHomePageLabel{104, 90, 67, 13};
constexpr ClientRect kHomePageLink{104, 106, 206, 13};
constexpr ClientRect kAboutOk{163, 140, 75, 21};

// The first start's wait dialog: the label is sized to its text, at least
// this size.
constexpr int32_t kWaitWidth = 380;
constexpr int32_t kWaitHeight = 70;
constexpr ClientRect kWaitLabel{116, 16, 147, 16};
constexpr ClientRect kWaitBar{9, 44, 361, 16};

}  // namespace dialog_layout
}  // namespace zm
