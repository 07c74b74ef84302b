#include "shell/files_location.h"

#include "base/file_system.h"

namespace zm {

std::string ChooseFilesFolder(const std::string& programDirectory, const std::string& userFolder,
                              FileSystem& files) {
  // "" is the current directory, which is where a bare file name lies.
  const std::string& here = programDirectory.empty() ? std::string("./") : programDirectory;
  if (userFolder.empty() || files.IsWritableDirectory(here)) return programDirectory;
  files.CreateDirectories(userFolder);
  return userFolder;
}

}  // namespace zm

namespace zm {

std::string XdgFilesFolder(const char* xdgConfigHome, const char* home) {
  const auto withSlash = [](std::string path) {
    if (path.back() != '/') path += '/';
    return path;
  };
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
    return withSlash(xdgConfigHome) + "zelk-mirv/";
  }
  if (home != nullptr && home[0] == '/') return withSlash(home) + ".config/zelk-mirv/";
  return "";
}

}  // namespace zm
