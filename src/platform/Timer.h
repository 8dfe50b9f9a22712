#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Clock.h"

namespace detonix {

class TTimerQueue;

// Base of every record that hangs on a timer's Tag (bomb, move, seek, flash, power-up effect).
struct TTagRecord {
  virtual ~TTagRecord() = default;
};

// A timer's Tag: a packed integer key (a cell's point key) and/or one owned record.
// Freeing the timer frees the record.
class TTag {
 public:
  int32_t Key() const { return FKey; }
  void SetKey(int32_t key) { FKey = key; }

  template <class T, class... Args>
  T& Emplace(Args&&... args) {
    auto record = std::make_unique<T>(std::forward<Args>(args)...);
    T& result = *record;
    FRecord = std::move(record);
    return result;
  }
  void SetRecord(std::unique_ptr<TTagRecord> record) { FRecord = std::move(record); }
  std::unique_ptr<TTagRecord> ReleaseRecord() { return std::move(FRecord); }
  TTagRecord* Record() const { return FRecord.get(); }
  // The record if it is a T, else nullptr.
  template <class T>
  T* As() const {
    return dynamic_cast<T*>(FRecord.get());
  }
  void Clear() {
    FKey = 0;
    FRecord.reset();
  }

 private:
  int32_t FKey = 0;
  std::unique_ptr<TTagRecord> FRecord;
};

// A message-driven interval timer. It fires on the thread that drives its queue, never re-entrantly,
// and may be disabled, re-enabled or destroyed from inside any handler, its own included.
// Rules of the platform timer it stands for:
// - a new timer is enabled, with an interval of 1000 ms;
// - an interval of 0 never fires;
// - enabling a disabled timer, or changing its interval, starts the interval afresh: from now, or
//   inside a handler from the instant its timer was due, so that timers started by a late handler
//   keep to the grid of the one that fired and wake the program together;
// - a timer overdue by several intervals fires once.
// The queue must outlive its timers.
class TTimer {
 public:
  using TTimerEvent = std::function<void(TTimer& sender)>;

  explicit TTimer(TTimerQueue& queue);
  TTimer(TTimerQueue& queue, uint32_t intervalMs, TTimerEvent onTimer, bool enabled = true);
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t ms);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  // Whether the timer waits in its queue: enabled with an interval above 0.
  bool Armed() const { return FArmed; }
  // When it will fire next; only meaningful while Armed.
  int64_t DueMs() const { return FDue; }
  TTimerQueue& Queue() const { return FQueue; }

  // Receives the timer that fired. While it runs, this member is empty (the queue holds the handler,
  // so the timer can be freed inside it); assigning a new handler there replaces the running one.
  TTimerEvent OnTimer;
  TTag Tag;

 private:
  friend class TTimerQueue;
  void Rearm();
  void Disarm();

  TTimerQueue& FQueue;
  uint32_t FInterval = 1000;
  bool FEnabled = true;
  bool FArmed = false;
  int64_t FDue = 0;
  uint64_t FSeq = 0;
  size_t FHeapIndex = 0;  // where it sits in its queue while armed
};

// Fires timers in due-time order, ties broken by the order in which they were armed, so that the same
// inputs give the same run. It holds no timer: each timer enters while armed and leaves when destroyed.
class TTimerQueue {
 public:
  explicit TTimerQueue(const TClock& clock) : FClock(clock) {}
  ~TTimerQueue() = default;
  TTimerQueue(const TTimerQueue&) = delete;
  TTimerQueue& operator=(const TTimerQueue&) = delete;

  const TClock& Clock() const { return FClock; }
  int64_t NowMs() const { return FClock.NowMs(); }
  // The earliest due time of an armed timer, if any.
  std::optional<int64_t> NextDue() const;
  // Where an interval starts: now, or inside a handler the instant its timer was due.
  int64_t ArmBaseMs() const;
  // Fires every timer due at or before now, once each; returns how many fired.
  int FireDue();
  size_t ArmedCount() const { return FHeap.size(); }
  // Calls F for every armed timer, in the order they will fire.
  template <class F>
  void ForEachArmed(F&& f) const {
    for (const TTimer* timer : InFiringOrder()) f(*timer);
  }

 private:
  friend class TTimer;
  // One per handler on the stack, so a timer freed inside its handler is not touched afterwards.
  struct TFiringFrame {
    TTimer* Timer;
    int64_t Due;
    bool Destroyed;
    TFiringFrame* Outer;
  };

  static bool FiresBefore(const TTimer* a, const TTimer* b) {
    return a->FDue != b->FDue ? a->FDue < b->FDue : a->FSeq < b->FSeq;
  }
  std::vector<const TTimer*> InFiringOrder() const;
  void Arm(TTimer& timer, int64_t due);
  void Disarm(TTimer& timer);
  void Forget(TTimer& timer);
  // The heap's order after the timer at I has come or got a new due time.
  void SiftUp(size_t i);
  void SiftDown(size_t i);
  void Place(TTimer* timer, size_t i);

  const TClock& FClock;
  // The armed timers as a binary heap, earliest first: arming one allocates nothing once the
  // vector has grown to the game's number of timers.
  std::vector<TTimer*> FHeap;
  uint64_t FNextSeq = 0;
  TFiringFrame* FFiring = nullptr;
};

}  // namespace detonix
