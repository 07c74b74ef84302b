#include "platform/win32/viewer_watch.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zm::win32 {
namespace {

// A power-setting broadcast as the system sends it: the setting's GUID, then
// a DWORD of data.
struct Broadcast {
  POWERBROADCAST_SETTING head;
  BYTE rest[3];
};

LPARAM Setting(Broadcast& b, const GUID& guid, DWORD state) {
  b.head.PowerSetting = guid;
  b.head.DataLength = sizeof state;
  std::memcpy(b.head.Data, &state, sizeof state);
  return reinterpret_cast<LPARAM>(&b.head);
}

TEST(ViewerWatch, ReadsTheConsoleDisplayStateAndTheSessionLockOnly) {
  const GUID display = {
      0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
  const GUID other = {0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x48}};
  Broadcast b{};
  EXPECT_EQ(ViewerWatch::DisplayOn(PBT_POWERSETTINGCHANGE, Setting(b, display, 0)), false);
  EXPECT_EQ(ViewerWatch::DisplayOn(PBT_POWERSETTINGCHANGE, Setting(b, display, 1)), true);
  EXPECT_EQ(ViewerWatch::DisplayOn(PBT_POWERSETTINGCHANGE, Setting(b, display, 2)), true)
      << "a dimmed display is still seen";
  EXPECT_EQ(ViewerWatch::DisplayOn(PBT_POWERSETTINGCHANGE, Setting(b, other, 0)), std::nullopt);
  EXPECT_EQ(ViewerWatch::DisplayOn(PBT_APMSUSPEND, Setting(b, display, 0)), std::nullopt);
  EXPECT_EQ(ViewerWatch::SessionLocked(WTS_SESSION_LOCK), true);
  EXPECT_EQ(ViewerWatch::SessionLocked(WTS_SESSION_UNLOCK), false);
  EXPECT_EQ(ViewerWatch::SessionLocked(WTS_CONSOLE_CONNECT), std::nullopt);
}

}  // namespace
}  // namespace zm::win32
