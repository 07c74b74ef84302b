// Drives the saver's setup dialog from outside, as a user would, through the
// controls' own window messages: the end-to-end scripts run it under Wine
// beside a configure run of the saver.
//
// Usage: dialog_driver.exe COMMAND [ARGS...]
//   wait TITLE [SECONDS]     waits until a window with this caption is visible
//   wait-gone TITLE [SECONDS] waits until no window with this caption is visible
//   state                    prints the dialog's controls, one KEY=value a line
//   click CAPTION [TITLE]    clicks a button, check box or radio button of the
//                            window TITLE (the setup dialog by default)
//   speed N                  moves the speed trackbar to N, notifying the dialog
//   message-box [SECONDS]    waits for a message box, prints its caption and
//                            texts, and presses its button
//   preview-moves [SECONDS [FILE.ppm]]  succeeds once two captures of the
//                            preview differ and show a picture
//   preview-still [SECONDS [FILE.ppm]]  succeeds once two captures a second
//                            apart are the same picture (the preview paused)
//   choose-mode TEXT         picks an entry of the video-mode box's list
//   choose-monitors TEXT     picks an entry of the "Monitors:" list
//   steal-focus SECONDS [FILE]  another program's window takes the focus
//                            until FILE exists or SECONDS pass
//   activate TITLE           brings a window to the front
//   close TITLE              closes a window as its close box does
//   origin TITLE             prints the screen position of a window's client area
//   cursor-over TEXT TITLE   points at a control of window TITLE and prints
//                            the handle of the cursor shown there
// Exit status 0 on success, 1 when a window or control is missing or a wait
// times out, 2 on bad arguments.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// windows.h first: the common controls' header needs its types.
#include <commctrl.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const wchar_t* kDialogTitle = L"Zelk Mirv Screen Saver 1.1";
constexpr const wchar_t* kSaverClass = L"ZelkMirvScreen";
// The preview rectangle in the dialog's client area.
constexpr int kPreviewLeft = 294;
constexpr int kPreviewTop = 8;
constexpr int kPreviewWidth = 271;
constexpr int kPreviewHeight = 223;

struct Control {
  HWND window;
  std::wstring windowClass;
  std::wstring text;
};

std::wstring Widen(const char* text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(length > 0 ? length - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  // WM_GETTEXT reaches another process's window; GetWindowText would not
  // ask a control of another process for its text.
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      2000, nullptr);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<Control>*>(list)->push_back(
      {window, ClassOf(window), TextOf(window)});
  return TRUE;
}

std::vector<Control> ChildrenOf(HWND parent) {
  std::vector<Control> children;
  EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND FindChild(HWND parent, const wchar_t* windowClass, const wchar_t* text) {
  for (const Control& child : ChildrenOf(parent)) {
    if (windowClass != nullptr && lstrcmpiW(child.windowClass.c_str(), windowClass) != 0) continue;
    if (text != nullptr && child.text != text) continue;
    return child.window;
  }
  return nullptr;
}

HWND VisibleWindow(const wchar_t* windowClass, const wchar_t* title) {
  HWND window = FindWindowW(windowClass, title);
  return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

// Polls every 50 ms until `found` answers a window or the time is up.
template <typename Find>
HWND WaitFor(Find found, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (HWND window = found()) return window;
    if (std::chrono::steady_clock::now() > end) return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

HWND Dialog() {
  HWND dialog = FindWindowW(nullptr, kDialogTitle);
  if (dialog == nullptr) std::fprintf(stderr, "no setup dialog\n");
  return dialog;
}

HWND Required(HWND parent, const wchar_t* windowClass, const wchar_t* text) {
  HWND control = parent != nullptr ? FindChild(parent, windowClass, text) : nullptr;
  if (control == nullptr) {
    std::fprintf(stderr, "no control %s \"%s\"\n", windowClass ? Narrow(windowClass).c_str() : "",
                 text ? Narrow(text).c_str() : "");
  }
  return control;
}

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The two combo boxes: the video modes' has a text field (CBS_DROPDOWN), the
// monitor layouts' a list only (CBS_DROPDOWNLIST).
HWND ComboBox(HWND dialog, DWORD kind) {
  for (const Control& child : ChildrenOf(dialog)) {
    const LONG style = GetWindowLongW(child.window, GWL_STYLE);
    if (lstrcmpiW(child.windowClass.c_str(), L"ComboBox") == 0 && (style & 3) == kind) {
      return child.window;
    }
  }
  std::fprintf(stderr, "no combo box of style %lu\n", static_cast<unsigned long>(kind));
  return nullptr;
}

std::string SelectedText(HWND box) {
  const LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
  wchar_t text[256] = {};
  if (index == CB_ERR || SendMessageW(box, CB_GETLBTEXTLEN, index, 0) >= 255) return "none";
  SendMessageW(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return Narrow(text);
}

void Print(const char* key, const std::string& value) {
  std::printf("%s=%s\n", key, value.c_str());
}
void Print(const char* key, long long value) { std::printf("%s=%lld\n", key, value); }

// The colour entries are the radio buttons; prints the checked one's caption.
void PrintColors(HWND dialog) {
  std::string checked = "none";
  bool anyEnabled = false;
  for (const Control& child : ChildrenOf(dialog)) {
    const LONG style = GetWindowLongW(child.window, GWL_STYLE);
    if (child.windowClass != L"Button" || (style & BS_TYPEMASK) != BS_AUTORADIOBUTTON) continue;
    if (Checked(child.window)) checked = Narrow(child.text);
    anyEnabled = anyEnabled || IsWindowEnabled(child.window);
  }
  Print("color", checked);
  Print("colors_enabled", anyEnabled);
}

// A combo box's list, the entries separated by "|".
std::string ModeEntries(HWND modes) {
  std::string entries;
  const LRESULT count = SendMessageW(modes, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    if (SendMessageW(modes, CB_GETLBTEXTLEN, i, 0) >= 255) continue;
    SendMessageW(modes, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    if (i > 0) entries += '|';
    entries += Narrow(text);
  }
  return entries;
}

// The caption (or class) of the control of `window` with the keyboard focus.
std::string FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ||
      info.hwndFocus == nullptr) {
    return "none";
  }
  if (info.hwndFocus == window) return "dialog";
  if (!IsChild(window, info.hwndFocus)) return "elsewhere";
  const std::wstring text = TextOf(info.hwndFocus);
  return Narrow(text.empty() ? ClassOf(info.hwndFocus) : text);
}

int State() {
  HWND dialog = Dialog();
  HWND speed = Required(dialog, TRACKBAR_CLASSW, nullptr);
  HWND allColors = Required(dialog, L"Button", L"All colors");
  HWND modes = dialog ? ComboBox(dialog, CBS_DROPDOWN) : nullptr;
  HWND useDirectX = Required(dialog, L"Button", L"Use DirectX");
  HWND monitors = dialog ? ComboBox(dialog, CBS_DROPDOWNLIST) : nullptr;
  if (!speed || !allColors || !modes || !useDirectX || !monitors) return 1;
  Print("dialog_visible", IsWindowVisible(dialog) != FALSE);
  Print("dialog_enabled", IsWindowEnabled(dialog) != FALSE);
  Print("speed", SendMessageW(speed, TBM_GETPOS, 0, 0));
  Print("all_colors", Checked(allColors));
  PrintColors(dialog);
  Print("mode_text", Narrow(TextOf(modes)));
  Print("mode_enabled", IsWindowEnabled(modes) != FALSE);
  Print("use_directx", Checked(useDirectX));
  Print("use_directx_enabled", IsWindowEnabled(useDirectX) != FALSE);
  Print("modes", ModeEntries(modes));
  Print("monitors", SelectedText(monitors));
  Print("monitors_enabled", IsWindowEnabled(monitors) != FALSE);
  Print("monitor_layouts", ModeEntries(monitors));
  Print("focus", FocusOf(dialog));
  HWND saver = FindWindowW(kSaverClass, nullptr);
  RECT rect{};
  if (saver != nullptr) GetWindowRect(saver, &rect);
  Print("saver_visible", saver != nullptr && IsWindowVisible(saver));
  Print("saver_rect", std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                          std::to_string(rect.right - rect.left) + "x" +
                          std::to_string(rect.bottom - rect.top));
  return 0;
}

// Posted, not sent: a click may open a modal window (About, an error box)
// whose loop would keep a sent message from returning.
int Click(const wchar_t* caption, const wchar_t* title) {
  HWND window = FindWindowW(nullptr, title);
  HWND button = Required(window, L"Button", caption);
  if (button == nullptr) return 1;
  PostMessageW(button, BM_CLICK, 0, 0);
  return 0;
}

// What a trackbar does when the user drags its thumb: it moves, then tells
// its parent with WM_HSCROLL (the position, then the end of the move).
int MoveSpeed(int position) {
  HWND dialog = Dialog();
  HWND speed = Required(dialog, TRACKBAR_CLASSW, nullptr);
  if (speed == nullptr) return 1;
  SendMessageW(speed, TBM_SETPOS, TRUE, position);
  const LPARAM from = reinterpret_cast<LPARAM>(speed);
  SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), from);
  SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), from);
  SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), from);
  return SendMessageW(speed, TBM_GETPOS, 0, 0) == position ? 0 : 1;
}

using Pixels = std::vector<unsigned char>;  // blue, green, red, unused; top row first

// What a combo box does when the user picks an entry from its list: it
// selects the entry and tells its parent.
int ChooseEntry(DWORD kind, const wchar_t* text) {
  HWND dialog = Dialog();
  HWND modes = dialog ? ComboBox(dialog, kind) : nullptr;
  if (modes == nullptr) return 1;
  const LRESULT index = SendMessageW(modes, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(text));
  if (index == CB_ERR) {
    std::fprintf(stderr, "no entry \"%s\" in the list\n", Narrow(text).c_str());
    return 1;
  }
  SendMessageW(modes, CB_SETCURSEL, index, 0);
  const int id = GetDlgCtrlID(modes);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(modes));
  return 0;
}

// Copies the preview rectangle from the dialog's window on the screen.
Pixels GrabPreview(HWND dialog) {
  Pixels pixels(kPreviewWidth * kPreviewHeight * 4);
  HDC source = GetDC(dialog);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kPreviewWidth;
  info.bmiHeader.biHeight = -kPreviewHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, kPreviewWidth, kPreviewHeight, source, kPreviewLeft, kPreviewTop, SRCCOPY);
  GdiFlush();
  std::memcpy(pixels.data(), bits, pixels.size());
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(dialog, source);
  return pixels;
}

// A binary PPM file that ImageMagick reads.
bool WritePpm(const Pixels& pixels, const char* path) {
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", kPreviewWidth, kPreviewHeight);
  for (size_t i = 0; i < pixels.size(); i += 4) {
    const unsigned char rgb[3] = {pixels[i + 2], pixels[i + 1], pixels[i]};
    std::fwrite(rgb, 1, 3, file);
  }
  return std::fclose(file) == 0;
}

// The ornament, not a black or empty rectangle: many distinct colours.
bool ShowsPicture(const Pixels& pixels) {
  std::set<uint32_t> colours;
  for (size_t i = 0; i < pixels.size() && colours.size() < 64; i += 4) {
    colours.insert(pixels[i] | pixels[i + 1] << 8 | pixels[i + 2] << 16);
  }
  return colours.size() >= 64;
}

// Compares captures 300 ms apart until two differ (the preview moves) or
// the time is up; `moving` false asks the opposite: that two captures a
// second apart are the same (the preview is paused). Keeps the last capture.
int PreviewMotion(bool moving, double seconds, const char* path) {
  HWND dialog = Dialog();
  if (dialog == nullptr) return 1;
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  const auto pause = std::chrono::milliseconds(moving ? 300 : 1000);
  Pixels before = GrabPreview(dialog);
  for (;;) {
    std::this_thread::sleep_for(pause);
    const Pixels after = GrabPreview(dialog);
    if (path != nullptr) WritePpm(after, path);
    const bool changed = after != before;
    if (changed == moving) {
      if (ShowsPicture(after)) return 0;
      std::fprintf(stderr, "the preview rectangle shows no picture\n");
      return 1;
    }
    if (std::chrono::steady_clock::now() > end) {
      std::fprintf(stderr, moving ? "the preview stands still\n" : "the preview moves\n");
      return 1;
    }
    before = after;
  }
}

int MessageBoxTexts(double seconds) {
  HWND box = WaitFor([] { return VisibleWindow(L"#32770", nullptr); }, seconds);
  if (box == nullptr) {
    std::fprintf(stderr, "no message box within %gs\n", seconds);
    return 1;
  }
  Print("caption", Narrow(TextOf(box)));
  for (const Control& child : ChildrenOf(box)) {
    if (child.windowClass == L"Static" && !child.text.empty()) Print("text", Narrow(child.text));
  }
  HWND ok = FindChild(box, L"Button", nullptr);
  if (ok != nullptr) PostMessageW(ok, BM_CLICK, 0, 0);
  return 0;
}

// The cursor handle the pointer shows now. System cursors have handles of
// each process's own, so a script compares the handle shown over one control
// with the one shown over another of the same window.
int Cursor() {
  CURSORINFO info{};
  info.cbSize = sizeof(info);
  GetCursorInfo(&info);
  std::printf("cursor=%p\n", static_cast<void*>(info.hCursor));
  return 0;
}

// Another program takes the focus: a window of the driver's own comes to the
// front until the file `until` exists (when given) or `seconds` pass, then
// closes.
int StealFocus(double seconds, const char* until) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"ZelkMirvDriverWindow";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Another program",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 60, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  if (window == nullptr) return 1;
  SetForegroundWindow(window);
  std::printf("in front\n");
  std::fflush(stdout);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (until != nullptr && GetFileAttributesA(until) != INVALID_FILE_ATTRIBUTES) break;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  DestroyWindow(window);
  return 0;
}

// The client area's top left corner on the screen, "X Y".
int Origin(const wchar_t* title) {
  HWND window = FindWindowW(nullptr, title);
  if (window == nullptr) return 1;
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  std::printf("%ld %ld\n", origin.x, origin.y);
  return 0;
}

// Moves the pointer over the middle of a control of window TITLE, as the
// user would, and reports the cursor the window then shows.
int CursorOver(const wchar_t* text, const wchar_t* title) {
  HWND control = Required(FindWindowW(nullptr, title), nullptr, text);
  if (control == nullptr) return 1;
  RECT rect{};
  GetWindowRect(control, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  return Cursor();
}

double Seconds(int argc, char** argv, int index) {
  return argc > index ? std::atof(argv[index]) : 30.0;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // lines end in \n, as the scripts read them
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "wait" && argc > 2) {
    const std::wstring title = Widen(argv[2]);
    return WaitFor([&] { return VisibleWindow(nullptr, title.c_str()); }, Seconds(argc, argv, 3))
               ? 0
               : 1;
  }
  if (command == "wait-gone" && argc > 2) {
    const std::wstring title = Widen(argv[2]);
    const HWND gone = WaitFor(
        [&] { return VisibleWindow(nullptr, title.c_str()) ? nullptr : GetDesktopWindow(); },
        Seconds(argc, argv, 3));
    return gone != nullptr ? 0 : 1;
  }
  if (command == "state") return State();
  if (command == "click" && argc > 2) {
    return Click(Widen(argv[2]).c_str(), argc > 3 ? Widen(argv[3]).c_str() : kDialogTitle);
  }
  if (command == "speed" && argc > 2) return MoveSpeed(std::atoi(argv[2]));
  if (command == "message-box") return MessageBoxTexts(Seconds(argc, argv, 2));
  if (command == "preview-moves" || command == "preview-still") {
    return PreviewMotion(command == "preview-moves", Seconds(argc, argv, 2),
                         argc > 3 ? argv[3] : nullptr);
  }
  if (command == "close" && argc > 2) {
    HWND window = FindWindowW(nullptr, Widen(argv[2]).c_str());
    // What the window's close box sends.
    return window != nullptr && PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
  }
  if (command == "steal-focus") {
    return StealFocus(Seconds(argc, argv, 2), argc > 3 ? argv[3] : nullptr);
  }
  if (command == "activate" && argc > 2) {
    HWND window = FindWindowW(nullptr, Widen(argv[2]).c_str());
    return window != nullptr && SetForegroundWindow(window) ? 0 : 1;
  }
  if (command == "choose-mode" && argc > 2) {
    return ChooseEntry(CBS_DROPDOWN, Widen(argv[2]).c_str());
  }
  if (command == "choose-monitors" && argc > 2) {
    return ChooseEntry(CBS_DROPDOWNLIST, Widen(argv[2]).c_str());
  }
  if (command == "origin" && argc > 2) return Origin(Widen(argv[2]).c_str());
  if (command == "cursor-over" && argc > 3) {
    return CursorOver(Widen(argv[2]).c_str(), Widen(argv[3]).c_str());
  }
  std::fprintf(stderr,
               "usage: dialog_driver.exe wait|wait-gone|state|click|speed|"
               "message-box|preview-moves|preview-still|choose-mode|choose-monitors|steal-focus|"
               "activate|close|origin|cursor-over ...\n");
  return 2;
}
