#include "shell/x11/EndWatch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>

#include <X11/Xlib.h>

namespace detonix::x11 {

namespace {

// A signal handler can reach only what lives here.
std::atomic<int> EndSignal{0};
// The handlers write a byte here, so that the watch can sleep until something happens.
int SignalPipe[2] = {-1, -1};
struct sigaction PreviousTerm {};
struct sigaction PreviousInt {};

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
  const struct sigaction& previous = signal == SIGTERM ? PreviousTerm : PreviousInt;
  if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN &&
      previous.sa_handler != nullptr)
    previous.sa_handler(signal);
}

}  // namespace

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
    sigaction(SIGTERM, &action, &PreviousTerm);
    sigaction(SIGINT, &action, &PreviousInt);
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

TEndWatch::TEndWatch(std::optional<uint64_t> windowId, std::function<void()> onEnd, std::function<void()> overdue,
                     int graceMs)
    : FOnEnd(std::move(onEnd)), FOverdue(std::move(overdue)), FGraceMs(graceMs) {
  OpenSignalPipe();
  OpenPipe(FWake);
  OpenPipe(FEnded);
  FThread = std::thread([this, windowId] { Run(windowId); });
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

bool TEndWatch::WaitForEnd(std::optional<uint64_t> windowId) {
  // A connection of the watch's own: the loop's may be busy or blocked.
  Display* display = windowId ? XOpenDisplay(nullptr) : nullptr;
  if (display) {
    XSelectInput(display, static_cast<Window>(*windowId), StructureNotifyMask);
    XFlush(display);
  }
  const int x11 = display ? ConnectionNumber(display) : -1;  // poll skips a negative descriptor
  pollfd fds[3] = {{SignalPipe[0], POLLIN, 0}, {FWake[0], POLLIN, 0}, {x11, POLLIN, 0}};
  bool ended = false;
  while (!ended && EndSignal == 0) {
    while (display && XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == DestroyNotify && event.xdestroywindow.window == static_cast<Window>(*windowId)) ended = true;
    }
    if (ended || EndSignal != 0) break;
    // Asleep until a signal, the stop or the X server speaks.
    if (poll(fds, 3, -1) < 0 && errno != EINTR) break;
    if (fds[1].revents != 0) break;
  }
  if (display) XCloseDisplay(display);
  return ended || EndSignal != 0;
}

void TEndWatch::Run(std::optional<uint64_t> windowId) {
  if (!WaitForEnd(windowId)) return;
  std::unique_lock<std::mutex> lock(FMutex);
  if (FStop) return;
  lock.unlock();
  if (FOnEnd) FOnEnd();
  WakeThrough(FEnded[1]);
  lock.lock();
  if (!FStopped.wait_for(lock, std::chrono::milliseconds(FGraceMs), [this] { return FStop; }) && FOverdue) {
    lock.unlock();
    FOverdue();
  }
}

}  // namespace detonix::x11
