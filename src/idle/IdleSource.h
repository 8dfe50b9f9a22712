#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace detonix::idle {

// What the desktop tells of its user.
enum class TIdleEvent : uint8_t {
  ieIdle,    // no input for the idle time
  ieLock,    // no input for the idle time and the lock's further time
  ieActive,  // input again, after ieIdle or a restart
};

// When a source speaks, in milliseconds without input; LockMs 0: never for the lock.
struct TIdleTimes {
  uint32_t IdleMs = 0;
  uint32_t LockMs = 0;
};

using TOnIdleEvent = std::function<void(TIdleEvent)>;

// One desktop's way of telling the idle (X11's, a Wayland compositor's, GNOME's). Nothing is asked
// in between: the watcher sleeps in poll on Fd, or on the session bus for a source that speaks
// there, and the source then says what happened.
class TIdleSource {
 public:
  virtual ~TIdleSource() = default;
  // For the log: "X11 (the XSync IDLETIME counter) on :0".
  virtual std::string Name() const = 0;
  // Readable when there is news; -1 for a source that speaks on the session bus.
  virtual int Fd() const = 0;
  // Before the watcher sleeps: ON for each event already read, then what this source has to send,
  // sent. False once the display is gone.
  virtual bool BeforeWait(const TOnIdleEvent& on) = 0;
  // After it woke (READABLE: Fd was): ON for each event, in order. False once the display is gone.
  virtual bool AfterWait(bool readable, const TOnIdleEvent& on) = 0;
  // Counts the idle time anew from now, as the desktop does after input; an ieActive follows input.
  virtual void Restart() = 0;
  // Why the display went away.
  virtual std::string Gone() const = 0;
};

}  // namespace detonix::idle
