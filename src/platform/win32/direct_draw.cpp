#include "platform/win32/direct_draw.h"

#include <cstring>

namespace zm::win32 {

namespace {

// IDirectDraw2: {B3A6F3E0-2B43-11CF-A2DE-00AA00B93356}.
constexpr GUID kIidDirectDraw2 = {
    0xB3A6F3E0, 0x2B43, 0x11CF, {0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};

constexpr DWORD kExclusiveFullScreen = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT;
constexpr DWORD kPrimaryCaps =
    DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY;

static_assert(kExclusiveFullScreen == 0x13);
static_assert(kPrimaryCaps == 0x4218);
static_assert(DDSD_CAPS + DDSD_BACKBUFFERCOUNT == 0x21);
static_assert(sizeof(DDPIXELFORMAT) == 32);
// The record holds a pointer: 108 bytes in a 32-bit process, more in a
// 64-bit one, where DirectDraw expects the larger size.
static_assert(sizeof(void*) != 4 || sizeof(DDSURFACEDESC) == 108);

// The module's process-wide state.
struct DirectDrawState {
  bool notReady = true;
  HMODULE library = nullptr;  // DDRAW.DLL, loaded while the object lives
  IDirectDraw2* directDraw = nullptr;
  IDirectDrawSurface* primary = nullptr;
  IDirectDrawSurface* backBuffer = nullptr;  // part of the primary's chain
  HWND cooperativeWindow = nullptr;
  // Describes the primary surface at creation and receives each lock.
  DDSURFACEDESC description{};
};

DirectDrawState state;
DirectDrawCreateFunction createForTesting = nullptr;

void ReleasePrimary() {
  if (state.primary == nullptr) return;
  state.primary->Release();  // the attached back buffer goes with it
  state.primary = nullptr;
  state.backBuffer = nullptr;
}

void UnloadLibrary() {
  if (state.library != nullptr) FreeLibrary(state.library);
  state.library = nullptr;
}

// DirectDrawCreate from DDRAW.DLL, loaded here so that a system without
// DirectX still runs the program (on the bitmap path).
IDirectDraw* CreateDirectDraw() {
  DirectDrawCreateFunction create = createForTesting;
  if (create == nullptr) {
    state.library = LoadLibraryA("DDRAW.DLL");
    if (state.library == nullptr) return nullptr;
    create = reinterpret_cast<DirectDrawCreateFunction>(
        reinterpret_cast<void*>(GetProcAddress(state.library, "DirectDrawCreate")));
  }
  IDirectDraw* object = nullptr;
  if (create == nullptr || FAILED(create(nullptr, &object, nullptr))) return nullptr;
  return object;
}

HRESULT WINAPI CollectMode(LPDDSURFACEDESC mode, LPVOID context) {
  const auto bits = static_cast<int32_t>(mode->ddpfPixelFormat.dwRGBBitCount);
  if (bits == 16 || bits == 24 || bits == 32) {
    static_cast<std::vector<DisplayMode>*>(context)->push_back(
        {static_cast<int32_t>(mode->dwHeight), static_cast<int32_t>(mode->dwWidth),
         static_cast<int32_t>(mode->dwRefreshRate), bits});
  }
  return DDENUMRET_OK;
}

bool CreatePrimary(int32_t backBuffers) {
  std::memset(&state.description, 0, sizeof state.description);
  state.description.dwSize = sizeof state.description;
  state.description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  state.description.ddsCaps.dwCaps = kPrimaryCaps;
  state.description.dwBackBufferCount = backBuffers < 1 ? 1 : static_cast<DWORD>(backBuffers);
  if (SUCCEEDED(state.directDraw->CreateSurface(&state.description, &state.primary, nullptr))) {
    return true;
  }
  state.primary = nullptr;
  state.description.ddsCaps.dwCaps = kPrimaryCaps & ~DDSCAPS_VIDEOMEMORY;
  if (SUCCEEDED(state.directDraw->CreateSurface(&state.description, &state.primary, nullptr))) {
    return true;
  }
  state.primary = nullptr;
  return false;
}

}  // namespace

bool DirectXInstalled() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  static_assert(sizeof(OSVERSIONINFOA) == 148);
  if (!GetVersionExA(&version)) return false;
  const char* name = version.dwPlatformId == VER_PLATFORM_WIN32_NT ? "DINPUT.DLL" : "DDRAW.DLL";
  const HMODULE library = LoadLibraryA(name);
  if (library == nullptr) return false;
  FreeLibrary(library);
  return true;
}

bool DirectDrawStartup() {
  if (!state.notReady) return true;
  if (!DirectXInstalled()) return false;
  IDirectDraw* first = CreateDirectDraw();
  if (first == nullptr) {
    UnloadLibrary();
    return false;
  }
  void* second = nullptr;
  const HRESULT query = first->QueryInterface(kIidDirectDraw2, &second);
  first->Release();
  if (FAILED(query) || second == nullptr) {
    UnloadLibrary();
    return false;
  }
  state.directDraw = static_cast<IDirectDraw2*>(second);
  state.notReady = false;
  return true;
}

bool DirectDrawReady() { return !state.notReady; }

void DirectDrawShutdown() {
  if (state.notReady || state.directDraw == nullptr) return;
  ReleasePrimary();
  state.directDraw->Release();
  state.directDraw = nullptr;
  state.notReady = true;
  UnloadLibrary();
}

std::optional<std::vector<DisplayMode>> ListDisplayModes() {
  if (state.notReady) return std::nullopt;
  std::vector<DisplayMode> modes;
  state.directDraw->EnumDisplayModes(DDEDM_REFRESHRATES, nullptr, &modes, CollectMode);
  return modes;
}

bool SetVideoMode(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel,
                  int32_t refreshRate, int32_t backBuffers) {
  if (state.notReady) return false;
  state.cooperativeWindow = window;
  if (FAILED(state.directDraw->SetCooperativeLevel(window, kExclusiveFullScreen))) return false;
  if (FAILED(state.directDraw->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                              static_cast<DWORD>(bitsPerPixel),
                                              static_cast<DWORD>(refreshRate), 0))) {
    return false;
  }
  ReleasePrimary();
  if (!CreatePrimary(backBuffers)) return false;
  DDSCAPS backBufferCaps{DDSCAPS_BACKBUFFER};
  if (SUCCEEDED(state.primary->GetAttachedSurface(&backBufferCaps, &state.backBuffer))) {
    return true;
  }
  state.backBuffer = nullptr;
  return false;
}

bool RestoreVideoMode() {
  if (state.notReady) return false;
  ReleasePrimary();
  return SUCCEEDED(state.directDraw->SetCooperativeLevel(state.cooperativeWindow, DDSCL_NORMAL));
}

bool FlipDone() {
  if (state.backBuffer == nullptr) return true;
  return state.backBuffer->GetFlipStatus(DDGFS_ISFLIPDONE) == DD_OK;
}

bool LockBackBuffer(uint8_t*& address, int32_t& pitch) {
  if (state.notReady || state.backBuffer == nullptr) return false;
  if (FAILED(state.backBuffer->Lock(nullptr, &state.description, 0, nullptr))) return false;
  address = static_cast<uint8_t*>(state.description.lpSurface);
  pitch = static_cast<int32_t>(state.description.lPitch);
  return true;
}

bool FlipPage() {
  if (state.backBuffer == nullptr || state.primary == nullptr) return false;
  if (FAILED(state.backBuffer->Unlock(nullptr))) return false;
  const HRESULT flip = state.primary->Flip(nullptr, 0);
  if (SUCCEEDED(flip)) return true;
  return flip == DDERR_SURFACELOST && SUCCEEDED(state.primary->Restore());
}

IDirectDrawSurface* PrimarySurface() { return state.primary; }

void SetDirectDrawCreateForTesting(DirectDrawCreateFunction create) { createForTesting = create; }

}  // namespace zm::win32
