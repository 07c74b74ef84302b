// The Windows screen saver's entry: the system starts it with /s, /p HWND,
// /c or /a HWND.
#include <windows.h>
// windows.h first: the shell headers need its types.
#include <shellapi.h>

#include <string>

#include "platform/win32/program_host_win32.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/file_system_win32.h"
#include "shell/program_entry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::string first = count > 1 ? zm::win32::ToUtf8(arguments[1]) : std::string();
  const std::string second = count > 2 ? zm::win32::ToUtf8(arguments[2]) : std::string();
  LocalFree(arguments);
  zm::UseWin32FileSystem();
  zm::win32::ProgramHostWin32 host;
  return zm::RunProgram(host, first, second, zm::StartupSeed());
}
