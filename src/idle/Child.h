#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace detonix::idle {

// A program the watcher started. Its descriptor becomes readable when it ends, so the watcher
// learns of it in its one poll.
class TChild {
 public:
  // ARGS[0] started, in a session of its own when DETACHED (a lock command, which must outlive
  // the watcher); nothing, with WHY said, when it cannot be.
  static std::unique_ptr<TChild> Start(const std::vector<std::string>& args, bool detached, std::string& why);
  ~TChild();  // lets go of it, running or not: only Stop ends it
  TChild(const TChild&) = delete;
  TChild& operator=(const TChild&) = delete;

  int Fd() const { return FPidFd; }
  pid_t Pid() const { return FPid; }
  // Once Fd is readable: its wait status, and it is gone.
  int Reap();
  // SIGTERM, and SIGKILL if it has not ended within GRACEMS.
  void Stop(int graceMs);

 private:
  TChild(pid_t pid, int pidFd) : FPid(pid), FPidFd(pidFd) {}
  pid_t FPid;
  int FPidFd;
  bool FReaped = false;
};

// What a wait status says: "status 1", "signal 15".
std::string EndText(int status);

}  // namespace detonix::idle
