#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Timer.h"

namespace detonix {

class TApplication;

// Keeps an idle handler registered for as long as it lives.
class TIdleRegistration {
 public:
  TIdleRegistration() = default;
  TIdleRegistration(TApplication& app, uint64_t id) : FApp(&app), FId(id) {}
  TIdleRegistration(TIdleRegistration&& other) noexcept;
  TIdleRegistration& operator=(TIdleRegistration&& other) noexcept;
  ~TIdleRegistration();
  void Reset();

 private:
  TApplication* FApp = nullptr;
  uint64_t FId = 0;
};

// The application object a program's windows and games share: the timer queue on one clock,
// the idle event, message processing, modal messages and termination. A shell supplies the
// hooks that need a real screen; without them messages are only recorded.
class TApplication {
 public:
  using TIdleHandler = std::function<void()>;

  explicit TApplication(const TClock& clock) : FTimers(clock) {}
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  TTimerQueue& Timers() { return FTimers; }
  const TClock& Clock() const { return FTimers.Clock(); }

  std::string Title;

  // Idle: runs when the queue of pending events is empty, once per visit.
  [[nodiscard]] TIdleRegistration AddIdleHandler(TIdleHandler handler);
  void DoIdle();

  // Handles pending window messages once (paints, input); the shell installs the hook.
  // Timers never fire from here, so no game handler runs inside another.
  std::function<void()> OnProcessMessages;
  void ProcessMessages();

  // A modal message. Every text is recorded, so tests and the headless tool can count them.
  std::function<void(const std::string&)> OnShowMessage;
  void ShowMessage(const std::string& text);
  const std::vector<std::string>& Messages() const { return FMessages; }
  void ClearMessages() { FMessages.clear(); }

  // Fires the timers due now; an exception escaping a handler is shown as a message,
  // as the platform's default exception handler does, and the loop goes on.
  int FireDueTimers();
  // Milliseconds until the next timer is due (0 when overdue), or none when no timer is armed.
  std::optional<int64_t> MsUntilNextTimer() const;

  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }

 private:
  friend class TIdleRegistration;
  struct TIdleEntry {
    uint64_t Id;
    std::shared_ptr<TIdleHandler> Handler;
  };
  void RemoveIdleHandler(uint64_t id);

  TTimerQueue FTimers;
  std::vector<TIdleEntry> FIdleHandlers;
  uint64_t FNextIdleId = 1;
  int FIdleDepth = 0;
  std::vector<std::string> FMessages;
  bool FTerminated = false;
};

// Drives an application on a virtual clock: jumps to the next due time, fires that instant's
// timers, then runs the idle handlers, as a real message loop does when its queue runs empty.
class TVirtualLoop {
 public:
  TVirtualLoop(TApplication& app, TVirtualClock& clock) : FApp(app), FClock(clock) {}
  // Runs until the clock reaches T or the application terminates; returns the instants run.
  int64_t RunUntil(int64_t t);
  int64_t RunFor(int64_t ms) { return RunUntil(FClock.NowMs() + ms); }
  // Runs the next instant if one is due by T; false when none is.
  bool Step(int64_t t);

 private:
  TApplication& FApp;
  TVirtualClock& FClock;
};

}  // namespace detonix
