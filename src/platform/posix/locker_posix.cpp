#include "platform/posix/locker_posix.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>

#include "platform/posix/standard_error_posix.h"

extern char** environ;

namespace zm {

bool LockerPosix::Start(const std::string& command, std::string& error) {
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  std::string shell = "/bin/sh";
  std::string option = "-c";
  std::string line = command;
  char* argv[] = {shell.data(), option.data(), line.data(), nullptr};
  pid_t pid = -1;
  const int failure = posix_spawn(&pid, shell.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (failure != 0) {
    error = std::strerror(failure);
    return false;
  }
  pid_ = pid;
  return true;
}

std::optional<CommandEnd> LockerPosix::Ended() {
  if (pid_ <= 0) return std::nullopt;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return std::nullopt;
  pid_ = -1;
  CommandEnd end;
  end.signalled = WIFSIGNALED(status);
  end.code = end.signalled ? WTERMSIG(status) : WEXITSTATUS(status);
  return end;
}

void LockerPosix::Say(const std::string& text) { SayOnStandardError(text); }

}  // namespace zm
