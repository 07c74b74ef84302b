#pragma once

#include <windows.h>

#include <string>

namespace zm::win32 {

// The full path of a file in the system directory ("C:\Windows\System32\"
// followed by `name`).
std::string SystemDirectoryFile(const char* name);

// A library of the system directory, loaded for one call and released when
// this object goes.
class SystemLibrary {
 public:
  explicit SystemLibrary(const char* name);
  ~SystemLibrary();
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  // The entry point, or null when the library or the name is missing.
  template <typename Function>
  Function Entry(const char* name) const {
    if (module_ == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

}  // namespace zm::win32
