#include "shell/sdl/EndWatch.h"

#include <poll.h>

#include <csignal>
#include <chrono>

#include <X11/Xlib.h>

namespace detonix::sdl {

namespace {

// A signal handler can reach only what lives here.
std::atomic<bool> SignalSeen{false};
struct sigaction PreviousTerm {};
struct sigaction PreviousInt {};

void OnEndSignal(int signal) {
  SignalSeen = true;
  const struct sigaction& previous = signal == SIGTERM ? PreviousTerm : PreviousInt;
  if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN &&
      previous.sa_handler != nullptr)
    previous.sa_handler(signal);
}

constexpr int PollMs = 50;

}  // namespace

void TEndWatch::NoteSignal() { SignalSeen = true; }

void TEndWatch::InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, &PreviousTerm);
  sigaction(SIGINT, &action, &PreviousInt);
}

TEndWatch::TEndWatch(std::optional<uint64_t> windowId, std::function<void()> onEnd, std::function<void()> overdue,
                     int graceMs)
    : FOnEnd(std::move(onEnd)), FOverdue(std::move(overdue)), FGraceMs(graceMs) {
  FThread = std::thread([this, windowId] { Run(windowId); });
}

TEndWatch::~TEndWatch() {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FStop = true;
  }
  FStopped.notify_all();
  FThread.join();
}

void TEndWatch::Run(std::optional<uint64_t> windowId) {
  // A connection of the watch's own: the loop's may be busy or blocked.
  Display* display = windowId ? XOpenDisplay(nullptr) : nullptr;
  if (display) {
    XSelectInput(display, static_cast<Window>(*windowId), StructureNotifyMask);
    XFlush(display);
  }
  bool ended = false;
  std::unique_lock<std::mutex> lock(FMutex);
  while (!FStop && !ended) {
    lock.unlock();
    if (display) {
      pollfd fd{ConnectionNumber(display), POLLIN, 0};
      poll(&fd, 1, PollMs);
      while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == static_cast<Window>(*windowId)) ended = true;
      }
    }
    ended = ended || SignalSeen;
    lock.lock();
    if (!display && !ended) FStopped.wait_for(lock, std::chrono::milliseconds(PollMs), [this] { return FStop; });
  }
  if (ended && !FStop) {
    lock.unlock();
    if (FOnEnd) FOnEnd();
    lock.lock();
    if (!FStopped.wait_for(lock, std::chrono::milliseconds(FGraceMs), [this] { return FStop; }) && FOverdue) {
      lock.unlock();
      FOverdue();
      lock.lock();
    }
  }
  lock.unlock();
  if (display) XCloseDisplay(display);
}

}  // namespace detonix::sdl
