#include "platform/win32/setup_dialog_win32.h"

#include <commctrl.h>

#include "platform/win32/application.h"
#include "platform/win32/controls.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/window_class.h"
#include "settings/monitor_layout.h"
#include "shell/dialog_layout.h"
#include "shell/dialog_texts.h"
#include "shell/program_entry.h"

namespace zm::win32 {

namespace layout = dialog_layout;

namespace {

// The video-mode box with its list dropped down.
constexpr int kDroppedListHeight = 200;

// Control identifiers; 1 and 2 are the system's Enter and Esc, which this
// dialog binds to no button.
enum ControlId {
  kPreviewButton = 100,
  kSpeed,
  kAllColors,
  kOkButton,
  kCancelButton,
  kAboutButton,
  kModes,
  kUseDirectX,
  kMonitors,
  kFrames,
  kFirstColor,
};

void Check(HWND box, bool checked) {
  SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

SetupDialogWin32::SetupDialogWin32() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // Not WS_CLIPCHILDREN: the group boxes draw only their frames and rely on
  // the dialog's background under them.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, layout::kSetupWidth, layout::kSetupHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const wchar_t* name = RegisterWindowClass(L"ZelkMirvSetup", &Procedure, SilverBrush());
  window_ = CreateWindowExW(0, name, ToWide(kSetupCaption).c_str(), style,
                            (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                            (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
  font_ = DialogFont(-11);
  CreateControls();
}

SetupDialogWin32::~SetupDialogWin32() {
  dialog_ = nullptr;
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

// Created in tab order: Preview, the speed, the colours, Ok, Cancel, About,
// the video mode, "Use DirectX" and the monitor layout.
void SetupDialogWin32::CreateControls() {
  const DWORD tab = WS_TABSTOP;
  CreateControl(window_, L"BUTTON", kPreviewCaption, BS_PUSHBUTTON | tab, layout::kPreviewButton,
                kPreviewButton, font_);
  CreateControl(window_, L"STATIC", kSpeedLabel, 0, layout::kSpeedLabel, 0, font_);
  speed_ =
      CreateControl(window_, TRACKBAR_CLASSW, "", TBS_HORZ | TBS_NOTICKS | TBS_FIXEDLENGTH | tab,
                    layout::kSpeed, kSpeed, font_);
  SendMessageW(speed_, TBM_SETRANGE, FALSE, MAKELPARAM(0, kSpeedMaximum));
  SendMessageW(speed_, TBM_SETTHUMBLENGTH, 18, 0);
  SendMessageW(speed_, TBM_SETPOS, TRUE, 10);
  CreateColorGroup();
  // WS_GROUP ends the colour entries' group, so the arrow keys stay in it.
  CreateControl(window_, L"BUTTON", kOkCaption, BS_PUSHBUTTON | WS_GROUP | tab, layout::kOk,
                kOkButton, font_);
  CreateControl(window_, L"BUTTON", kCancelCaption, BS_PUSHBUTTON | tab, layout::kCancel,
                kCancelButton, font_);
  CreateControl(window_, L"BUTTON", kAboutButtonCaption, BS_PUSHBUTTON | tab, layout::kAbout,
                kAboutButton, font_);
  CreateControl(window_, L"STATIC", kVideoModeLabel, 0, layout::kVideoModeLabel, 0, font_);
  // A Win32 combo box's height includes its dropped-down list.
  ClientRect modes = layout::kVideoModes;
  modes.height = kDroppedListHeight;
  modes_ = CreateControl(window_, L"COMBOBOX", "",
                         CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | tab, modes, kModes, font_);
  SendMessageW(modes_, CB_SETITEMHEIGHT, 0, 13);
  useDirectX_ = CreateControl(window_, L"BUTTON", kUseDirectXCaption, BS_AUTOCHECKBOX | tab,
                              layout::kUseDirectX, kUseDirectX, font_);
  CreateMonitorsBox();
}

// "Monitors:", a drop-down list of the layouts' names in the order of their
// entries.
void SetupDialogWin32::CreateMonitorsBox() {
  CreateControl(window_, L"STATIC", kMonitorsLabel, 0, layout::kMonitorsLabel, 0, font_);
  ClientRect box = layout::kMonitors;
  box.height = kDroppedListHeight;
  monitors_ =
      CreateControl(window_, L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP, box, kMonitors, font_);
  // The closed box's height is its selection field's plus a 3-pixel border
  // above and below.
  SendMessageW(monitors_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), layout::kMonitors.height - 6);
  for (MonitorLayout entry :
       {MonitorLayout::kPrimary, MonitorLayout::kEach, MonitorLayout::kSpan}) {
    const std::wstring name = ToWide(MonitorLayoutName(entry));
    SendMessageW(monitors_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  // "Frames:", the same kind of list, of the frame limits.
  CreateControl(window_, L"STATIC", kFramesLabel, 0, layout::kFramesLabel, 0, font_);
  box = layout::kFrames;
  box.height = kDroppedListHeight;
  frames_ =
      CreateControl(window_, L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP, box, kFrames, font_);
  SendMessageW(frames_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), layout::kFrames.height - 6);
  for (int32_t entry = 0; entry < kFrameLimitEntryCount; ++entry) {
    const std::wstring name = ToWide(FrameLimitEntryCaption(entry));
    SendMessageW(frames_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
}

// The group "Colors:" with "All colors" and the nine colour entries, which
// sit in a frame of their own and share the space evenly.
void SetupDialogWin32::CreateColorGroup() {
  CreateControl(window_, L"BUTTON", kColorsGroupCaption, BS_GROUPBOX, layout::kColorsGroup, 0,
                font_);
  allColors_ = CreateControl(window_, L"BUTTON", kAllColorsCaption, BS_AUTOCHECKBOX | WS_TABSTOP,
                             layout::kAllColors, kAllColors, font_);
  colorFrame_ = CreateControl(window_, L"BUTTON", "", BS_GROUPBOX, layout::kColorFrame, 0, font_);
  for (size_t i = 0; i < colors_.size(); ++i) {
    const auto entry = static_cast<int32_t>(i);
    const DWORD first = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
    colors_[i] = CreateControl(window_, L"BUTTON", std::string(MaterialEntryCaption(entry)).c_str(),
                               BS_AUTORADIOBUTTON | first, layout::ColorEntry(entry),
                               kFirstColor + entry, font_);
  }
}

void SetupDialogWin32::Show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  App().SetDialog(window_);
}

LRESULT CALLBACK SetupDialogWin32::Procedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  SetupDialogWin32* self = WindowOwner<SetupDialogWin32>(window, message, lParam);
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) self->window_ = nullptr;
  if (self->dialog_ == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return Guarded([&] { return self->Handle(message, wParam, lParam); });
}

LRESULT SetupDialogWin32::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == speed_) dialog_->ShapeSpeedChange();
      return 0;
    case WM_ACTIVATE:
      // Remember the focused control, as a dialog does, to give it the
      // focus back when the dialog is active again (after the About box,
      // the preview or another program).
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) focus_ = focus;
      }
      return DefWindowProcW(window_, message, wParam, lParam);
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_ACTIVATEAPP:
      if (wParam) {
        dialog_->AppActivated();
      } else {
        dialog_->AppDeactivated();
      }
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(192, 192, 192));
      return reinterpret_cast<LRESULT>(SilverBrush());
    case WM_PAINT:
      Paint();
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DESTROY:
      App().SetDialog(nullptr);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

void SetupDialogWin32::Command(int id, int code) {
  if (id >= kFirstColor && id < kFirstColor + static_cast<int>(colors_.size())) {
    if (code == BN_CLICKED) dialog_->MaterialsClick();
    return;
  }
  switch (id) {
    case kPreviewButton:
      dialog_->ShowPreviewClick();
      break;
    case kAllColors:
      dialog_->All_MaterialsClick();
      break;
    case kOkButton:
      dialog_->OkClick();
      break;
    case kCancelButton:
      dialog_->CancelClick();
      break;
    case kAboutButton:
      dialog_->AboutClick();
      break;
    case kUseDirectX:
      dialog_->UseDirectXClick();
      break;
    case kMonitors:
      if (code == CBN_SELCHANGE) dialog_->MonitorsChange();
      break;
    case kFrames:
      if (code == CBN_SELCHANGE) dialog_->FramesChange();
      break;
    case kModes:
      if (code == CBN_SELCHANGE) {
        // The text field changes only after this notice: take the chosen
        // entry's text into it first, so the dialog reads the new text.
        const LRESULT index = SendMessageW(modes_, CB_GETCURSEL, 0, 0);
        if (index != CB_ERR) {
          wchar_t text[256] = {};
          if (SendMessageW(modes_, CB_GETLBTEXTLEN, index, 0) < 255) {
            SendMessageW(modes_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
            SetWindowTextW(modes_, text);
          }
        }
        dialog_->GraphModesListChange();
      } else if (code == CBN_EDITCHANGE) {
        dialog_->GraphModesListChange();
      }
      break;
    default:
      break;
  }
}

// The focus goes to the control that had it last, or to the first control
// in tab order (Preview) when that cannot take it.
void SetupDialogWin32::RestoreFocus() {
  if (focus_ == nullptr || !IsWindowEnabled(focus_) || !IsWindowVisible(focus_)) {
    focus_ = GetNextDlgTabItem(window_, nullptr, FALSE);
  }
  if (focus_ != nullptr) SetFocus(focus_);
}

void SetupDialogWin32::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  DrawBevel(dc, ToRect(layout::kPanel), false);
  EndPaint(window_, &paint);
  // The preview is not kept: a still one is drawn again.
  if (dialog_ != nullptr) dialog_->PreviewLost();
}

int32_t SetupDialogWin32::ClientWidth() const {
  RECT rect{};
  GetClientRect(window_, &rect);
  return rect.right - rect.left;
}

void SetupDialogWin32::SetSpeedPosition(int32_t position) {
  SendMessageW(speed_, TBM_SETPOS, TRUE, position);
}

int32_t SetupDialogWin32::SpeedPosition() const {
  return static_cast<int32_t>(SendMessageW(speed_, TBM_GETPOS, 0, 0));
}

void SetupDialogWin32::SelectMaterialEntry(int32_t entry) {
  for (size_t i = 0; i < colors_.size(); ++i) Check(colors_[i], static_cast<int32_t>(i) == entry);
}

int32_t SetupDialogWin32::SelectedMaterialEntry() const {
  for (size_t i = 0; i < colors_.size(); ++i) {
    if (Checked(colors_[i])) return static_cast<int32_t>(i);
  }
  return -1;
}

void SetupDialogWin32::EnableMaterialEntries(bool enabled) {
  EnableWindow(colorFrame_, enabled);
  for (HWND entry : colors_) EnableWindow(entry, enabled);
}

void SetupDialogWin32::CheckAllColors(bool checked) { Check(allColors_, checked); }
bool SetupDialogWin32::AllColorsChecked() const { return Checked(allColors_); }

void SetupDialogWin32::SetModeEntries(const std::vector<std::string>& texts) {
  SendMessageW(modes_, CB_RESETCONTENT, 0, 0);
  for (const std::string& text : texts) {
    SendMessageW(modes_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(text).c_str()));
  }
}

void SetupDialogWin32::SetModeText(const std::string& text) {
  SetWindowTextW(modes_, ToWide(text).c_str());
}

std::string SetupDialogWin32::ModeText() const {
  wchar_t text[256] = {};
  GetWindowTextW(modes_, text, 256);
  return ToUtf8(text);
}

void SetupDialogWin32::EnableModeBox(bool enabled) { EnableWindow(modes_, enabled); }
void SetupDialogWin32::CheckUseDirectX(bool checked) { Check(useDirectX_, checked); }
bool SetupDialogWin32::UseDirectXChecked() const { return Checked(useDirectX_); }
void SetupDialogWin32::EnableUseDirectX(bool enabled) { EnableWindow(useDirectX_, enabled); }

void SetupDialogWin32::SelectMonitorsEntry(int32_t entry) {
  SendMessageW(monitors_, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

int32_t SetupDialogWin32::MonitorsEntry() const {
  const LRESULT index = SendMessageW(monitors_, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int32_t>(index);
}

void SetupDialogWin32::EnableMonitors(bool enabled) { EnableWindow(monitors_, enabled); }

void SetupDialogWin32::SelectFramesEntry(int32_t entry) {
  SendMessageW(frames_, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

int32_t SetupDialogWin32::FramesEntry() const {
  const LRESULT index = SendMessageW(frames_, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int32_t>(index);
}

void SetupDialogWin32::SetBusyCursor(bool busy) {
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(busy ? IDC_WAIT : IDC_ARROW)));
}

void SetupDialogWin32::DrawPreview(const BitmapView& frame, const ClientRect& target) {
  if (frame.firstRow == nullptr || frame.width <= 0 || frame.height <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = static_cast<LONG>(frame.pitch / 4);
  info.bmiHeader.biHeight = -frame.height;  // row 0 first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(window_);
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, target.left, target.top, target.width, target.height, 0, 0, frame.width,
                frame.height, frame.firstRow, &info, DIB_RGB_COLORS, SRCCOPY);
  ReleaseDC(window_, dc);
}

void SetupDialogWin32::Close() {
  if (window_ == nullptr || !dialog_->FormCloseQuery()) return;
  DestroyWindow(window_);
}

void SetupDialogWin32::ShowError(const std::string& message) {
  MessageBoxW(window_, ToWide(message).c_str(), ToWide(kApplicationTitle).c_str(),
              MB_ICONERROR | MB_OK);
}

}  // namespace zm::win32
