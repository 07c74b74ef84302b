#pragma once

#include "base/version.h"

namespace zm {

// The texts of the setup dialog and the About box, shared by every platform.

// The setup dialog.
constexpr const char* kSetupCaption = "Zelk Mirv Screen Saver " ZM_VERSION_TEXT;
constexpr const char* kSpeedLabel = "Speed:";
constexpr const char* kColorsGroupCaption = "Colors:";
constexpr const char* kAllColorsCaption = "All colors";
constexpr const char* kVideoModeLabel = "Video Mode:";
constexpr const char* kUseDirectXCaption = "Use DirectX";
// The drop-down of monitor layouts; its entries are the layouts' names.
constexpr const char* kMonitorsLabel = "Monitors:";
// The drop-down of frame limits: the display's rate, or at most so many
// frames a second (see FrameLimitEntryCaption).
constexpr const char* kFramesLabel = "Frames:";
constexpr const char* kPreviewCaption = "Preview";
constexpr const char* kOkCaption = "Ok";
constexpr const char* kCancelCaption = "Cancel";
constexpr const char* kAboutButtonCaption = "About";
// Shown in the video-mode box when there is no page-flipped display.
constexpr const char* kDirectXMissing = "DirectX is not installed";

// The first start's wait dialog.
constexpr const char* kWaitCaption = "Initializing...   Please wait.";

// The About box: the notice, and where the project is found.
constexpr const char* kAboutCaption = "About Zelk Mirv Screen Saver";
constexpr const char* kNoticeLine1 = "The Zelk Mirv project";
constexpr const char* kNoticeLine2 = "All rights reserved.";
constexpr const char* kMailLabel = "e-mail:";
constexpr const char* kHomePageLabel = "home page:";
constexpr const char* kProjectMailAddress = "zelk-mirv@example.org";
constexpr const char* kProjectMailUri = "mailto:zelk-mirv@example.org";
constexpr const char* kProjectHomePage = "https://zelk-mirv.example.org/";

}  // namespace zm
