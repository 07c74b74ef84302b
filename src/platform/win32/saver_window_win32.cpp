#include "platform/win32/saver_window_win32.h"

#include <windowsx.h>

#include "platform/win32/application.h"
#include "platform/win32/window_class.h"
#include "settings/saver_settings.h"
#include "shell/run_mode.h"

namespace zm::win32 {

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr const char* kMessageCaption = "Zelk Mirv";

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
    case kFrameRequest:
      screen_->DrawFrame();
      return 0;
    case WM_TIMER:
      if (wParam == kCloseTimer) screen_->CloseTimerFired();
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DISPLAYCHANGE:
      pacer_.ReadRefreshRate();  // a video mode of another rate
      break;
    case WM_ERASEBKGND:
      if (!SaverSettings.use_DirectX && bitmap_.Width() > 0) return 1;  // the bitmap covers it
      break;
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
  if (!SaverSettings.use_DirectX) {
    bitmap_.Draw(dc);
  } else if (screen_ != nullptr) {
    screen_->PictureLost();  // the flipped surface is gone: a still picture is drawn again
  }
  EndPaint(window_, &paint);
}

int32_t SaverWindowWin32::ScreenWidth() const { return GetSystemMetrics(SM_CXSCREEN); }
int32_t SaverWindowWin32::ScreenHeight() const { return GetSystemMetrics(SM_CYSCREEN); }

void SaverWindowWin32::SizeFrameBitmap(int32_t width, int32_t height) {
  bitmap_.Resize(width, height);
}

void SaverWindowWin32::PaintFrameBitmap() {
  HDC dc = GetDC(window_);
  bitmap_.Draw(dc);
  ReleaseDC(window_, dc);
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

// Maximised and topmost over the primary screen, or (in a switched video
// mode) an ordinary window over the whole of that mode's screen. The
// ordinary window keeps its place in the order: activation made it topmost.
void SaverWindowWin32::ApplyPresentation() {
  const bool onTop = presentation_ == WindowPresentation::kMaximisedOnTop;
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, ScreenWidth(), ScreenHeight(),
               SWP_NOACTIVATE | (onTop ? 0 : SWP_NOZORDER));
}

void SaverWindowWin32::BringToTop() {
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void SaverWindowWin32::SetScreenSaverRunning(bool running) {
  BOOL scratch = FALSE;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &scratch, 0);
  if (running) {
    covers_.Cover();
  } else {
    covers_.Remove();
  }
}

void SaverWindowWin32::MakeVisible() {
  ApplyPresentation();
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void SaverWindowWin32::PostFrameRequest() { PostMessageA(window_, kFrameRequest, 0, 0); }

void SaverWindowWin32::SetCloseTimer(int32_t milliseconds) {
  if (milliseconds > 0) {
    SetTimer(window_, kCloseTimer, static_cast<UINT>(milliseconds), nullptr);
  } else {
    KillTimer(window_, kCloseTimer);
  }
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

void SaverWindowWin32::ShowError(const char* message) {
  MessageBoxA(window_, message, kMessageCaption, MB_ICONERROR | MB_OK);
}

}  // namespace zm::win32
