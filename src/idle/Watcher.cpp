#include "idle/Watcher.h"

#include <poll.h>

#include <cerrno>
#include <cstdio>
#include <iterator>

namespace detonix::idle {

namespace {

void Say(const std::string& text) { std::fprintf(stderr, "detonix-idle: %s\n", text.c_str()); }

// How long an ended saver has to stop before it is killed.
constexpr int SaverGraceMs = 2000;

}  // namespace

TWatcher::TWatcher(TIdleSource& source, TSessionBus* bus, TWatchOptions options)
    : FSource(source), FBus(bus), FOptions(std::move(options)) {
  if (FBus && FOptions.OfferInhibits) FService = TInhibitService::Offer(*FBus, [this] { return FSaver != nullptr; });
}

std::string TWatcher::InhibitsText() const {
  if (!FService) return "";
  return FService->Queued() ? "; org.freedesktop.ScreenSaver is another program's (this one waits in the queue)"
                            : "; org.freedesktop.ScreenSaver's inhibits taken on the session bus";
}

TWatcher::~TWatcher() {
  if (FSaver) FSaver->Stop(SaverGraceMs);
}

TIdleState TWatcher::State() const {
  return {.Inhibited = FService && FService->Inhibited(),
          .SaverRunning = FSaver != nullptr,
          .LockRunning = FLock != nullptr,
          .HasLock = !FOptions.LockCommand.empty()};
}

void TWatcher::On(TIdleEvent event) {
  const TIdleState state = State();
  if (event == TIdleEvent::ieIdle && state.Inhibited) Say("idle, but a program keeps the desktop awake: no saver");
  Act(FPolicy.On(event, state));
}

void TWatcher::Act(const TIdleActions& actions) {
  std::string why;
  if (actions.StartSaver) {
    FSaver = TChild::Start({FOptions.Saver, "-fullscreen"}, false, why);
    Say(FSaver ? "the desktop is idle: the saver starts (" + FOptions.Saver + " -fullscreen, process " +
                     std::to_string(FSaver->Pid()) + ")"
               : why);
  }
  if (actions.RunLock) {
    FLock = TChild::Start({"/bin/sh", "-c", FOptions.LockCommand}, true, why);
    Say(FLock ? "still idle: the lock command runs (" + FOptions.LockCommand + ")" : why);
  }
  if (actions.Restart) FSource.Restart();
}

int TWatcher::Lost(const std::string& why) {
  Say(why + "; ending");
  return 1;
}

int TWatcher::Run(int endFd) {
  const auto on = [this](TIdleEvent event) { On(event); };
  for (;;) {
    if (!FSource.BeforeWait(on)) return Lost(FSource.Gone());
    pollfd fds[] = {
        {endFd, POLLIN, 0},
        {FSource.Fd(), POLLIN, 0},
        {FBus ? FBus->Fd() : -1, FBus ? FBus->Events() : short{0}, 0},
        {FSaver ? FSaver->Fd() : -1, POLLIN, 0},
        {FLock ? FLock->Fd() : -1, POLLIN, 0},
    };
    // Asleep until something happens: no timer runs here, only a call of ours on the bus may wait.
    if (poll(fds, std::size(fds), FBus ? FBus->TimeoutMs() : -1) < 0 && errno != EINTR) return Lost("poll failed");
    if (fds[0].revents) return 0;
    if (FBus && !FBus->Process()) return Lost("lost the session bus");
    if (!FSource.AfterWait(fds[1].revents != 0, on)) return Lost(FSource.Gone());
    if (FSaver && fds[3].revents) {
      const int status = FSaver->Reap();
      if (status != 0) Say("the saver ended with " + EndText(status));
      FSaver.reset();
    }
    if (FLock && fds[4].revents) {
      FLock->Reap();
      FLock.reset();
    }
    if (FService && FService->TakeReleased()) Act(FPolicy.InhibitEnded(State()));
  }
}

}  // namespace detonix::idle
