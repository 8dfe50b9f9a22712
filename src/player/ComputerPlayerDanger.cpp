// Danger analysis and the escape search of the computer player.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "board/BombRecords.h"
#include "player/ComputerPlayer.h"

namespace detonix {

namespace {
constexpr int AnyBomb = -1;
constexpr int EarliestFuse = -2;
// Above any real fuse count, which starts at 10.
constexpr int NoFuseSeen = 60;

constexpr bool EndsLineOfSight(TObjectType t) { return t == otBlock || t == otExpBlock; }
constexpr bool IsVertical(TDirection d) { return d == dirUp || d == dirDown; }
}  // namespace

int TComputerPlayer::WalkTicks(int distance) {
  const auto ticks = [this](int d) {
    return static_cast<int>(std::trunc(static_cast<double>(d) / StepsPerFuseTick + 0.5));
  };
  if (distance < 0 || static_cast<size_t>(distance) >= FWalkTicks.size()) return ticks(distance);
  if (FWalkTicksFor != StepsPerFuseTick) {
    for (size_t d = 0; d < FWalkTicks.size(); ++d) FWalkTicks[d] = ticks(static_cast<int>(d));
    FWalkTicksFor = StepsPerFuseTick;
  }
  return FWalkTicks[static_cast<size_t>(distance)];
}

bool TComputerPlayer::InLineOfFire(TPoint from, TPoint to, int range) const {
  if (from == to) return true;
  auto look = [&](TDirection dir) {
    TPoint p = from;
    for (int i = 1; i <= range; ++i) {
      MovePoint(p, dir);
      if (!OnBoard(p)) return false;
      if (p == to) return true;
      if (EndsLineOfSight(CellAt(p))) return false;
    }
    return false;
  };
  if (from.X == to.X) return look(dirUp) || look(dirDown);
  if (from.Y == to.Y) return look(dirLeft) || look(dirRight);
  return false;
}

int TComputerPlayer::BombThreat(TPoint p, int timeLimit) {
  // Off the board there is nothing to look at, and no cell to mark.
  if (!OnBoard(p)) return -1;
  const int range = ThreatRange();
  if (!NearBomb(p, range)) return -1;
  FThreatVisited.NextGeneration();
  FThreatLimit = timeLimit;
  FMinFuse = NoFuseSeen;
  if (!ThreatFrom(p, range)) return -1;
  return timeLimit == EarliestFuse ? FMinFuse : 1;
}

bool TComputerPlayer::NearBomb(TPoint p, int range) {
  UpdateBombReach(range);
  return FBombReach[CellIndex(p)] != 0;
}

void TComputerPlayer::UpdateBombReach(int range) {
  const uint64_t changes = FState.MazeGrid.Changes();
  if (FBombReachMapped && changes == FBombReachChanges && range == FBombReachRange) return;
  MapBombReach(range);
  FBombReachMapped = true;
  FBombReachChanges = changes;
  FBombReachRange = range;
}

// The cells from which ThreatFrom would meet a bomb: a line of sight is the same both ways, so
// every bomb marks what it sees, up to and including the block that ends each line.
void TComputerPlayer::MapBombReach(int range) {
  std::fill(FBombReach.begin(), FBombReach.end(), 0);
  const std::span<const TObjectType> cells = FState.MazeGrid.Cells();
  // Bombs are few: memchr skips the rest of the board many cells at a time.
  const auto* const first = reinterpret_cast<const unsigned char*>(cells.data());
  const auto* const end = first + cells.size();
  for (const auto* at = first; (at = static_cast<const unsigned char*>(std::memchr(at, Ord(otBomb), static_cast<size_t>(end - at)))); ++at) {
    const auto i = static_cast<size_t>(at - first);
    FBombReach[i] = 1;
    const TPoint bomb{static_cast<int>(i / static_cast<size_t>(FState.RowCount)),
                      static_cast<int>(i % static_cast<size_t>(FState.RowCount))};
    for (TDirection dir : AllDirections) {
      TPoint q = bomb;
      for (int step = 1; step <= range; ++step) {
        MovePoint(q, dir);
        if (!OnBoard(q)) break;
        FBombReach[CellIndex(q)] = 1;
        if (EndsLineOfSight(CellAt(q))) break;
      }
    }
  }
}

// Recursion depth is bounded by the number of bombs: each is looked into once per call.
bool TComputerPlayer::ThreatFrom(TPoint cur, int range) {
  const size_t at = CellIndex(cur);
  FThreatVisited.Mark(at);
  const bool earliest = FThreatLimit == EarliestFuse;
  bool found = false;
  CheckBombCell(cur, 0, found);
  const std::span<const TObjectType> maze = FState.MazeGrid.Cells();
  const auto rows = static_cast<ptrdiff_t>(FState.RowCount);
  // Per direction of AllDirections: the cells before the board's edge and the index step.
  const int room[4] = {cur.X, FState.ColCount - 1 - cur.X, cur.Y, FState.RowCount - 1 - cur.Y};
  const ptrdiff_t stride[4] = {-rows, rows, -1, 1};
  constexpr int dx[4] = {-1, 1, 0, 0};
  constexpr int dy[4] = {0, 0, -1, 1};
  for (size_t d = 0; d < 4; ++d) {
    if (!earliest && found) break;
    const int steps = std::min(range, room[d]);
    auto i = static_cast<ptrdiff_t>(at);
    for (int n = 1; n <= steps; ++n) {
      i += stride[d];
      const TObjectType cell = maze[static_cast<size_t>(i)];
      if (EndsLineOfSight(cell)) break;
      if (cell != otBomb) continue;
      CheckBombCell({cur.X + dx[d] * n, cur.Y + dy[d] * n}, n, found);
      if (!earliest && found) break;
    }
  }
  return found;
}

void TComputerPlayer::CheckBombCell(TPoint q, int distance, bool& found) {
  if (CellAt(q) != otBomb) return;
  if (FThreatLimit == AnyBomb) {
    found = true;
    return;
  }
  const TBombRecord* bomb = FState.BombTimerGrid.GetBomb(q);
  if (!bomb) return;
  const bool reaches = distance <= bomb->Size;
  if (FThreatLimit == EarliestFuse) {
    found = true;
    if (bomb->FuseCount < FMinFuse && reaches) FMinFuse = bomb->FuseCount;
    if (!FThreatVisited.Marked(CellIndex(q))) ThreatFrom(q, bomb->Size);
    return;
  }
  if (bomb->FuseCount < FThreatLimit && reaches) found = true;
  else if (!FThreatVisited.Marked(CellIndex(q))) found = ThreatFrom(q, bomb->Size);
}

bool TComputerPlayer::IsSafeCell(TPoint p, int timeLimit) {
  return FState.IsPassable(p) && BombThreat(p, timeLimit) < 0;
}

bool TComputerPlayer::InBlast(TPoint cell, std::span<const TPoint> bombs, std::span<const int> sizes) const {
  const size_t n = std::min(bombs.size(), sizes.size());
  for (size_t i = 0; i < n; ++i)
    if (InLineOfFire(cell, bombs[i], sizes[i])) return true;
  return false;
}

bool TComputerPlayer::CanEscape(TPoint start, std::span<const TPoint> bombs, std::span<const int> sizes) {
  if (!InBlast(start, bombs, sizes)) return true;
  if (!OnBoard(start)) return false;
  const TPoint goal = Goal();
  const size_t n = std::min(bombs.size(), sizes.size());
  auto isAssumedBomb = [&](TPoint p) {
    for (size_t i = 0; i < n; ++i)
      if (bombs[i] == p) return true;
    return false;
  };

  FEscapeVisited.NextGeneration();
  FEscapeVisited.Mark(CellIndex(start));
  FEscapeDist[CellIndex(start)] = 0;
  FEscapeQueue.Restart();
  FEscapeQueue.Push(start);
  while (!FEscapeQueue.Empty()) {
    const TPoint cur = FEscapeQueue.Pop();
    for (TDirection dir : AllDirections) {
      const TPoint next = Neighbour(cur, dir);
      if (!OnBoard(next)) continue;
      const size_t i = CellIndex(next);
      if (FEscapeVisited.Marked(i) || !FState.IsPassable(next) || isAssumedBomb(next) || next == goal) continue;
      FEscapeVisited.Mark(i);
      const int distance = FEscapeDist[CellIndex(cur)] + 1;
      FEscapeDist[i] = distance;
      if (!InBlast(next, bombs, sizes) && BombThreat(next, AnyBomb) < 0) return true;
      // The assumed bombs are not taken to go off during the walk; real ones limit the way.
      if (BombThreat(next, WalkTicks(distance) + SafetyMargin) < 0) FEscapeQueue.Push(next);
    }
  }
  return false;
}

bool TComputerPlayer::IsClosed(TPoint p) const {
  if (!OnBoard(p)) return true;
  const TObjectType t = CellAt(p);
  return t == otBlock || t == otExpBlock || t == otBomb;
}

bool TComputerPlayer::InDeadEnd(TPoint p, int range) const {
  if (IsClosed(Neighbour(p, dirLeft)) && IsClosed(Neighbour(p, dirRight)))
    return ScanCorridor(p, dirUp, range) || ScanCorridor(p, dirDown, range);
  if (IsClosed(Neighbour(p, dirUp)) && IsClosed(Neighbour(p, dirDown)))
    return ScanCorridor(p, dirLeft, range) || ScanCorridor(p, dirRight, range);
  return false;
}

bool TComputerPlayer::ScanCorridor(TPoint p, TDirection dir, int range) const {
  const TDirection side1 = IsVertical(dir) ? dirLeft : dirUp;
  const TDirection side2 = IsVertical(dir) ? dirRight : dirDown;
  TPoint q = p;
  for (int i = 0; i < range; ++i) {
    MovePoint(q, dir);
    if (IsClosed(q)) return true;
    if (!IsClosed(Neighbour(q, side1)) || !IsClosed(Neighbour(q, side2))) return false;
  }
  return false;
}

bool TComputerPlayer::Escape() {
  RouteTarget = NoPoint;
  const TPoint goal = Goal();
  const int opponentSize = OpponentExplosionSize();
  RouteGrid.Clear();
  FKickList.clear();
  TPoint survivesOpponentBomb = NoPoint;
  TPoint safeForNow = NoPoint;
  TPoint kickPowerUp = NoPoint;
  TPoint calmest = NoPoint;
  int bestFuse = BombThreat(Position, EarliestFuse);
  bool found = false;

  if (OnBoard(Position)) {
    // The own cell is not marked: a neighbour reaches it again like any other cell.
    FSearchDist[CellIndex(Position)] = 0;
    FSearchQueue.Restart();
    FSearchQueue.Push(Position);
  } else {
    FSearchQueue.Restart();
  }
  while (!found && !FSearchQueue.Empty()) {
    const TPoint cur = FSearchQueue.Pop();
    for (TDirection dir : AllDirections) {
      const TPoint next = Neighbour(cur, dir);
      if (!OnBoard(next) || RouteGrid.GetCell(next) >= 0) continue;
      const int distance = FSearchDist[CellIndex(cur)] + 1;
      FSearchDist[CellIndex(next)] = distance;
      RouteGrid.SetCell(next, static_cast<int8_t>(Ord(Opposite(dir))));
      if (!FState.IsPassable(next) || next == goal) {
        if (CanKick && CellAt(next) == otBomb) FKickList.push_back(next);
        continue;
      }
      if (IsSafeCell(next, AnyBomb)) {
        const bool survivesBombAtGoal = CanEscape(next, {goal}, {opponentSize});
        const bool survivesBombBehind = CanEscape(next, {cur}, {opponentSize});
        if (survivesBombAtGoal && survivesBombBehind) {
          SetRoute(next);
          found = true;
          break;
        }
        if (survivesBombAtGoal) survivesOpponentBomb = next;
        else safeForNow = next;
        FSearchQueue.Push(next);
      } else {
        if (!IsValidPoint(kickPowerUp) && CellAt(next) == otSBombPUP) kickPowerUp = next;
        const int fuse = BombThreat(next, EarliestFuse);
        // Passable in time: the player is through before the earliest bomb goes off.
        if (WalkTicks(distance) <= fuse) FSearchQueue.Push(next);
        if (fuse > bestFuse) {
          calmest = next;
          bestFuse = fuse;
        }
      }
    }
  }
  if (found) return true;

  TPoint kickFrom = NoPoint;
  if (IsValidPoint(survivesOpponentBomb)) SetRoute(survivesOpponentBomb);
  else if (IsValidPoint(safeForNow)) SetRoute(safeForNow);
  else if (!CanKick && IsValidPoint(kickPowerUp)) SetRoute(kickPowerUp);
  else if (CanKick && FindKickEscape(kickFrom)) SetRoute(kickFrom);
  else if (IsValidPoint(calmest)) SetRoute(calmest);
  else RouteGrid.Clear();
  return false;
}

bool TComputerPlayer::FindKickEscape(TPoint& cell) {
  if (!CanKick) return false;
  for (const TPoint bomb : FKickList) {
    for (TDirection dir : AllDirections) {
      const TPoint from = Neighbour(bomb, dir);
      if (!OnBoard(from) || RouteGrid.GetCell(from) < 0) continue;
      RouteGrid.SetCell(bomb, static_cast<int8_t>(Ord(dir)));
      TPoint p = bomb;
      if (PlanKick(p, Opposite(dir))) {
        cell = p;
        return true;
      }
    }
  }
  return false;
}

bool TComputerPlayer::PlanKick(TPoint& p, TDirection dir) {
  if (!FState.CanPushBomb(p, dir)) return false;
  const TDirection back = Opposite(dir);
  const TPoint stepIn = Neighbour(p, back);      // where the kicking player steps in
  const TPoint runUp = Neighbour(stepIn, back);  // where it comes from
  if (!OnBoard(runUp)) return false;
  auto isFree = [&](TPoint q) { return FState.IsPassable(q) && q != OpponentPosition(); };
  if (!isFree(runUp) || !isFree(stepIn)) return false;
  // Go to the run-up cell first when the search came to it from the side, so that the player can
  // then walk straight into the bomb. A run-up cell the search never reached has no way back to
  // Position; the bomb cell, whose back direction the caller has just set, always has one.
  const int runUpBack = RouteGrid.GetCell(runUp);
  if (runUp != Position && runUpBack >= 0 && runUpBack <= 3 && Opposite(static_cast<TDirection>(runUpBack)) != dir)
    p = runUp;
  return true;
}

}  // namespace detonix
