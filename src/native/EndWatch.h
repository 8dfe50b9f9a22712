#pragma once

#include <atomic>
#include <csignal>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace detonix::native {

// Besides a signal, what ends the run as seen from outside the loop: a host's window destroyed.
// The watch's thread alone uses it, on a connection of its own.
class TEndSource {
 public:
  virtual ~TEndSource() = default;
  // Readable when there may be news.
  virtual int Fd() const = 0;
  // Reads the news; whether the run must end.
  virtual bool Ended() = 0;
};

// A host that asks a program in its window to end (SIGTERM, or destroying the window) expects it
// gone at once, whatever the game is doing. The loop ends on both by itself; this thread keeps
// the promise when the loop is busy: it sees the signal or the window's destruction on its own,
// asks the loop to end (ONEND), and when the loop has not stopped the watch within GRACEMS it
// calls OVERDUE, which ends the process.
class TEndWatch {
 public:
  static constexpr int DefaultGraceMs = 500;

  // SOURCE: what else to watch besides the signals, if anything.
  TEndWatch(std::unique_ptr<TEndSource> source, std::function<void()> onEnd, std::function<void()> overdue,
            int graceMs = DefaultGraceMs);
  ~TEndWatch();  // stops the watch
  TEndWatch(const TEndWatch&) = delete;
  TEndWatch& operator=(const TEndWatch&) = delete;

  // Readable once the watch has asked the loop to end: for a loop asleep in a poll of its own.
  int EndedFd() const { return FEnded[0]; }

  // SIGTERM, SIGINT and SIGHUP also tell the watch, then go on to the handlers installed before. Call
  // before SDL starts: SDL then leaves them alone, and a watch made later still sees a signal
  // that came before it.
  static void InstallSignalHandlers();
  // What those handlers do; for tests.
  static void NoteSignal(int signal);
  // After one of those signals, and after the cleanup: ends the process by that signal, as a
  // shell or a service manager expects of a program it asked to end. Otherwise returns.
  static void EndByTheSignalSeen();

  // While one lives, nothing ends the process (short of SIGKILL): for the few calls between making
  // something the system keeps after a process (a shared memory segment) and marking it to go with
  // the process. The overdue end waits for it; signals wait in this thread.
  class THold {
   public:
    THold();
    ~THold();
    THold(const THold&) = delete;
    THold& operator=(const THold&) = delete;

   private:
    sigset_t FPrevious;
  };

 private:
  void Run();
  // Sleeps until a signal or the source's end (true) or the stop (false).
  bool WaitForEnd();

  std::unique_ptr<TEndSource> FSource;
  std::function<void()> FOnEnd;
  std::function<void()> FOverdue;
  int FGraceMs;
  std::mutex FMutex;
  std::condition_variable FStopped;
  bool FStop = false;
  int FWake[2] = {-1, -1};  // the stop, for a watch asleep in poll
  int FEnded[2] = {-1, -1};
  std::thread FThread;
};

}  // namespace detonix::native
