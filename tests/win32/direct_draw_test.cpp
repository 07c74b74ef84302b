// The DirectDraw layer against a scripted DirectDraw in memory: what it calls
// with which values, and how it answers the failures a display can show.
// Plain C vtables let the fake fill in only the operations the layer uses.
#define CINTERFACE
#include "platform/win32/direct_draw.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/win32/direct_draw_display.h"

namespace zm::win32 {
namespace {

const HWND kWindow = reinterpret_cast<HWND>(0x1234);

struct FakeDirectDraw {
  IDirectDraw first{};
  IDirectDraw2 object{};
  IDirectDrawSurface primary{};
  IDirectDrawSurface back{};
  HRESULT queryResult = S_OK;
  HRESULT videoMemoryResult = DD_OK;  // CreateSurface with DDSCAPS_VIDEOMEMORY
  HRESULT flipResult = DD_OK;
  HRESULT restoreResult = DD_OK;
  HRESULT unlockResult = DD_OK;
  std::vector<DDSURFACEDESC> modes;

  int creates = 0, firstReleases = 0, objectReleases = 0, primaryReleases = 0;
  int flips = 0, restores = 0;
  IID queried{};
  DWORD enumFlags = 0;
  std::vector<std::pair<HWND, DWORD>> levels;
  std::array<DWORD, 5> displayMode{};  // width, height, bits, refresh, flags
  std::vector<DDSURFACEDESC> surfaceRequests;
  DWORD attachedCaps = 0;
  DWORD lockFlags = 0xFFFFFFFF;
  bool lockedWithRect = true;
  uint32_t pixels[4] = {};
};

FakeDirectDraw* fake = nullptr;

HRESULT STDMETHODCALLTYPE FirstQuery(IDirectDraw*, REFIID iid, void** out) {
  fake->queried = iid;
  *out = SUCCEEDED(fake->queryResult) ? &fake->object : nullptr;
  return fake->queryResult;
}
ULONG STDMETHODCALLTYPE FirstRelease(IDirectDraw*) { return ++fake->firstReleases, 0; }
ULONG STDMETHODCALLTYPE ObjectRelease(IDirectDraw2*) { return ++fake->objectReleases, 0; }

HRESULT STDMETHODCALLTYPE CreateSurface(IDirectDraw2*, LPDDSURFACEDESC description,
                                        LPDIRECTDRAWSURFACE* out, IUnknown*) {
  fake->surfaceRequests.push_back(*description);
  if ((description->ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) && FAILED(fake->videoMemoryResult)) {
    return fake->videoMemoryResult;
  }
  *out = &fake->primary;
  return DD_OK;
}
HRESULT STDMETHODCALLTYPE EnumModes(IDirectDraw2*, DWORD flags, LPDDSURFACEDESC, LPVOID context,
                                    LPDDENUMMODESCALLBACK callback) {
  fake->enumFlags = flags;
  for (DDSURFACEDESC& mode : fake->modes) EXPECT_EQ(callback(&mode, context), DDENUMRET_OK);
  return DD_OK;
}
HRESULT STDMETHODCALLTYPE SetLevel(IDirectDraw2*, HWND window, DWORD level) {
  fake->levels.emplace_back(window, level);
  return DD_OK;
}
HRESULT STDMETHODCALLTYPE SetMode(IDirectDraw2*, DWORD width, DWORD height, DWORD bits,
                                  DWORD refresh, DWORD flags) {
  fake->displayMode = {width, height, bits, refresh, flags};
  return DD_OK;
}

ULONG STDMETHODCALLTYPE SurfaceRelease(IDirectDrawSurface* surface) {
  EXPECT_EQ(surface, &fake->primary) << "the back buffer goes with the primary surface";
  return ++fake->primaryReleases, 0;
}
HRESULT STDMETHODCALLTYPE Flip(IDirectDrawSurface* surface, LPDIRECTDRAWSURFACE, DWORD) {
  EXPECT_EQ(surface, &fake->primary);
  ++fake->flips;
  return fake->flipResult;
}
HRESULT STDMETHODCALLTYPE Attached(IDirectDrawSurface*, LPDDSCAPS caps, LPDIRECTDRAWSURFACE* out) {
  fake->attachedCaps = caps->dwCaps;
  *out = &fake->back;
  return DD_OK;
}
HRESULT STDMETHODCALLTYPE FlipStatus(IDirectDrawSurface*, DWORD flags) {
  return flags == DDGFS_ISFLIPDONE ? DD_OK : DDERR_INVALIDPARAMS;
}
HRESULT STDMETHODCALLTYPE GetFormat(IDirectDrawSurface*, LPDDPIXELFORMAT format) {
  if (format->dwSize != 32) return DDERR_INVALIDPARAMS;
  format->dwFlags = DDPF_RGB;
  format->dwRGBBitCount = 16;
  format->dwRBitMask = 0xF800;
  format->dwGBitMask = 0x07E0;
  format->dwBBitMask = 0x001F;
  return DD_OK;
}
HRESULT STDMETHODCALLTYPE Lock(IDirectDrawSurface*, LPRECT rect, LPDDSURFACEDESC description,
                               DWORD flags, HANDLE) {
  fake->lockedWithRect = rect != nullptr;
  fake->lockFlags = flags;
  if (description->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  description->lpSurface = fake->pixels;
  description->lPitch = 1280;
  return DD_OK;
}
HRESULT STDMETHODCALLTYPE Restore(IDirectDrawSurface*) {
  ++fake->restores;
  return fake->restoreResult;
}
HRESULT STDMETHODCALLTYPE Unlock(IDirectDrawSurface*, LPVOID) { return fake->unlockResult; }

// The operations the layer calls; every other entry stays null.
struct FakeVtables {
  FakeVtables() {
    first.QueryInterface = FirstQuery;
    first.Release = FirstRelease;
    object.Release = ObjectRelease;
    object.CreateSurface = CreateSurface;
    object.EnumDisplayModes = EnumModes;
    object.SetCooperativeLevel = SetLevel;
    object.SetDisplayMode = SetMode;
    surface.Release = SurfaceRelease;
    surface.Flip = Flip;
    surface.GetAttachedSurface = Attached;
    surface.GetFlipStatus = FlipStatus;
    surface.GetPixelFormat = GetFormat;
    surface.Lock = Lock;
    surface.Restore = Restore;
    surface.Unlock = Unlock;
  }
  IDirectDrawVtbl first{};
  IDirectDraw2Vtbl object{};
  IDirectDrawSurfaceVtbl surface{};
};

HRESULT WINAPI FakeCreate(GUID* driver, IDirectDraw** out, IUnknown* outer) {
  EXPECT_EQ(driver, nullptr);
  EXPECT_EQ(outer, nullptr);
  ++fake->creates;
  *out = &fake->first;
  return DD_OK;
}

DDSURFACEDESC Mode(DWORD width, DWORD height, DWORD refresh, DWORD bits) {
  DDSURFACEDESC mode{};
  mode.dwWidth = width;
  mode.dwHeight = height;
  mode.dwRefreshRate = refresh;
  mode.ddpfPixelFormat.dwRGBBitCount = bits;
  return mode;
}

class DirectDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_.first.lpVtbl = &vtables_.first;
    fake_.object.lpVtbl = &vtables_.object;
    fake_.primary.lpVtbl = &vtables_.surface;
    fake_.back.lpVtbl = &vtables_.surface;
    fake = &fake_;
    SetDirectDrawCreateForTesting(FakeCreate);
  }
  void TearDown() override {
    DirectDrawShutdown();
    SetDirectDrawCreateForTesting(nullptr);
    fake = nullptr;
  }
  FakeVtables vtables_;
  FakeDirectDraw fake_;
};

TEST_F(DirectDrawTest, StartsOnceAsksForIDirectDraw2AndShutsDown) {
  uint8_t* address = nullptr;
  int32_t pitch = 0;
  EXPECT_EQ(ListDisplayModes(), std::nullopt);
  EXPECT_FALSE(SetVideoMode(kWindow, 640, 480, 32, 0, 1));
  EXPECT_FALSE(RestoreVideoMode());
  EXPECT_FALSE(LockBackBuffer(address, pitch));

  ASSERT_TRUE(DirectDrawStartup());
  EXPECT_TRUE(DirectDrawStartup());
  EXPECT_TRUE(DirectDrawReady());
  EXPECT_EQ(fake_.creates, 1);
  EXPECT_EQ(fake_.firstReleases, 1);
  const IID directDraw2 = {
      0xB3A6F3E0, 0x2B43, 0x11CF, {0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
  EXPECT_TRUE(IsEqualIID(fake_.queried, directDraw2));

  DirectDrawShutdown();
  EXPECT_FALSE(DirectDrawReady());
  EXPECT_EQ(fake_.objectReleases, 1);
}

TEST_F(DirectDrawTest, StartupFailsWithoutIDirectDraw2AndReleasesTheFirstObject) {
  fake_.queryResult = E_NOINTERFACE;
  EXPECT_FALSE(DirectDrawStartup());
  EXPECT_FALSE(DirectDrawReady());
  EXPECT_EQ(fake_.firstReleases, 1);
}

TEST_F(DirectDrawTest, ListsModesOfSixteenBitsAndMoreInEnumerationOrder) {
  fake_.modes = {Mode(640, 480, 60, 8),  Mode(640, 480, 75, 32), Mode(640, 480, 60, 32),
                 Mode(1024, 768, 0, 16), Mode(320, 200, 70, 4),  Mode(800, 600, 0, 24)};
  ASSERT_TRUE(DirectDrawStartup());
  const auto modes = ListDisplayModes();
  ASSERT_TRUE(modes.has_value());
  EXPECT_EQ(fake_.enumFlags, DWORD{DDEDM_REFRESHRATES});
  EXPECT_EQ(*modes,
            (std::vector<DisplayMode>{
                {480, 640, 75, 32}, {480, 640, 60, 32}, {768, 1024, 0, 16}, {600, 800, 0, 24}}));
}

TEST_F(DirectDrawTest, SwitchesWithVideoMemoryFirstAndRestoresTheDesktop) {
  fake_.videoMemoryResult = DDERR_OUTOFVIDEOMEMORY;
  ASSERT_TRUE(DirectDrawStartup());
  EXPECT_TRUE(FlipDone()) << "no back buffer: nothing to wait for";
  ASSERT_TRUE(SetVideoMode(kWindow, 640, 480, 16, 0, 0));

  EXPECT_EQ(fake_.levels, (std::vector<std::pair<HWND, DWORD>>{{kWindow, 0x13}}));
  EXPECT_EQ(fake_.displayMode, (std::array<DWORD, 5>{640, 480, 16, 0, 0}));
  ASSERT_EQ(fake_.surfaceRequests.size(), 2u);
  for (const DDSURFACEDESC& request : fake_.surfaceRequests) {
    EXPECT_EQ(request.dwSize, sizeof(DDSURFACEDESC));
    EXPECT_EQ(request.dwFlags, DWORD{0x21});
    EXPECT_EQ(request.dwBackBufferCount, 1u) << "at least one back buffer";
  }
  EXPECT_EQ(fake_.surfaceRequests[0].ddsCaps.dwCaps, DWORD{0x4218});
  EXPECT_EQ(fake_.surfaceRequests[1].ddsCaps.dwCaps, DWORD{0x0218});
  EXPECT_EQ(fake_.attachedCaps, DWORD{DDSCAPS_BACKBUFFER});
  EXPECT_EQ(PrimarySurface(), &fake_.primary);

  // The engine's view: the primary surface's format, and a lock that does
  // not wait, of the whole back buffer.
  DirectDrawDisplay display;
  PixelFormat format;
  ASSERT_TRUE(display.GetPixelFormat(format));
  EXPECT_EQ(format.flags, kPixelFormatRgb);
  EXPECT_EQ(format.rgbBitCount, 16u);
  EXPECT_EQ(format.redMask | format.greenMask | format.blueMask, 0xFFFFu);
  uint8_t* address = nullptr;
  int32_t pitch = 0;
  EXPECT_TRUE(display.FlipDone());
  ASSERT_TRUE(display.LockBackBuffer(address, pitch));
  EXPECT_EQ(address, reinterpret_cast<uint8_t*>(fake_.pixels));
  EXPECT_EQ(pitch, 1280);
  EXPECT_EQ(fake_.lockFlags, 0u);
  EXPECT_FALSE(fake_.lockedWithRect);

  EXPECT_TRUE(RestoreVideoMode());
  EXPECT_EQ(fake_.primaryReleases, 1);
  EXPECT_EQ(PrimarySurface(), nullptr);
  EXPECT_FALSE(display.HasPrimarySurface());
  EXPECT_EQ(fake_.levels.back(), std::make_pair(kWindow, DWORD{DDSCL_NORMAL}));
}

TEST_F(DirectDrawTest, FlipRestoresALostSurfaceOnce) {
  ASSERT_TRUE(DirectDrawStartup());
  ASSERT_TRUE(SetVideoMode(kWindow, 640, 480, 32, 0, 1));
  EXPECT_TRUE(FlipPage());
  EXPECT_EQ(fake_.restores, 0);

  fake_.flipResult = DDERR_SURFACELOST;
  EXPECT_TRUE(FlipPage());
  EXPECT_EQ(fake_.restores, 1);
  fake_.restoreResult = DDERR_WRONGMODE;
  EXPECT_FALSE(FlipPage());
  EXPECT_EQ(fake_.restores, 2);

  fake_.flipResult = DDERR_WASSTILLDRAWING;
  EXPECT_FALSE(FlipPage());
  EXPECT_EQ(fake_.restores, 2) << "only a lost surface is restored";

  fake_.unlockResult = DDERR_NOTLOCKED;
  const int flips = fake_.flips;
  EXPECT_FALSE(FlipPage());
  EXPECT_EQ(fake_.flips, flips) << "no flip after a failed unlock";
}

}  // namespace
}  // namespace zm::win32
