#include "platform/Timer.h"

#include <algorithm>

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
  if (FEnabled && FInterval > 0) FQueue.Arm(*this, FQueue.ArmBaseMs() + FInterval);
}

void TTimer::Disarm() {
  if (FArmed) FQueue.Disarm(*this);
}

int64_t TTimerQueue::ArmBaseMs() const { return FFiring ? FFiring->Due : NowMs(); }

void TTimerQueue::Place(TTimer* timer, size_t i) {
  FHeap[i] = timer;
  timer->FHeapIndex = i;
}

void TTimerQueue::SiftUp(size_t i) {
  TTimer* timer = FHeap[i];
  while (i > 0 && FiresBefore(timer, FHeap[(i - 1) / 2])) {
    Place(FHeap[(i - 1) / 2], i);
    i = (i - 1) / 2;
  }
  Place(timer, i);
}

void TTimerQueue::SiftDown(size_t i) {
  TTimer* timer = FHeap[i];
  for (;;) {
    size_t child = 2 * i + 1;
    if (child >= FHeap.size()) break;
    if (child + 1 < FHeap.size() && FiresBefore(FHeap[child + 1], FHeap[child])) ++child;
    if (!FiresBefore(FHeap[child], timer)) break;
    Place(FHeap[child], i);
    i = child;
  }
  Place(timer, i);
}

void TTimerQueue::Arm(TTimer& timer, int64_t due) {
  timer.FDue = due;
  timer.FSeq = FNextSeq++;
  timer.FArmed = true;
  FHeap.push_back(&timer);
  SiftUp(FHeap.size() - 1);
}

void TTimerQueue::Disarm(TTimer& timer) {
  const size_t i = timer.FHeapIndex;
  TTimer* last = FHeap.back();
  FHeap.pop_back();
  timer.FArmed = false;
  if (last == &timer) return;
  Place(last, i);
  if (i > 0 && FiresBefore(last, FHeap[(i - 1) / 2])) SiftUp(i);
  else SiftDown(i);
}

void TTimerQueue::Forget(TTimer& timer) {
  if (timer.FArmed) Disarm(timer);
  for (TFiringFrame* frame = FFiring; frame; frame = frame->Outer)
    if (frame->Timer == &timer) frame->Destroyed = true;
}

std::optional<int64_t> TTimerQueue::NextDue() const {
  if (FHeap.empty()) return std::nullopt;
  return FHeap.front()->FDue;
}

std::vector<const TTimer*> TTimerQueue::InFiringOrder() const {
  std::vector<const TTimer*> timers(FHeap.begin(), FHeap.end());
  std::sort(timers.begin(), timers.end(), FiresBefore);
  return timers;
}

int TTimerQueue::FireDue() {
  const int64_t now = FClock.NowMs();
  int fired = 0;
  while (!FHeap.empty() && FHeap.front()->FDue <= now) {
    TTimer& timer = *FHeap.front();
    const int64_t due = timer.FDue;
    // Re-armed before the handler runs, so whatever the handler does to the timer wins; in place,
    // as the heap's first. Missed intervals are dropped: the next tick is one interval from now at
    // the latest.
    int64_t next = due + timer.FInterval;
    if (next <= now) next = now + timer.FInterval;
    timer.FDue = next;
    timer.FSeq = FNextSeq++;
    SiftDown(0);
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
    } firing{*this, timer, std::move(timer.OnTimer), TFiringFrame{&timer, due, false, FFiring}};
    timer.OnTimer = nullptr;
    FFiring = &firing.Frame;
    firing.Handler(timer);
  }
  return fired;
}

}  // namespace detonix
