// Kicked bombs that slide, and seeking bombs that crawl towards the opponent.
#include <cstdint>
#include <span>

#include "board/BombRecords.h"
#include "engine/DetonixSim.h"
#include "player/ComputerPlayer.h"

namespace detonix {

namespace {
constexpr uint32_t SlideMs = 100;
constexpr uint32_t SeekMs = 300;
}  // namespace

bool TDetonixSimulator::CreateBombMoveTimer(TPoint cell, TDirection dir) {
  TBombRecord* bomb = FState.BombTimerGrid.GetBomb(cell);
  if (!bomb) return false;
  try {
    auto timer = std::make_unique<TTimer>(FApp.Timers(), SlideMs, [this](TTimer& t) { BombMoveTimerTick(t); });
    auto& move = timer->Tag.Emplace<TBombMoveRecord>();
    move.Position = cell;
    move.Direction = dir;
    bomb->MoveTimer = std::move(timer);
  } catch (const std::exception&) {
    FApp.ShowMessage("Could not create bomb move timer");
    return false;
  }
  return true;
}

// A moving bomb may enter floor, or fire (where it goes off at once); never a player's cell.
bool TDetonixSimulator::CanBombEnter(TPoint next) const {
  if (!FState.OnBoard(next) || FState.IsPlayerAt(next)) return false;
  const TObjectType object = FState.MazeGrid.GetCell(next);
  return object == otEmpty || object == otExplosion || object == otBExplosion;
}

// Redraws the cell left behind (with the player on it, if any) and moves the bomb in the grid.
void TDetonixSimulator::StepBomb(TBombRecord& bomb, TPoint from, TPoint to) {
  CellObject(Ord(otEmpty));
  if (const TPlayer* player = FState.FindPlayerAt(from)) CellPlayer(*player);
  CopyCell(from);
  FState.MazeGrid.SetCell(from, otEmpty);
  FState.BombTimerGrid.MoveBomb(from, to);
  bomb.Position = to;
}

void TDetonixSimulator::BombMoveTimerTick(TTimer& timer) {
  if (FGameOver) return;
  TBombMoveRecord* move = timer.Tag.As<TBombMoveRecord>();
  TBombRecord* bomb = move ? FState.BombTimerGrid.GetBomb(move->Position) : nullptr;
  if (!bomb) return;
  const TPoint from = move->Position;
  const TPoint next = Neighbour(from, move->Direction);
  if (!CanBombEnter(next)) {
    bomb->MoveTimer.reset();  // frees this very timer and its record
    if (!FPlayer2->IsCurrentCellSafe()) FPlayer2->Escape();
    return;
  }
  const bool intoFire = FState.MazeGrid.GetCell(next) != otEmpty;
  StepBomb(*bomb, from, next);
  move->Position = next;
  if (bomb->SeekTimer)
    if (auto* seek = bomb->SeekTimer->Tag.As<TBombSeekRecord>()) seek->Position = next;
  FState.MazeGrid.SetCell(next, otBomb);
  if (!intoFire) {
    CellBomb(bomb);
    CopyCell(next);
    return;
  }
  bomb->MoveTimer.reset();  // frees this very timer; nothing of it is touched below
  bomb->FuseCount = 1;
  if (TTimer* fuse = FState.BombTimerGrid.GetTimer(next)) BombTimerTick(*fuse);
}

void TDetonixSimulator::CreateBombSeekTimer(TBombRecord& bomb) {
  try {
    auto timer = std::make_unique<TTimer>(FApp.Timers(), SeekMs, [this](TTimer& t) { BombSeekTimerTick(t); });
    auto& seek = timer->Tag.Emplace<TBombSeekRecord>();
    seek.Position = bomb.Position;
    seek.Route = std::make_unique<TDetonixIntGrid>(FState.ColCount, FState.RowCount, -1);
    seek.Target = &Other(*bomb.Owner);
    seek.TargetVisible = seek.Target->Visible;
    bomb.SeekTimer = std::move(timer);
    if (seek.TargetVisible) SeekPath(seek, seek.Target->Position, *seek.Route);
  } catch (const std::exception&) {
    bomb.SeekTimer.reset();
    FApp.ShowMessage("Could not create bomb seek timer");
  }
}

void TDetonixSimulator::BombSeekTimerTick(TTimer& timer) {
  if (FGameOver) return;
  TBombSeekRecord* seek = timer.Tag.As<TBombSeekRecord>();
  TBombRecord* bomb = seek ? FState.BombTimerGrid.GetBomb(seek->Position) : nullptr;
  if (!bomb || bomb->MoveTimer) return;  // a sliding bomb waits
  if (seek->TargetVisible && !seek->Target->Visible) {
    seek->TargetVisible = false;
    seek->Route->Clear();
  } else if (!seek->TargetVisible && seek->Target->Visible) {
    seek->TargetVisible = true;
  }
  if (!seek->TargetVisible) return;

  TDetonixIntGrid& route = *seek->Route;
  const int8_t step = route.GetCell(seek->Position);
  route.SetCell(seek->Position, -1);
  if (step >= 0 && step <= Ord(dirDown)) {
    const TPoint from = seek->Position;
    const TPoint next = Neighbour(from, static_cast<TDirection>(step));
    if (CanBombEnter(next)) {
      const bool intoFire = FState.MazeGrid.GetCell(next) != otEmpty;
      StepBomb(*bomb, from, next);
      seek->Position = next;
      FState.MazeGrid.SetCell(next, otBomb);
      if (!intoFire) {
        CellBomb(bomb);
        CopyCell(next);
        return;
      }
      bomb->SeekTimer.reset();  // frees this very timer, its record and route
      bomb->FuseCount = 1;
      if (TTimer* fuse = FState.BombTimerGrid.GetTimer(next)) BombTimerTick(*fuse);
      return;
    }
  }
  SeekPath(*seek, seek->Target->Position, route);
}

// Breadth-first from the bomb over free floor; the goal itself may hold anything. On the grids'
// cells directly: a bomb whose target is out of reach searches its whole part of the board, so
// such a search is repeated only once something it looked at has changed.
void TDetonixSimulator::SeekPath(TBombSeekRecord& seek, TPoint goal, TDetonixIntGrid& route) {
  route.Clear();
  if (MissesAgain(seek, goal)) return;
  seek.HasMissed = false;
  const int cols = FState.ColCount;
  const int rows = FState.RowCount;
  const auto indexOf = [this](TPoint p) { return FState.OnBoard(p) ? CellIndex(p) : SIZE_MAX; };
  const size_t goalAt = indexOf(goal);
  const size_t player1At = indexOf(FPlayer1->Position);
  const size_t player2At = indexOf(FPlayer2->Position);
  const std::span<const TObjectType> maze = FState.MazeGrid.Cells();
  const std::span<int8_t> marks = route.WritableCells();
  int32_t* const queue = FSeekQueue.data();
  const size_t capacity = FSeekQueue.size();
  size_t head = 0;
  size_t tail = 0;
  queue[tail++] = PointToKey(seek.Position);
  while (head < tail) {
    const TPoint cell = KeyToPoint(queue[head++]);
    for (TDirection dir : AllDirections) {
      const TPoint q = Neighbour(cell, dir);
      if (q.X < 0 || q.X >= cols || q.Y < 0 || q.Y >= rows) continue;
      const size_t at = CellIndex(q);
      if (marks[at] >= 0) continue;
      marks[at] = static_cast<int8_t>(Ord(Opposite(dir)));  // the way back to the cell it was reached from
      if (at == goalAt) {
        BuildRoute(seek.Position, goal, route);
        return;
      }
      if (maze[at] == otEmpty && at != player1At && at != player2At && tail < capacity) queue[tail++] = PointToKey(q);
    }
  }
  RememberMiss(seek, goalAt, player1At, player2At);
  route.Clear();
}

// Turns the back-pointers from Goal into forward steps from Start.
void TDetonixSimulator::BuildRoute(TPoint start, TPoint goal, TDetonixIntGrid& route) {
  TPoint cell = goal;
  int8_t back = route.GetCell(cell);
  // Every cell is written once, so the walk ends within the board's cell count whatever it meets.
  for (int64_t guard = static_cast<int64_t>(FState.ColCount) * FState.RowCount; guard > 0; --guard) {
    if (back < 0 || back > Ord(dirDown)) break;
    const auto backDir = static_cast<TDirection>(back);
    const TPoint previous = Neighbour(cell, backDir);
    back = route.GetCell(previous);  // read before the forward step overwrites it
    route.SetCell(previous, Ord(Opposite(backDir)));
    if (previous == start) break;
    cell = previous;
  }
  route.SetCell(goal, -1);
}


// A search that finds no way reads the maze only on the cells it marks. Players only stop it, so
// when it finds no way even through them it finds none wherever they go, the target aside. That
// holds while every cell that has turned into floor since lies beyond what it marked, or leads
// only to more cells that do not reach the target.
void TDetonixSimulator::RememberMiss(TBombSeekRecord& seek, size_t goalAt, size_t player1At, size_t player2At) {
  const std::span<const int8_t> marks = seek.Route->Cells();
  const std::span<const TObjectType> maze = FState.MazeGrid.Cells();
  std::vector<uint8_t>& missed = seek.Missed;  // 0 not looked at, 1 not floor, 2 floor
  missed.resize(marks.size());
  for (size_t i = 0; i < marks.size(); ++i)
    missed[i] = static_cast<uint8_t>(marks[i] >= 0 ? 1 + (maze[i] == otEmpty) : 0);
  // Go on from the players' cells as if they were not there.
  size_t count = 0;
  for (const size_t at : {player1At, player2At})
    if (at != goalAt && at < missed.size() && missed[at] == 2) FSeekQueue[count++] = static_cast<int32_t>(at);
  seek.HasMissed = SpreadMiss(seek, goalAt, count);
  seek.MissedChanges = FState.MazeGrid.Changes();
  seek.MissedFrom = seek.Position;
}

// Marks what a search would reach beyond the first COUNT cells of the seek queue, floor cells the
// miss had marked but not gone on from. False when that reaches the goal.
bool TDetonixSimulator::SpreadMiss(TBombSeekRecord& seek, size_t goalAt, size_t count) {
  const std::span<const TObjectType> maze = FState.MazeGrid.Cells();
  std::vector<uint8_t>& missed = seek.Missed;
  int32_t* const queue = FSeekQueue.data();
  const int cols = FState.ColCount;
  const int rows = FState.RowCount;
  size_t head = 0;
  size_t tail = count;
  while (head < tail) {
    const auto at = static_cast<size_t>(queue[head++]);
    const TPoint cell{static_cast<int32_t>(at / static_cast<size_t>(rows)), static_cast<int32_t>(at % static_cast<size_t>(rows))};
    for (TDirection dir : AllDirections) {
      const TPoint q = Neighbour(cell, dir);
      if (q.X < 0 || q.X >= cols || q.Y < 0 || q.Y >= rows) continue;
      const size_t next = CellIndex(q);
      if (missed[next] != 0) continue;
      if (next == goalAt) return false;
      missed[next] = static_cast<uint8_t>(1 + (maze[next] == otEmpty));
      // Each cell turns 2 once and is queued then: the queue holds the board.
      if (missed[next] == 2) queue[tail++] = static_cast<int32_t>(next);
    }
  }
  return true;
}

// The last search found no way even through the players, the target is on no cell it marked,
// and no cell it marked has turned into floor that leads on to the target.
bool TDetonixSimulator::MissesAgain(TBombSeekRecord& seek, TPoint goal) {
  if (!seek.HasMissed || seek.Position != seek.MissedFrom) return false;
  const size_t goalAt = FState.OnBoard(goal) ? CellIndex(goal) : SIZE_MAX;
  if (goalAt != SIZE_MAX && seek.Missed[goalAt] != 0) return false;
  const std::span<const TObjectType> maze = FState.MazeGrid.Cells();
  size_t opened = 0;
  const bool known = FState.MazeGrid.ForEachWriteSince(seek.MissedChanges, [&](size_t i) {
    if (seek.Missed[i] != 1 || maze[i] != otEmpty) return;
    seek.Missed[i] = 2;
    FSeekQueue[opened++] = static_cast<int32_t>(i);
  });
  seek.MissedChanges = FState.MazeGrid.Changes();
  seek.HasMissed = known && SpreadMiss(seek, goalAt, opened);
  return seek.HasMissed;
}

}  // namespace detonix
