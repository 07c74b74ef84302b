#include "platform/win32/about_box_win32.h"

#include <shellapi.h>

#include "platform/win32/application.h"
#include "platform/win32/controls.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/window_class.h"
#include "shell/dialog_layout.h"
#include "shell/dialog_texts.h"

namespace zm::win32 {

namespace layout = dialog_layout;

namespace {

constexpr int kMailLink = 200;
constexpr int kHomePageLink = 201;
// The logo's resource name.
constexpr int kLogoResource = 2;
constexpr COLORREF kNavy = RGB(0, 0, 128);

}  // namespace

AboutBoxWin32::AboutBoxWin32(HWND owner) : owner_(owner) {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  RECT frame{0, 0, layout::kAboutWidth, layout::kAboutHeight};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const wchar_t* name = RegisterWindowClass(L"ZelkMirvAbout", &Procedure, SilverBrush());
  window_ = CreateWindowExW(WS_EX_DLGMODALFRAME, name, ToWide(kAboutCaption).c_str(), style,
                            (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                            (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, owner,
                            nullptr, GetModuleHandleW(nullptr), this);
  font_ = DialogFont(-11);
  bold_ = DialogFont(-11, true);
  logo_ =
      static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kLogoResource),
                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  CreateControls();
}

AboutBoxWin32::~AboutBoxWin32() {
  about_ = nullptr;
  if (window_ != nullptr) DestroyWindow(window_);
  for (HGDIOBJ object :
       {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(bold_), static_cast<HGDIOBJ>(logo_)}) {
    if (object != nullptr) DeleteObject(object);
  }
}

void AboutBoxWin32::CreateControls() {
  // Ok is the default button: Enter presses it (identifier IDOK).
  CreateControl(window_, L"BUTTON", kOkCaption, BS_DEFPUSHBUTTON | WS_TABSTOP, layout::kAboutOk,
                IDOK, font_);
  CreateControl(window_, L"STATIC", kNoticeLine1, 0, layout::kNoticeLine1, 0, font_);
  CreateControl(window_, L"STATIC", kNoticeLine2, 0, layout::kNoticeLine2, 0, font_);
  CreateControl(window_, L"STATIC", kMailLabel, 0, layout::kMailLabel, 0, bold_);
  mail_ = CreateControl(window_, L"STATIC", kProjectMailAddress, SS_NOTIFY, layout::kMailLink,
                        kMailLink, font_);
  CreateControl(window_, L"STATIC", kHomePageLabel, 0, layout::kHomePageLabel, 0, bold_);
  homePage_ = CreateControl(window_, L"STATIC", kProjectHomePage, SS_NOTIFY,
                            layout::kHomePageLink, kHomePageLink, font_);
}

LRESULT CALLBACK AboutBoxWin32::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  AboutBoxWin32* self = WindowOwner<AboutBoxWin32>(window, message, lParam);
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) self->window_ = nullptr;
  if (self->about_ == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return Guarded([&] { return self->Handle(message, wParam, lParam); });
}

LRESULT AboutBoxWin32::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Esc reaches a dialog as the system's cancel command.
      if (LOWORD(wParam) == IDCANCEL) about_->FormKeyDown(kEscapeKey);
      if (LOWORD(wParam) == IDOK) about_->OkClick();
      if (LOWORD(wParam) == kMailLink && HIWORD(wParam) == STN_CLICKED) about_->MailLinkClick();
      if (LOWORD(wParam) == kHomePageLink && HIWORD(wParam) == STN_CLICKED) about_->HomePageLinkClick();
      return 0;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, RGB(192, 192, 192));
      SetTextColor(dc, OverLink(reinterpret_cast<HWND>(lParam)) ? kNavy : RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(SilverBrush());
    }
    case WM_SETCURSOR:
      if (OverLink(reinterpret_cast<HWND>(wParam))) {
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return TRUE;
      }
      break;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

// The bevel around the logo, the logo, and the line under the notice.
void AboutBoxWin32::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  DrawBevel(dc, ToRect(layout::kLogoBevel), false);
  if (logo_ != nullptr) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, logo_);
    const ClientRect& logo = layout::kLogo;
    BitBlt(dc, logo.left, logo.top, logo.width, logo.height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  RECT line = ToRect(layout::kRule);
  DrawEdge(dc, &line, EDGE_ETCHED, BF_BOTTOM);
  EndPaint(window_, &paint);
}

void AboutBoxWin32::ShowModal() {
  const HWND previousDialog = App().Dialog();
  EnableWindow(owner_, FALSE);
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  App().SetDialog(window_);
  modal_ = true;
  MSG message;
  while (modal_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (message.message == WM_QUIT && modal_) PostQuitMessage(static_cast<int>(message.wParam));
  App().SetDialog(previousDialog);
  EnableWindow(owner_, TRUE);
  SetForegroundWindow(owner_);
}

void AboutBoxWin32::Close() {
  if (!IsVisible()) return;
  modal_ = false;
  // The owner first, so the focus returns to it and not to another program.
  EnableWindow(owner_, TRUE);
  ShowWindow(window_, SW_HIDE);
  about_->FormHide();
}

bool AboutBoxWin32::OpenLink(const std::string& uri) {
  const auto result = reinterpret_cast<intptr_t>(
      ShellExecuteA(nullptr, "open", uri.c_str(), "", "", SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace zm::win32
