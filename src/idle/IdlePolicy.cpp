#include "idle/IdlePolicy.h"

namespace detonix::idle {

TIdleActions TIdlePolicy::On(TIdleEvent event, const TIdleState& state) {
  TIdleActions actions;
  switch (event) {
    case TIdleEvent::ieIdle:
      FIdle = true;
      FHeld = state.Inhibited;
      actions.StartSaver = !state.Inhibited && !state.SaverRunning;
      break;
    case TIdleEvent::ieLock:
      FHeld = FHeld || state.Inhibited;
      actions.RunLock = !FHeld && state.HasLock && !state.LockRunning;
      break;
    case TIdleEvent::ieActive:
      FIdle = FHeld = false;
      break;
  }
  return actions;
}

TIdleActions TIdlePolicy::InhibitEnded(const TIdleState& state) {
  TIdleActions actions;
  if (FIdle && FHeld && !state.Inhibited) {
    actions.Restart = true;
    FIdle = FHeld = false;
  }
  return actions;
}

}  // namespace detonix::idle
