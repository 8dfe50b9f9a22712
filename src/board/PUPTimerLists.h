#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "board/GlobalTypes.h"
#include "platform/Timer.h"

namespace detonix {

class TPlayer;

// An owning list of one-shot power-up timers. What a firing means is the handler's business;
// the handler hands its timer back with Remove, which frees it while it runs.
class TCustomTimerList {
 public:
  explicit TCustomTimerList(TTimerQueue& queue) : FQueue(queue) {}
  virtual ~TCustomTimerList() = default;
  TCustomTimerList(const TCustomTimerList&) = delete;
  TCustomTimerList& operator=(const TCustomTimerList&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  TTimer* GetTimer(int index) const;
  void Delete(int index);
  // False when the timer is not (or no longer) in the list.
  virtual bool Remove(TTimer* timer);
  virtual void Clear();
  // A timer added while the list is stopped runs regardless, until the list is switched again.
  void SetEnabled(bool value);
  bool Enabled() const { return FEnabled; }

 protected:
  // Creates a running timer without owner, appends it and returns its index.
  int Add(uint32_t intervalMs, TTimer::TTimerEvent onTimer, TTimer*& timer);
  void Erase(size_t index);

  TTimerQueue& FQueue;
  std::vector<std::unique_ptr<TTimer>> FItems;
  bool FEnabled = true;
};

// One timer per revealed power-up; its Tag key is the cell's point key.
class TPUPTimer1List final : public TCustomTimerList {
 public:
  using TCustomTimerList::TCustomTimerList;
  int AddTimer(uint32_t intervalMs, TPoint p, TTimer::TTimerEvent onTimer);
  // Frees the first timer of that cell.
  bool RemoveByPoint(TPoint p);
};

// What a power-up effect timer stands for.
struct TPowerUpEffect final : TTagRecord {
  TPowerUpEffect(TPlayer* player, uint8_t kind) : Player(player), Kind(kind) {}
  TPlayer* Player;
  uint8_t Kind;  // TObjectType ordinal of the power-up that started the effect
};

// One timer per power-up effect running on a player; the effect record rides on the timer's Tag,
// so freeing a timer releases its record too.
class TPUPTimer2List final : public TCustomTimerList {
 public:
  using TCustomTimerList::TCustomTimerList;
  int AddTimer(uint32_t intervalMs, TPlayer* player, uint8_t kind, TTimer::TTimerEvent onTimer);
  // Frees the first timer for this player (by identity) and kind.
  bool RemoveFor(const TPlayer* player, uint8_t kind);
};

}  // namespace detonix
