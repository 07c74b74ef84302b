// Plays the system's display settings for the preview run: makes a small
// window of 152 x 112 pixels, starts the saver with "/p <handle>", checks
// that the saver draws into it (two captures differ and are not black), then
// hides the window and checks that the saver ends soon after with exit code
// 0. Prints what it saw; exit code 0 when all held.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<uint32_t> Capture(HWND window, int width, int height) {
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                               static_cast<const uint32_t*>(bits) + width * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, dc);
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

bool AllBlack(const std::vector<uint32_t>& pixels) {
  for (uint32_t p : pixels) {
    if ((p & 0xFFFFFF) != 0) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: preview_host_test SAVER.scr\n");
    return 2;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"ZmPreviewHost";
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"ZmPreviewHost", L"preview host", WS_POPUP | WS_VISIBLE, 40,
                                40, 152, 112, nullptr, nullptr, windowClass.hInstance, nullptr);
  Pump(200);

  std::string command = std::string("\"") + argv[1] + "\" /p " +
                        std::to_string(reinterpret_cast<intptr_t>(window));
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("cannot start %s\n", command.c_str());
    return 1;
  }
  Pump(3000);
  const std::vector<uint32_t> first = Capture(window, 152, 112);
  Pump(1000);
  const std::vector<uint32_t> second = Capture(window, 152, 112);
  const bool drawn = !AllBlack(first) && first[0] != 0x808080 && first != second;
  std::printf("preview drawn and moving: %s\n", drawn ? "yes" : "no");

  ShowWindow(window, SW_HIDE);
  const ULONGLONG hidden = GetTickCount64();
  const DWORD wait = WaitForSingleObject(process.hProcess, 5000);
  const ULONGLONG took = GetTickCount64() - hidden;
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  std::printf("ended %llu ms after the window was hidden, exit code %lu\n", took, exitCode);
  if (wait != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  DestroyWindow(window);
  return drawn && wait == WAIT_OBJECT_0 && exitCode == 0 ? 0 : 1;
}
