#include "platform/win32/program_folders.h"

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <string>

#include "platform/win32/text_encoding.h"
#include "settings/program_directory.h"
#include "shell/files_location.h"

namespace zm::win32 {

namespace {

class FolderAccessWin32 : public FolderAccess {
 public:
  // Access rights on Windows are lists that only an attempt reads right: a
  // probe file is created and deleted again.
  bool CanWriteIn(const std::string& directory) override {
    const std::wstring probe =
        ToWide(directory) + L"zelk_mirv_probe_" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }
  bool CreateDirectories(const std::string& directory) override {
    std::error_code error;
    const std::filesystem::path path(ToWide(directory));
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
  }
};

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
  FolderAccessWin32 access;
  return FilesIn(ChooseFilesFolder(ProgramDirectory(ExecutablePath()), UserFolder(), access));
}

}  // namespace zm::win32
