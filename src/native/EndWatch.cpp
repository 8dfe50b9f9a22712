#include "native/EndWatch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <chrono>
#include <csignal>
#include <cstdio>

namespace detonix::native {

namespace {

// A signal handler can reach only what lives here.
std::atomic<int> EndSignal{0};
// The handlers write a byte here, so that the watch can sleep until something happens.
int SignalPipe[2] = {-1, -1};
constexpr int EndSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction Previous[std::size(EndSignals)] {};

std::atomic<int> Holds{0};

void OpenPipe(int (&fds)[2]) {
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) fds[0] = fds[1] = -1;
}

void OpenSignalPipe() {
  [[maybe_unused]] static const bool opened = (OpenPipe(SignalPipe), true);
}

void WakeThrough(int fd) {
  const char byte = 1;
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);  // a full pipe wakes the reader as well
}

void OnEndSignal(int signal) {
  const int savedErrno = errno;
  EndSignal = signal;
  WakeThrough(SignalPipe[1]);
  errno = savedErrno;
  const auto* found = std::find(std::begin(EndSignals), std::end(EndSignals), signal);
  if (found == std::end(EndSignals)) return;
  const struct sigaction& previous = Previous[found - std::begin(EndSignals)];
  if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN &&
      previous.sa_handler != nullptr)
    previous.sa_handler(signal);
}

}  // namespace

TEndWatch::THold::THold() {
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &FPrevious);
  ++Holds;
}

TEndWatch::THold::~THold() {
  --Holds;
  pthread_sigmask(SIG_SETMASK, &FPrevious, nullptr);
}

void TEndWatch::NoteSignal(int signal) {
  OpenSignalPipe();
  OnEndSignal(signal);
}

void TEndWatch::InstallSignalHandlers() {
  OpenSignalPipe();
  // Once only: a second time would make our handler its own predecessor.
  [[maybe_unused]] static const bool installed = [] {
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(EndSignals); ++i) {
      sigaction(EndSignals[i], &action, &Previous[i]);
      // Started to outlive its terminal (nohup): so it stays.
      if (EndSignals[i] == SIGHUP && Previous[i].sa_handler == SIG_IGN) sigaction(SIGHUP, &Previous[i], nullptr);
    }
    return true;
  }();
}

void TEndWatch::EndByTheSignalSeen() {
  const int signal = EndSignal;
  if (signal == 0) return;
  std::signal(signal, SIG_DFL);
  std::fflush(nullptr);  // what stdio still holds (a present trace): ending by the signal skips exit's flush
  std::raise(signal);
}

TEndWatch::TEndWatch(std::unique_ptr<TEndSource> source, std::function<void()> onEnd, std::function<void()> overdue,
                     int graceMs)
    : FSource(std::move(source)), FOnEnd(std::move(onEnd)), FOverdue(std::move(overdue)), FGraceMs(graceMs) {
  OpenSignalPipe();
  OpenPipe(FWake);
  OpenPipe(FEnded);
  FThread = std::thread([this] { Run(); });
}

TEndWatch::~TEndWatch() {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FStop = true;
  }
  FStopped.notify_all();
  WakeThrough(FWake[1]);
  FThread.join();
  for (const int fd : {FWake[0], FWake[1], FEnded[0], FEnded[1]})
    if (fd >= 0) close(fd);
}

bool TEndWatch::WaitForEnd() {
  pollfd fds[3] = {{SignalPipe[0], POLLIN, 0}, {FWake[0], POLLIN, 0}, {FSource ? FSource->Fd() : -1, POLLIN, 0}};
  // What the source holds already is news too.
  bool ended = FSource && FSource->Ended();
  while (!ended && EndSignal == 0) {
    // Asleep until a signal, the stop or the source speaks; poll skips a negative descriptor.
    if (poll(fds, 3, -1) < 0 && errno != EINTR) break;
    if (fds[1].revents != 0) break;
    if (fds[2].revents != 0) ended = FSource->Ended();
  }
  return ended || EndSignal != 0;
}

void TEndWatch::Run() {
  if (!WaitForEnd()) return;
  std::unique_lock<std::mutex> lock(FMutex);
  if (FStop) return;
  lock.unlock();
  if (FOnEnd) FOnEnd();
  WakeThrough(FEnded[1]);
  lock.lock();
  if (!FStopped.wait_for(lock, std::chrono::milliseconds(FGraceMs), [this] { return FStop; }) && FOverdue) {
    lock.unlock();
    // A hold lasts a few system calls; one that never ends (a stopped process) must not keep the end.
    for (int i = 0; i < 100 && Holds > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    FOverdue();
  }
}

}  // namespace detonix::native
