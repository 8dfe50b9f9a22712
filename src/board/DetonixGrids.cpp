#include "board/DetonixGrids.h"

#include <typeinfo>

#include "board/BombRecords.h"

namespace detonix {

namespace {
const char* const InvalidDimensions = "Invalid grid dimensions";
}

int TCustomDetonixGrid::CheckedCount(int cols, int rows) {
  if (cols <= 0 || rows <= 0) throw TBombGridError(InvalidDimensions);
  return cols;
}

void TDetonixIntGrid::IncCell(int x, int y, int8_t n) {
  if (InGrid(x, y)) {
    auto& cell = FCells[Index(x, y)];
    cell = static_cast<int8_t>(static_cast<uint8_t>(cell) + static_cast<uint8_t>(n));
    Wrote(Index(x, y));
  }
}

void TDetonixIntGrid::DecCell(int x, int y, int8_t n) {
  if (InGrid(x, y)) {
    auto& cell = FCells[Index(x, y)];
    cell = static_cast<int8_t>(static_cast<uint8_t>(cell) - static_cast<uint8_t>(n));
    Wrote(Index(x, y));
  }
}

void TDetonixMazeGrid::CopyFrom(const TDetonixMazeGrid& source) {
  for (int x = 0; x < ColCount; ++x)
    for (int y = 0; y < RowCount; ++y) FCells[Index(x, y)] = source.GetCell(x, y);
  WroteAll();
}

static int CheckedTimerGridCount(int cols, int rows) {
  if (cols <= 0 || rows <= 0) throw TBombTimerGridError(InvalidDimensions);
  return cols;
}

TBombTimerGrid::TBombTimerGrid(int cols, int rows)
    : ColCount(CheckedTimerGridCount(cols, rows)),
      RowCount(rows),
      FTimers(static_cast<size_t>(cols) * static_cast<size_t>(rows)) {}

TBombTimerGrid::~TBombTimerGrid() { RemoveAll(); }

void TBombTimerGrid::SetTimer(int x, int y, std::unique_ptr<TTimer> t) {
  if (!InGrid(x, y)) return;
  auto& cell = FTimers[Index(x, y)];
  Release(cell);
  cell = std::move(t);
}

// The players ask for bombs in every danger test: the record type is final, so its exact type
// tells what a dynamic_cast would, without the cast's search.
TBombRecord* TBombTimerGrid::GetBomb(int x, int y) const {
  const TTimer* t = GetTimer(x, y);
  TTagRecord* record = t ? t->Tag.Record() : nullptr;
  return record && typeid(*record) == typeid(TBombRecord) ? static_cast<TBombRecord*>(record) : nullptr;
}

void TBombTimerGrid::SetBomb(int x, int y, std::unique_ptr<TBombRecord> r) {
  if (TTimer* t = GetTimer(x, y)) t->Tag.SetRecord(std::move(r));
}

void TBombTimerGrid::MoveBomb(TPoint from, TPoint to) {
  if (!InGrid(from.X, from.Y) || !InGrid(to.X, to.Y) || from == to) return;
  auto& target = FTimers[Index(to.X, to.Y)];
  // A bomb only slides or crawls onto a cell without one; should one lie there, it is released, not leaked.
  Release(target);
  target = std::move(FTimers[Index(from.X, from.Y)]);
}

void TBombTimerGrid::RemoveBomb(TPoint p) {
  if (InGrid(p.X, p.Y)) Release(FTimers[Index(p.X, p.Y)]);
}

void TBombTimerGrid::RemoveAll() {
  for (auto& cell : FTimers) Release(cell);
}

// The move timer with its record, the seek timer with its record and route, the bomb record, the fuse timer.
void TBombTimerGrid::Release(std::unique_ptr<TTimer>& fuse) {
  if (!fuse) return;
  if (auto* bomb = fuse->Tag.As<TBombRecord>()) {
    bomb->MoveTimer.reset();
    bomb->SeekTimer.reset();
  }
  fuse->Tag.Clear();
  fuse.reset();
}

void TBombTimerGrid::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  for (auto& fuse : FTimers) {
    if (!fuse) continue;
    fuse->SetEnabled(value);
    if (auto* bomb = fuse->Tag.As<TBombRecord>()) {
      if (bomb->MoveTimer) bomb->MoveTimer->SetEnabled(value);
      if (bomb->SeekTimer) bomb->SeekTimer->SetEnabled(value);
    }
  }
}

}  // namespace detonix
