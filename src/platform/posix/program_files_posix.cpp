#include "platform/posix/program_files_posix.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "base/file_system.h"
#include "base/notice.h"
#include "shell/files_location.h"

namespace zm {

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  const passwd* user = getpwuid(getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

}  // namespace

ProgramFiles UserProgramFiles(bool create) {
  const std::string home = HomeFolder();
  const std::string folder =
      XdgFilesFolder(std::getenv("XDG_CONFIG_HOME"), home.empty() ? nullptr : home.c_str());
  if (folder.empty()) {
    // The working folder is nobody's choice: without a home the run stores
    // nothing.
    Notice(
        "no home folder (HOME is not set and the user has no passwd entry):"
        " the settings and the pattern are not stored");
    return {};
  }
  if (create) Files().CreateDirectories(folder);
  return FilesIn(folder);
}

}  // namespace zm
