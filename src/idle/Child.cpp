#include "idle/Child.h"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
// glibc 2.36 declares these without C linkage for C++.
extern "C" {
#include <sys/pidfd.h>
}

#include <csignal>
#include <cstring>

extern char** environ;

namespace detonix::idle {

std::unique_ptr<TChild> TChild::Start(const std::vector<std::string>& args, bool detached, std::string& why) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The end signals' handlers go with exec; a mask of this thread's must not.
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, static_cast<short>(POSIX_SPAWN_SETSIGMASK | (detached ? POSIX_SPAWN_SETSID : 0)));
  pid_t pid = 0;
  const int error = posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) {
    why = "cannot start " + args[0] + ": " + std::strerror(error);
    return nullptr;
  }
  // Not yet reaped, so the id is still this child's.
  const int fd = pidfd_open(pid, 0);
  if (fd < 0) {
    why = std::string("cannot watch a started program: ") + std::strerror(errno);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return nullptr;
  }
  return std::unique_ptr<TChild>(new TChild(pid, fd));
}

TChild::~TChild() { close(FPidFd); }

int TChild::Reap() {
  int status = 0;
  if (!FReaped && waitpid(FPid, &status, 0) == FPid) FReaped = true;
  return status;
}

void TChild::Stop(int graceMs) {
  if (FReaped) return;
  pidfd_send_signal(FPidFd, SIGTERM, nullptr, 0);
  pollfd ended{FPidFd, POLLIN, 0};
  if (poll(&ended, 1, graceMs) <= 0) pidfd_send_signal(FPidFd, SIGKILL, nullptr, 0);
  Reap();
}

std::string EndText(int status) {
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(WEXITSTATUS(status));
}

}  // namespace detonix::idle
