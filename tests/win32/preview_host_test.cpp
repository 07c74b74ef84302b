// Plays the system's display settings for the preview run: makes a small
// window of 152 x 112 pixels, starts the saver with "/p <handle>", checks
// that the saver draws into it (two captures differ and are not black), then
// hides the window and checks that the saver ends soon after with exit code
// 0. Then it starts the saver on a window that is never shown: the saver must
// wait for it without spinning (under a second of processor time in two) and
// end soon after that window is destroyed. Prints what it saw; exit code 0
// when all held. With a second argument PREFIX it keeps the two captures as
// PREFIX-1.bmp and PREFIX-2.bmp.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// What the screen shows of the window. The saver draws through a device
// context of a window of another process, which Wine paints on the X window
// itself; the window's own device context would show this process's copy.
std::vector<uint32_t> Capture(HWND window, int width, int height) {
  RECT rect{};
  GetWindowRect(window, &rect);
  HDC dc = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(dc);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, dc, rect.left, rect.top, SRCCOPY);
  std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                               static_cast<const uint32_t*>(bits) + width * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, dc);
  return pixels;
}

void Pump(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (GetTickCount64() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(5);
  }
}

// Writes top-down 32-bit pixels as a BMP file.
void SaveBmp(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  const DWORD bytes = static_cast<DWORD>(pixels.size() * sizeof(uint32_t));
  BITMAPINFOHEADER info{sizeof(info), width, -height, 1, 32, BI_RGB, bytes, 0, 0, 0, 0};
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof(header) + sizeof(info);
  header.bfSize = header.bfOffBits + bytes;
  std::fwrite(&header, sizeof(header), 1, file);
  std::fwrite(&info, sizeof(info), 1, file);
  std::fwrite(pixels.data(), 1, bytes, file);
  std::fclose(file);
}

struct ExitWatch {
  HANDLE process;
  DWORD result = WAIT_FAILED;
  ULONGLONG ended = 0;
};

DWORD WINAPI WatchExit(void* parameter) {
  auto* watch = static_cast<ExitWatch*>(parameter);
  watch->result = WaitForSingleObject(watch->process, 5000);
  watch->ended = GetTickCount64();
  return 0;
}

bool StartSaver(const char* saver, HWND window, PROCESS_INFORMATION& process) {
  std::string command =
      std::string("\"") + saver + "\" /p " + std::to_string(reinterpret_cast<intptr_t>(window));
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    return true;
  }
  std::printf("cannot start %s\n", command.c_str());
  return false;
}

// Processor time (user and kernel) the process has used, in milliseconds.
ULONGLONG CpuMilliseconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return ~0ULL;
  const auto ticks = [](const FILETIME& t) {
    return (ULONGLONG{t.dwHighDateTime} << 32 | t.dwLowDateTime) / 10000;
  };
  return ticks(kernel) + ticks(user);
}

// A window that never shows: a calm wait, ended by the window's destruction.
bool WaitsCalmlyForAHiddenWindow(const char* saver) {
  HWND hidden = CreateWindowExW(0, L"ZmPreviewHost", L"hidden host", WS_POPUP, 40, 40, 152, 112,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  PROCESS_INFORMATION process{};
  if (!StartSaver(saver, hidden, process)) return false;
  Pump(1000);  // start-up (the clock's calibration busy-waits on purpose)
  const ULONGLONG before = CpuMilliseconds(process.hProcess);
  Pump(2000);
  const ULONGLONG used = CpuMilliseconds(process.hProcess) - before;
  const bool calm = used < 1000;
  std::printf("waiting for a hidden window used %llu ms of CPU in 2 s: %s\n", used,
              calm ? "calm" : "spinning");
  const ULONGLONG destroyed = GetTickCount64();
  DestroyWindow(hidden);
  const bool ended = WaitForSingleObject(process.hProcess, 3000) == WAIT_OBJECT_0;
  std::printf("gone %llu ms after the hidden window was destroyed: %s\n",
              GetTickCount64() - destroyed, ended ? "yes" : "no");
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return calm && ended;
}

bool AllBlack(const std::vector<uint32_t>& pixels) {
  for (uint32_t p : pixels) {
    if ((p & 0xFFFFFF) != 0) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: preview_host_test SAVER.scr [PREFIX]\n");
    return 2;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"ZmPreviewHost";
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"ZmPreviewHost", L"preview host", WS_POPUP | WS_VISIBLE, 40, 40,
                                152, 112, nullptr, nullptr, windowClass.hInstance, nullptr);
  Pump(200);

  PROCESS_INFORMATION process{};
  if (!StartSaver(argv[1], window, process)) return 1;
  Pump(3000);
  const std::vector<uint32_t> first = Capture(window, 152, 112);
  Pump(1000);
  const std::vector<uint32_t> second = Capture(window, 152, 112);
  if (argc > 2) {
    SaveBmp(std::string(argv[2]) + "-1.bmp", first, 152, 112);
    SaveBmp(std::string(argv[2]) + "-2.bmp", second, 152, 112);
  }
  const bool drawn = !AllBlack(first) && first[0] != 0x808080 && first != second;
  std::printf("preview drawn and moving: %s\n", drawn ? "yes" : "no");

  // The saver must still run now: only hiding the window may end it.
  const bool running = WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
  std::printf("the saver runs until the window is hidden: %s\n", running ? "yes" : "no");
  // Hiding may block for a while (without a window manager Wine waits for
  // one to withdraw the window), so another thread notes when the saver ends.
  ExitWatch watch{process.hProcess};
  HANDLE watcher = CreateThread(nullptr, 0, &WatchExit, &watch, 0, nullptr);
  const ULONGLONG hidden = GetTickCount64();
  ShowWindow(window, SW_HIDE);
  const ULONGLONG hideCall = GetTickCount64() - hidden;
  WaitForSingleObject(watcher, INFINITE);
  CloseHandle(watcher);
  const DWORD wait = watch.result;
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  std::printf("ended %llu ms after the window was hidden, exit code %lu (hiding took %llu ms)\n",
              watch.ended - hidden, exitCode, hideCall);
  if (wait != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  DestroyWindow(window);
  const bool calm = WaitsCalmlyForAHiddenWindow(argv[1]);
  return drawn && running && wait == WAIT_OBJECT_0 && exitCode == 0 && calm ? 0 : 1;
}
