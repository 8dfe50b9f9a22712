#pragma once

#include "idle/IdleSource.h"

namespace detonix::idle {

// What the watcher knows when the desktop speaks.
struct TIdleState {
  bool Inhibited = false;    // a program asked the desktop to stay awake
  bool SaverRunning = false;
  bool LockRunning = false;
  bool HasLock = false;      // the user named a lock command
};

// What to do about it.
struct TIdleActions {
  bool StartSaver = false;
  bool RunLock = false;
  bool Restart = false;  // count the idle anew from now
  bool operator==(const TIdleActions&) const = default;
};

// When the saver starts and the lock runs. The lock comes while the saver plays, as the desktop's
// own would. An idle time reached while a program holds the desktop awake counts for nothing; once
// the last such program lets go, the idle time counts anew from then (as Windows does), not from the
// last input, which may be an hour ago.
class TIdlePolicy {
 public:
  TIdleActions On(TIdleEvent event, const TIdleState& state);
  // The last inhibit has gone.
  TIdleActions InhibitEnded(const TIdleState& state);

 private:
  bool FIdle = false;
  bool FHeld = false;  // idle, but held off by an inhibit
};

}  // namespace detonix::idle
