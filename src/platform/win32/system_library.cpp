#include "platform/win32/system_library.h"

namespace zm::win32 {

std::string SystemDirectoryFile(const char* name) {
  char directory[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
  std::string path(directory, length < MAX_PATH ? length : 0);
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + name;
}

SystemLibrary::SystemLibrary(const char* name)
    : module_(LoadLibraryA(SystemDirectoryFile(name).c_str())) {}

SystemLibrary::~SystemLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

}  // namespace zm::win32
