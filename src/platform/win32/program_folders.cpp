#include "platform/win32/program_folders.h"

#include <windows.h>
// windows.h first: the shell headers need its types.
#include <shlobj.h>

#include <string>

#include "base/file_system.h"
#include "platform/win32/text_encoding.h"
#include "settings/program_directory.h"
#include "shell/files_location.h"

namespace zm::win32 {

namespace {

std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return ToUtf8(path);
    }
    path.resize(path.size() * 2);
  }
}

std::string UserFolder() {
  PWSTR local = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local))) {
    folder = ToUtf8(local) + "\\Zelk Mirv\\";
  }
  CoTaskMemFree(local);
  return folder;
}

}  // namespace

ProgramFiles FilesForThisRun() {
  return FilesIn(ChooseFilesFolder(ProgramDirectory(ExecutablePath()), UserFolder(), Files()));
}

}  // namespace zm::win32
