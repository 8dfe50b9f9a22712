#include "board/PUPTimerLists.h"

#include <algorithm>

namespace detonix {

TTimer* TCustomTimerList::GetTimer(int index) const {
  return index >= 0 && index < Count() ? FItems[static_cast<size_t>(index)].get() : nullptr;
}

void TCustomTimerList::Delete(int index) {
  if (index >= 0 && index < Count()) Erase(static_cast<size_t>(index));
}

// The entry leaves the list before the timer dies, so a handler running inside sees a consistent list.
void TCustomTimerList::Erase(size_t index) {
  std::unique_ptr<TTimer> timer = std::move(FItems[index]);
  FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(index));
  timer.reset();
}

bool TCustomTimerList::Remove(TTimer* timer) {
  auto it = std::find_if(FItems.begin(), FItems.end(), [timer](const auto& t) { return t.get() == timer; });
  if (it == FItems.end()) return false;
  Erase(static_cast<size_t>(it - FItems.begin()));
  return true;
}

void TCustomTimerList::Clear() {
  std::vector<std::unique_ptr<TTimer>> items = std::move(FItems);
  FItems.clear();
  for (auto& t : items) t.reset();  // in list order
}

void TCustomTimerList::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  for (auto& t : FItems) t->SetEnabled(value);
}

int TCustomTimerList::Add(uint32_t intervalMs, TTimer::TTimerEvent onTimer, TTimer*& timer) {
  FItems.push_back(std::make_unique<TTimer>(FQueue, intervalMs, std::move(onTimer)));
  timer = FItems.back().get();
  return Count() - 1;
}

int TPUPTimer1List::AddTimer(uint32_t intervalMs, TPoint p, TTimer::TTimerEvent onTimer) {
  TTimer* timer = nullptr;
  const int index = Add(intervalMs, std::move(onTimer), timer);
  timer->Tag.SetKey(PointToKey(p));
  return index;
}

bool TPUPTimer1List::RemoveByPoint(TPoint p) {
  const int32_t key = PointToKey(p);
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i]->Tag.Key() == key) {
      Erase(i);
      return true;
    }
  return false;
}

int TPUPTimer2List::AddTimer(uint32_t intervalMs, TPlayer* player, uint8_t kind, TTimer::TTimerEvent onTimer) {
  TTimer* timer = nullptr;
  const int index = Add(intervalMs, std::move(onTimer), timer);
  timer->Tag.Emplace<TPowerUpEffect>(player, kind);
  return index;
}

bool TPUPTimer2List::RemoveFor(const TPlayer* player, uint8_t kind) {
  for (size_t i = 0; i < FItems.size(); ++i) {
    const auto* effect = FItems[i]->Tag.As<TPowerUpEffect>();
    if (effect && effect->Player == player && effect->Kind == kind) {
      Erase(i);
      return true;
    }
  }
  return false;
}

}  // namespace detonix
