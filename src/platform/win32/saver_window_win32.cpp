#include "platform/win32/saver_window_win32.h"

#include <windowsx.h>

#include <utility>

#include "platform/win32/application.h"
#include "platform/win32/direct_draw.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/window_class.h"
#include "shell/run_mode.h"

namespace zm::win32 {

namespace {

constexpr const char* kMessageCaption = "Zelk Mirv";

#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

// The virtual screen: the bounding box of all monitors, in the desktop's
// pixels (its origin is left of or above the primary monitor's when a
// monitor stands there).
RECT VirtualScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
              top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

struct MonitorList {
  POINT origin;  // the window's client origin on the desktop
  std::vector<MonitorArea> monitors;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFOEXW info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  auto& [origin, monitors] = *reinterpret_cast<MonitorList*>(list);
  const RECT& r = info.rcMonitor;
  monitors.push_back(
      MonitorArea{{r.left - origin.x, r.top - origin.y, r.right - r.left, r.bottom - r.top},
                  (info.dwFlags & MONITORINFOF_PRIMARY) != 0,
                  ToUtf8(info.szDevice)});
  return TRUE;
}

}  // namespace

SaverWindowWin32::SaverWindowWin32() {
  const wchar_t* name = RegisterWindowClass(L"ZelkMirvScreen", &Procedure,
                                            static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  // The size at design; the presentation replaces it before the window shows.
  window_ = CreateWindowExW(0, name, L"MainScreen", WS_POPUP, 198, 174, 529, 208, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
  viewers_ = std::make_unique<ViewerWatch>(window_);
}

SaverWindowWin32::~SaverWindowWin32() {
  loop_.reset();
  screen_ = nullptr;
  viewers_.reset();
  if (window_ != nullptr) DestroyWindow(window_);
}

LRESULT CALLBACK SaverWindowWin32::Procedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  SaverWindowWin32* self = WindowOwner<SaverWindowWin32>(window, message, lParam);
  if (self == nullptr || self->screen_ == nullptr) {
    if (message == WM_DESTROY && self != nullptr) self->window_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return Guarded([&] { return self->Handle(message, wParam, lParam); });
}

bool SaverWindowWin32::HandleInput(UINT message, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      screen_->FormMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      screen_->FormMouseDown();
      return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      screen_->FormKeyDown();
      return true;
    default:
      return false;
  }
}

// The display turned off or on, the session locked or unlocked: whether
// anyone can see the frames.
bool SaverWindowWin32::HandleViewerChange(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_POWERBROADCAST) {
    if (const std::optional<bool> on = ViewerWatch::DisplayOn(wParam, lParam)) {
      screen_->DisplayPowerChanged(*on);
    }
    if (ViewerWatch::PowerSourceMessage(wParam, lParam)) {
      screen_->PowerSourceChanged(ViewerWatch::OnBattery());
    }
    return true;
  }
  if (message == WM_WTSSESSION_CHANGE) {
    if (const std::optional<bool> locked = ViewerWatch::SessionLocked(wParam)) {
      screen_->SessionLockChanged(*locked);
    }
    return true;
  }
  return false;
}

LRESULT SaverWindowWin32::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (HandleInput(message, lParam)) return 0;
  if (HandleViewerChange(message, wParam, lParam)) return TRUE;
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) screen_->FormActivate();
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DISPLAYCHANGE:
      pacer_.ReadRefreshRate();  // a video mode of another rate
      ScreenChanged();
      break;
    case WM_DPICHANGED:
      // The suggested rectangle is one monitor's; the window keeps covering
      // all of them.
      ScreenChanged();
      return 0;
    case WM_ERASEBKGND:
      if (screen_ == nullptr || !screen_->DrawsOnBitmap() || bitmap_.Width() == 0) break;
      EraseAroundFrame(reinterpret_cast<HDC>(wParam));  // the bitmap covers its own part
      return 1;
    case WM_SYSCOMMAND:
      // No second saver while this runs (a monitor power-down still may).
      if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      if (RunMode == rmSaver) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void SaverWindowWin32::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  if (screen_ != nullptr && screen_->WindowExposed()) bitmap_.Draw(dc, frameLeft_, frameTop_);
  EndPaint(window_, &paint);
}

// A monitor added, removed, moved or given another resolution or scale: the
// full-screen window takes the new virtual screen, and the saver screen
// works out the frame's area again.
void SaverWindowWin32::ScreenChanged() {
  if (presentation_ == WindowPresentation::kMaximisedOnTop && IsVisible()) ApplyPresentation();
  screen_->WindowSizeChanged();
}

// On the bitmap path the window covers the virtual screen; in a switched
// video mode, the primary monitor.
RECT SaverWindowWin32::ScreenRect() const {
  if (presentation_ == WindowPresentation::kMaximisedOnTop) return VirtualScreen();
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

int32_t SaverWindowWin32::ScreenWidth() const {
  const RECT r = ScreenRect();
  return r.right - r.left;
}

int32_t SaverWindowWin32::ScreenHeight() const {
  const RECT r = ScreenRect();
  return r.bottom - r.top;
}

// In the pixels of the window as it stands once shown (ScreenRect), which
// a hidden window does not yet.
std::vector<MonitorArea> SaverWindowWin32::Monitors() const {
  const RECT screen = ScreenRect();
  MonitorList list{{screen.left, screen.top}, {}};
  EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&list));
  return list.monitors;
}

// A frame of another size or place leaves part of the window to go black.
void SaverWindowWin32::SizeFrameBitmap(int32_t width, int32_t height) {
  const bool resized = width != bitmap_.Width() || height != bitmap_.Height();
  bitmap_.Resize(width, height);
  if (resized) InvalidateRect(window_, nullptr, TRUE);
}

void SaverWindowWin32::PlaceFrameBitmap(int32_t left, int32_t top) {
  if (left == frameLeft_ && top == frameTop_) return;
  frameLeft_ = left;
  frameTop_ = top;
  InvalidateRect(window_, nullptr, TRUE);
}

void SaverWindowWin32::PaintFrameBitmap() {
  HDC dc = GetDC(window_);
  bitmap_.Draw(dc, frameLeft_, frameTop_);
  ReleaseDC(window_, dc);
}

// Black wherever the frame bitmap does not reach (the monitors the ornament
// leaves out).
void SaverWindowWin32::EraseAroundFrame(HDC dc) const {
  RECT client{};
  GetClientRect(window_, &client);
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, frameLeft_, frameTop_, frameLeft_ + bitmap_.Width(),
                  frameTop_ + bitmap_.Height());
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RestoreDC(dc, saved);
}

WaitDialog& SaverWindowWin32::Wait() {
  if (!wait_) wait_ = std::make_unique<WaitDialogWin32>(window_);
  return *wait_;
}

void SaverWindowWin32::ProcessMessages() { App().ProcessMessages(); }

void SaverWindowWin32::SetPresentation(WindowPresentation presentation) {
  presentation_ = presentation;
  if (IsVisible()) ApplyPresentation();
}

// Topmost over every monitor, or (in a switched video mode) an ordinary
// window over the whole of that mode's screen, with the other monitors
// covered. The ordinary window keeps its place in the order: activation
// made it topmost.
void SaverWindowWin32::ApplyPresentation() {
  const bool onTop = presentation_ == WindowPresentation::kMaximisedOnTop;
  const RECT r = ScreenRect();
  SetWindowPos(window_, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOACTIVATE | (onTop ? 0 : SWP_NOZORDER));
  UpdateCovers();
}

void SaverWindowWin32::UpdateCovers() {
  if (saverRunning_ && presentation_ == WindowPresentation::kNormal) {
    covers_.Cover();
  } else {
    covers_.Remove();
  }
}

void SaverWindowWin32::BringToTop() {
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void SaverWindowWin32::SetScreenSaverRunning(bool running) {
  BOOL scratch = FALSE;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &scratch, 0);
  saverRunning_ = running;
  UpdateCovers();
}

void SaverWindowWin32::MakeVisible() {
  ApplyPresentation();
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void SaverWindowWin32::SetCloseTimer(int32_t milliseconds) {
  if (loop_) loop_->SetCloseTimer(milliseconds);
}

void SaverWindowWin32::ShrinkBeforeClosing() {
  SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOACTIVATE);
}

void SaverWindowWin32::Close() {
  if (window_ == nullptr) return;
  switch (screen_->Closing()) {
    case SaverScreen::CloseAction::kStayOpen:
      return;
    case SaverScreen::CloseAction::kHide:
      ShowWindow(window_, SW_HIDE);
      return;
    case SaverScreen::CloseAction::kDestroy:
      DestroyWindow(window_);
      return;
  }
}

void SaverWindowWin32::Attach(SaverScreen* screen) {
  screen_ = screen;
  if (screen_ == nullptr) {
    loop_.reset();
    return;
  }
  loop_.emplace(*screen_, static_cast<LoopPlatform&>(*this));
  screen_->PowerSourceChanged(ViewerWatch::OnBattery());
}

void SaverWindowWin32::RunLoop() {
  while (loop_ && loop_->Step()) {
  }
  App().RethrowKeptError();
}

// The run is over once the window is destroyed (its destruction posts the
// quit message) or a handler kept an error.
bool SaverWindowWin32::ServePending() { return App().DispatchWaiting() && window_ != nullptr; }

// A slot taken now lets the frame go. The page-flipped path waits for its
// slot at each flip. The compositor's frames come as an event: when the
// estimate of the next one has passed, only that event can tell.
int32_t SaverWindowWin32::MsUntilFrame() {
  if (PrimarySurface() != nullptr || pacer_.TakeSlot()) return 0;
  slotAwaited_ = true;
  const int32_t left = pacer_.MsUntilSlot();
  return left > 0 ? left : -1;
}

void SaverWindowWin32::WaitForEvents(int32_t timeoutMs) {
  if (std::exchange(slotAwaited_, false)) {
    pacer_.WaitForSlotOrMessage(timeoutMs);
  } else {
    WaitForMessage(timeoutMs);
  }
}

void SaverWindowWin32::ShowError(const char* message) {
  MessageBoxA(window_, message, kMessageCaption, MB_ICONERROR | MB_OK);
}

}  // namespace zm::win32
