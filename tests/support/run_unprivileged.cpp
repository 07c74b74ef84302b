#include "run_unprivileged.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>

namespace zm::testing {
namespace {

constexpr uid_t kNobodyFallback = 65534;

// Becomes user nobody with group nogroup and no other groups; empty when that
// worked.
std::string DropPrivileges() {
  if (::geteuid() != 0) return "";
  const passwd* user = ::getpwnam("nobody");
  const group* nogroup = ::getgrnam("nogroup");
  const uid_t uid = user != nullptr ? user->pw_uid : kNobodyFallback;
  const gid_t gid = nogroup != nullptr ? nogroup->gr_gid : kNobodyFallback;
  if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 ||
      ::setresuid(uid, uid, uid) != 0)
    return std::string("cannot become nobody: ") + std::strerror(errno);
  return ::geteuid() == uid ? "" : "still privileged";
}

// The child's work: drop privileges, make a directory, run the body, clean up.
std::string RunChild(const std::function<std::string(const std::string&)>& body) {
  std::string failure = DropPrivileges();
  if (!failure.empty()) return failure;
  char pattern[] = "/tmp/zm_unprivileged_XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return std::string("mkdtemp: ") + std::strerror(errno);
  const std::filesystem::path directory = pattern;
  try {
    failure = body(directory.string() + "/");
  } catch (const std::exception& error) {
    failure = std::string("exception: ") + error.what();
  }
  // Open every mode the body closed, so that everything can be removed.
  std::error_code ignored;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(directory, ignored))
    if (entry.is_directory(ignored)) ::chmod(entry.path().c_str(), 0700);
  ::chmod(pattern, 0700);
  std::filesystem::remove_all(directory, ignored);
  return failure;
}

}  // namespace

std::string RunUnprivileged(const std::function<std::string(const std::string& directory)>& body) {
  int channel[2];
  if (::pipe(channel) != 0) return "pipe failed";
  const pid_t child = ::fork();
  if (child < 0) return "fork failed";
  if (child == 0) {
    ::close(channel[0]);
    const std::string failure = RunChild(body);
    const ssize_t written = ::write(channel[1], failure.data(), failure.size());
    // _exit: no exit handlers (the parent's gtest state, the leak checker,
    // which cannot inspect a process that changed its user).
    ::_exit(written == static_cast<ssize_t>(failure.size()) ? 0 : 1);
  }
  ::close(channel[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    report.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) report += "the unprivileged child failed\n";
  return report;
}

}  // namespace zm::testing
