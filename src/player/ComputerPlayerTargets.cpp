// Target choice and bomb laying of the computer player.
#include <algorithm>
#include <cmath>

#include "player/ComputerPlayer.h"

namespace detonix {

namespace {
constexpr int PowerUpLimit = 10;  // MaxBombs and ExplosionSize grow only below this
}

void TComputerPlayer::PlanRoute(TPoint target) {
  RouteGrid.Clear();
  FPowerUps.clear();
  FBombSpotCount = 0;
  bool found = false;

  // The board stays as it is during the search: the cells no bomb can reach are known once.
  UpdateBombReach(ThreatRange());
  const std::span<const TObjectType> maze = FState.MazeGrid.Cells();
  const std::span<int8_t> route = RouteGrid.WritableCells();
  const int cols = FState.ColCount;
  const int rows = FState.RowCount;
  const size_t targetAt = OnBoard(target) ? CellIndex(target) : SIZE_MAX;
  FSearchQueue.Restart();
  if (OnBoard(Position)) {
    // As in Escape, the own cell is not marked and can be reached again from a neighbour.
    FSearchDist[CellIndex(Position)] = 0;
    FSearchQueue.Push(Position);
  }
  while (!found && !FSearchQueue.Empty()) {
    const TPoint cur = FSearchQueue.Pop();
    const size_t at = CellIndex(cur);
    const int distance = FSearchDist[at] + 1;
    // Neighbours in the order of AllDirections, each with its index and the way back.
    const struct {
      bool OnBoard;
      size_t At;
      TPoint Cell;
      TDirection Back;
    } steps[4] = {{cur.X > 0, at - static_cast<size_t>(rows), {cur.X - 1, cur.Y}, dirRight},
                  {cur.X < cols - 1, at + static_cast<size_t>(rows), {cur.X + 1, cur.Y}, dirLeft},
                  {cur.Y > 0, at - 1, {cur.X, cur.Y - 1}, dirDown},
                  {cur.Y < rows - 1, at + 1, {cur.X, cur.Y + 1}, dirUp}};
    for (const auto& step : steps) {
      if (!step.OnBoard) continue;
      const size_t i = step.At;
      if (route[i] >= 0) continue;
      route[i] = static_cast<int8_t>(Ord(step.Back));
      FSearchDist[i] = distance;
      const TPoint next = step.Cell;
      // IsSafeCell with the time it takes to walk there, the walk reckoned only where a bomb could matter.
      const TObjectType cell = maze[i];
      const bool safe = (cell == otEmpty || IsPowerUpType(cell)) &&
                        (!FBombReach[i] || BombThreat(next, WalkTicks(distance) + SafetyMargin) < 0);
      if (safe) {
        if (i == targetAt) {
          found = SetRoute(next);
          break;
        }
        FSearchQueue.Push(next);
        if (IsPowerUpType(cell)) FPowerUps.push_back(next);
      } else if (FPowerUps.empty() && cell == otExpBlock && FBombSpotCount < BombSpotLimit &&
                 BombThreat(next, -1) < 0) {
        // Cur lies next to a block that no bomb is about to blow up: a place to bomb it from.
        FBombSpots[static_cast<size_t>(FBombSpotCount++)] = cur;
      }
    }
  }
  if (found) {
    RouteTarget = target;
    return;
  }
  RouteTarget = NoPoint;
  TPoint spot = NoPoint;
  if (!FPowerUps.empty()) {
    SetRoute(ChoosePowerUp());
  } else if (FBombSpotCount > 0 && ChooseBombSpot(spot)) {
    if (SetRoute(spot)) RouteGrid.SetCell(spot, BombOnArrival);
  } else {
    RouteGrid.Clear();
  }
}

TPoint TComputerPlayer::ChoosePowerUp() const {
  if (FPowerUps.empty()) return NoPoint;
  const bool moreBombs = MaxBombs < PowerUpLimit;
  const bool bigger = ExplosionSize < PowerUpLimit;
  TPoint invisible = NoPoint;
  TPoint seeking = NoPoint;
  TPoint bomb = NoPoint;
  TPoint size = NoPoint;
  TPoint kick = NoPoint;
  auto remember = [](TPoint& slot, TPoint p) {
    if (!IsValidPoint(slot)) slot = p;
  };
  for (const TPoint p : FPowerUps) {
    switch (CellAt(p)) {
      case otIndestructPUP: return p;
      case otInvisiblePUP: remember(invisible, p); break;
      case otSKBombsPUP: remember(seeking, p); break;
      case otSBombPUP: remember(kick, p); break;
      case otBombPUP:
        if (moreBombs) remember(bomb, p);
        break;
      case otExpSizePUP:
        if (bigger) remember(size, p);
        break;
      default: break;
    }
  }
  for (const TPoint p : {invisible, seeking, bomb, size, kick})
    if (IsValidPoint(p)) return p;
  // Nothing wanted: the nearest one all the same.
  return FPowerUps.front();
}

bool TComputerPlayer::ChooseBombSpot(TPoint& p) {
  const int size = std::max<int>(ExplosionSize, OpponentExplosionSize());
  TPoint fallback = NoPoint;
  for (int i = 0; i < FBombSpotCount; ++i) {
    const TPoint spot = FBombSpots[static_cast<size_t>(i)];
    // One fuse tick more than WalkTicks gives.
    const int limit =
        static_cast<int>(std::trunc(static_cast<double>(SearchDistance(spot)) / StepsPerFuseTick + 1.5)) + SafetyMargin;
    if (BombThreat(spot, limit) >= 0 || !CanEscape(spot, {spot}, {size})) continue;
    if (!InDeadEnd(spot, OpponentExplosionSize())) {
      p = spot;
      return true;
    }
    if (!IsValidPoint(fallback)) fallback = spot;
  }
  if (!IsValidPoint(fallback)) return false;
  p = fallback;
  return true;
}

bool TComputerPlayer::CanBombSafely(TPoint goal) {
  return BombsLeft > 0 && CanEscape(Position, {goal, Position}, {OpponentExplosionSize(), ExplosionSize});
}

}  // namespace detonix
