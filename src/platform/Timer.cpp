#include "platform/Timer.h"

namespace detonix {

TTimer::TTimer(TTimerQueue& queue) : FQueue(queue) { Rearm(); }

TTimer::TTimer(TTimerQueue& queue, uint32_t intervalMs, TTimerEvent onTimer, bool enabled)
    : OnTimer(std::move(onTimer)), FQueue(queue), FInterval(intervalMs), FEnabled(enabled) {
  Rearm();
}

TTimer::~TTimer() { FQueue.Forget(*this); }

void TTimer::SetInterval(uint32_t ms) {
  if (ms == FInterval) return;
  FInterval = ms;
  Rearm();
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Rearm();
}

void TTimer::Rearm() {
  Disarm();
  if (FEnabled && FInterval > 0) FQueue.Arm(*this, FQueue.NowMs() + FInterval);
}

void TTimer::Disarm() {
  if (FArmed) FQueue.Disarm(*this);
}

void TTimerQueue::Arm(TTimer& timer, int64_t due) {
  timer.FDue = due;
  timer.FSeq = FNextSeq++;
  timer.FArmed = true;
  FEntries.insert(TEntry{due, timer.FSeq, &timer});
}

void TTimerQueue::Disarm(TTimer& timer) {
  FEntries.erase(TEntry{timer.FDue, timer.FSeq, &timer});
  timer.FArmed = false;
}

void TTimerQueue::Forget(TTimer& timer) {
  if (timer.FArmed) Disarm(timer);
  for (TFiringFrame* frame = FFiring; frame; frame = frame->Outer)
    if (frame->Timer == &timer) frame->Destroyed = true;
}

std::optional<int64_t> TTimerQueue::NextDue() const {
  if (FEntries.empty()) return std::nullopt;
  return FEntries.begin()->Due;
}

int TTimerQueue::FireDue() {
  const int64_t now = FClock.NowMs();
  int fired = 0;
  while (!FEntries.empty() && FEntries.begin()->Due <= now) {
    const TEntry entry = *FEntries.begin();
    FEntries.erase(FEntries.begin());
    TTimer& timer = *entry.Timer;
    timer.FArmed = false;
    // Re-arm before the handler runs, so whatever the handler does to the timer wins.
    // Missed intervals are dropped: the next tick is one interval from now at the latest.
    int64_t next = entry.Due + timer.FInterval;
    if (next <= now) next = now + timer.FInterval;
    Arm(timer, next);
    ++fired;
    if (!timer.OnTimer) continue;

    // The queue holds the handler while it runs, so the timer may be freed inside it.
    struct TFiring {
      TTimerQueue& Queue;
      TTimer& Timer;
      TTimer::TTimerEvent Handler;
      TFiringFrame Frame;
      ~TFiring() {
        Queue.FFiring = Frame.Outer;
        if (!Frame.Destroyed && !Timer.OnTimer) Timer.OnTimer = std::move(Handler);
      }
    } firing{*this, timer, std::move(timer.OnTimer), TFiringFrame{&timer, false, FFiring}};
    timer.OnTimer = nullptr;
    FFiring = &firing.Frame;
    firing.Handler(timer);
  }
  return fired;
}

}  // namespace detonix
