#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

#include "board/GlobalTypes.h"
#include "platform/Timer.h"

namespace detonix {

class TBombGridError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TBombTimerGridError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A column-major grid indexed [X][Y]. Accessors never fail: reads outside give the default,
// writes outside are ignored.
class TCustomDetonixGrid {
 public:
  TCustomDetonixGrid(int cols, int rows) : ColCount(cols), RowCount(rows) {}
  virtual ~TCustomDetonixGrid() = default;
  virtual void Clear() = 0;

  bool InGrid(int x, int y) const { return x >= 0 && x < ColCount && y >= 0 && y < RowCount; }

  const int ColCount;
  const int RowCount;

 protected:
  size_t Index(int x, int y) const { return static_cast<size_t>(x) * static_cast<size_t>(RowCount) + static_cast<size_t>(y); }
  // Throws TBombGridError unless both counts are above 0.
  static int CheckedCount(int cols, int rows);
};

template <class V>
class TDetonixValueGrid : public TCustomDetonixGrid {
 public:
  TDetonixValueGrid(int cols, int rows, V defaultValue)
      : TCustomDetonixGrid(cols, rows),
        DefaultValue(defaultValue),
        FCells(static_cast<size_t>(CheckedCount(cols, rows)) * static_cast<size_t>(rows), defaultValue) {}

  V GetCell(int x, int y) const { return InGrid(x, y) ? FCells[Index(x, y)] : DefaultValue; }
  V GetCell(TPoint p) const { return GetCell(p.X, p.Y); }
  void SetCell(int x, int y, V v) {
    if (!InGrid(x, y)) return;
    const size_t i = Index(x, y);
    FCells[i] = v;
    Wrote(i);
  }
  void SetCell(TPoint p, V v) { SetCell(p.X, p.Y, v); }
  void Clear() override { Fill(DefaultValue); }
  // Every cell := V; the default stays as it is.
  void Fill(V v) {
    std::fill(FCells.begin(), FCells.end(), v);
    WroteAll();
  }
  // The cells in index order (column by column), for a reader that walks the whole grid.
  std::span<const V> Cells() const { return FCells; }
  // The same for a writer, which counts as one change.
  std::span<V> WritableCells() {
    WroteAll();
    return FCells;
  }
  // Grows with every write, so a reader can tell that what it worked out from the grid still holds.
  uint64_t Changes() const { return FChanges; }

  // From now on remembers the cells of the last N single-cell writes (N a power of two), for a
  // reader that worked something out from a part of the grid only.
  void KeepWrites(size_t n) {
    FWrites.assign(n, 0);
    FWholeWrite = FChanges;
  }
  // Calls F with the index of every cell written since Changes() was SINCE and returns true;
  // false when that is not known: a write of the whole grid, or more writes than are kept.
  template <class F>
  bool ForEachWriteSince(uint64_t since, F&& f) const {
    if (since < FWholeWrite || FChanges - since > FWrites.size()) return false;
    for (uint64_t c = since + 1; c <= FChanges; ++c) f(static_cast<size_t>(FWrites[c & (FWrites.size() - 1)]));
    return true;
  }

  const V DefaultValue;

 protected:
  void Wrote(size_t i) {
    ++FChanges;
    if (!FWrites.empty()) FWrites[FChanges & (FWrites.size() - 1)] = static_cast<uint32_t>(i);
  }
  void WroteAll() { FWholeWrite = ++FChanges; }

  std::vector<V> FCells;
  uint64_t FChanges = 0;
  uint64_t FWholeWrite = 0;
  std::vector<uint32_t> FWrites;  // by change number, modulo their count
};

// Small signed integers per cell; arithmetic wraps in 8 bits.
class TDetonixIntGrid final : public TDetonixValueGrid<int8_t> {
 public:
  TDetonixIntGrid(int cols, int rows, int8_t defaultValue) : TDetonixValueGrid(cols, rows, defaultValue) {}
  void IncCell(int x, int y, int8_t n);
  void DecCell(int x, int y, int8_t n);
  void IncCell(TPoint p, int8_t n) { IncCell(p.X, p.Y, n); }
  void DecCell(TPoint p, int8_t n) { DecCell(p.X, p.Y, n); }
};

class TDetonixMazeGrid final : public TDetonixValueGrid<TObjectType> {
 public:
  // Enough writes for the fire of a few bombs between two looks of a seeking bomb.
  static constexpr size_t KeptWrites = 512;
  TDetonixMazeGrid(int cols, int rows, TObjectType defaultValue) : TDetonixValueGrid(cols, rows, defaultValue) {
    KeepWrites(KeptWrites);
  }
  // Takes Source cell by cell over this grid's area: a smaller source gives its default outside.
  void CopyFrom(const TDetonixMazeGrid& source);
};

struct TBombRecord;

// The fuse timer of every bomb on the board, indexed [X][Y]. The grid owns each fuse timer and
// everything that hangs on it: the bomb record, its move and seek timers and their records.
class TBombTimerGrid {
 public:
  TBombTimerGrid(int cols, int rows);
  ~TBombTimerGrid();
  TBombTimerGrid(const TBombTimerGrid&) = delete;
  TBombTimerGrid& operator=(const TBombTimerGrid&) = delete;

  bool InGrid(int x, int y) const { return x >= 0 && x < ColCount && y >= 0 && y < RowCount; }
  TTimer* GetTimer(int x, int y) const { return InGrid(x, y) ? FTimers[Index(x, y)].get() : nullptr; }
  TTimer* GetTimer(TPoint p) const { return GetTimer(p.X, p.Y); }
  // Stores T at the cell, releasing whatever bomb lay there; outside the grid T is released.
  void SetTimer(int x, int y, std::unique_ptr<TTimer> t);
  TBombRecord* GetBomb(int x, int y) const;
  TBombRecord* GetBomb(TPoint p) const { return GetBomb(p.X, p.Y); }
  // Hangs R on the cell's fuse timer; without a timer there R is dropped.
  void SetBomb(int x, int y, std::unique_ptr<TBombRecord> r);
  // Only when both points lie in the grid.
  void MoveBomb(TPoint from, TPoint to);
  void RemoveBomb(TPoint p);
  void RemoveAll();
  // Pauses or resumes every fuse, move and seek timer; a resumed timer counts its interval afresh.
  void SetEnabled(bool value);
  bool Enabled() const { return FEnabled; }

  const int ColCount;
  const int RowCount;

 private:
  size_t Index(int x, int y) const { return static_cast<size_t>(x) * static_cast<size_t>(RowCount) + static_cast<size_t>(y); }
  void Release(std::unique_ptr<TTimer>& fuse);

  std::vector<std::unique_ptr<TTimer>> FTimers;
  bool FEnabled = true;
};

}  // namespace detonix
