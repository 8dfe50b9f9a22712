#include "engine/MazeGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace detonix {

namespace {

// Nearest integer, a tie going to the even neighbour, whatever the FPU's rounding mode is.
double RoundHalfEven(double x) {
  const double lower = std::floor(x);
  const double rest = x - lower;
  if (rest > 0.5) return lower + 1;
  if (rest < 0.5) return lower;
  return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

// Cells are queued by index (X * RowCount + Y) rather than by point key, so no board is too
// wide for the 16 bits a point key gives a coordinate.
int32_t CellIndex(TPoint p, int rowCount) { return p.X * rowCount + p.Y; }
TPoint CellAt(int32_t index, int rowCount) { return {index / rowCount, index % rowCount}; }

}  // namespace

TMazeCounts ComputeMazeCounts(int colCount, int rowCount, const TMazeSettings& settings) {
  TMazeCounts c;
  c.Total = colCount * rowCount;
  // A negative share would leave the walk waiting for a block count it can never reach.
  const double blocksLeft = settings.PerBlocksLeft > 0 ? settings.PerBlocksLeft : 0.0;
  const double fixed = c.Total * blocksLeft;
  c.Fixed = fixed >= c.Total ? c.Total : static_cast<int>(RoundHalfEven(fixed));
  const int opened = c.Total - c.Fixed;
  // Beyond one more than the opened cells, either way, the result no longer changes; the clamp
  // only keeps the conversion to an integer defined.
  // A negative share asks for no blocks, as 0 does (NaN too), rather than failing every maze.
  const double expBlocks = settings.PerOfEBlocks > 0 ? settings.PerOfEBlocks : 0.0;
  const double target = std::clamp(opened * expBlocks, -(opened + 1.0), opened + 1.0);
  c.ExpTarget = static_cast<int>(std::trunc(target));
  c.Interval = opened / std::max(1, c.ExpTarget);
  // The walk opens opened - 1 cells after its first, so an interval of all the opened cells
  // would lay no block at all, and a maze that needs one would never be made. Half of them
  // lays exactly one, halfway through the walk.
  if (c.ExpTarget == 1) c.Interval = (opened - 1) / 2;
  return c;
}

void TMazeGenerator::TSearch::Begin(const TDetonixMazeGrid& maze, TPoint first) {
  const size_t cellCount = static_cast<size_t>(maze.ColCount) * static_cast<size_t>(maze.RowCount);
  if (FMarks.size() != cellCount) {
    FMarks.assign(cellCount, 0);
    FQueue.assign(cellCount, 0);
    FStamp = 0;
  }
  if (++FStamp == 0) {  // the stamp wrapped: old marks could match again
    std::fill(FMarks.begin(), FMarks.end(), 0);
    FStamp = 1;
  }
  FHead = FTail = 0;
  const int32_t index = CellIndex(first, maze.RowCount);
  Mark(static_cast<size_t>(index));
  Push(index);
}

bool TMazeGenerator::TSearch::Mark(size_t index) {
  if (FMarks[index] == FStamp) return false;
  FMarks[index] = FStamp;
  return true;
}

bool TMazeGenerator::GenerateMaze(TDetonixMazeGrid& maze, TDetonixIntGrid& powerUps, TPoint& start1, TPoint& start2) {
  const int cols = FState.ColCount;
  const int rows = FState.RowCount;
  if (maze.ColCount != cols || maze.RowCount != rows || powerUps.ColCount != cols || powerUps.RowCount != rows)
    throw std::invalid_argument("GenerateMaze: grids differ from the board size");
  FPowerUps = &powerUps;
  TRandom& random = FState.Random;
  FAttempt = 0;
  bool ok = false;
  do {
    ++FAttempt;
    maze.Fill(otBlock);
    powerUps.Clear();
    FRunLeft = 0;
    const TMazeCounts c = ComputeMazeCounts(cols, rows, FState.MazeSettings);
    FX = random.Random(cols);
    FY = random.Random(rows);
    maze.SetCell(FX, FY, otEmpty);
    int remaining = c.Total - 1;
    int sinceBlock = 0;
    const int64_t maxSteps = MaxWalkSteps(cols, rows);
    int64_t steps = 0;
    while (c.Fixed < remaining && ++steps <= maxSteps) {
      WalkStep();
      if (maze.GetCell(FX, FY) != otBlock) continue;  // crossing cells opened before
      --remaining;
      if (sinceBlock == c.Interval) {
        maze.SetCell(FX, FY, otExpBlock);
        HidePowerUp(FX, FY);
        sinceBlock = 0;
      } else {
        maze.SetCell(FX, FY, otEmpty);
        ++sinceBlock;
      }
    }
    ok = c.Fixed >= remaining && FindStartCells(start1, start2, maze, c.ExpTarget == 0);
  } while (!ok && FAttempt < MaxMazeAttempts);
  if (!ok) throw std::runtime_error(MazeErrorMessage);
  return true;
}

void TMazeGenerator::WalkStep() {
  const int cols = FState.ColCount;
  const int rows = FState.RowCount;
  if (FRunLeft > 0) {
    --FRunLeft;
  } else {
    FDirection = static_cast<TDirection>(FState.Random.Random(4));
    switch (FDirection) {
      case dirLeft: if (FX == 0) FDirection = dirRight; break;
      case dirRight: if (FX == cols - 1) FDirection = dirLeft; break;
      case dirUp: if (FY == 0) FDirection = dirDown; break;
      case dirDown: if (FY == rows - 1) FDirection = dirUp; break;
    }
    FRunLeft = FState.Random.Random(6) + 1;
  }
  switch (FDirection) {
    case dirLeft: FX = std::max(0, FX - 1); break;
    case dirRight: FX = std::min(cols - 1, FX + 1); break;
    case dirUp: FY = std::max(0, FY - 1); break;
    case dirDown: FY = std::min(rows - 1, FY + 1); break;
  }
}

void TMazeGenerator::HidePowerUp(int x, int y) {
  if (FState.Random.Random(100) < FState.MazeSettings.PerOfPUps)
    FPowerUps->SetCell(x, y, static_cast<int8_t>(FState.Random.Random(5) + Ord(otBombPUP)));
}

bool TMazeGenerator::FindStartCells(TPoint& start1, TPoint& start2, const TDetonixMazeGrid& maze, bool noExpBlocks) {
  const int cols = maze.ColCount;
  const int rows = maze.RowCount;
  const size_t cells = static_cast<size_t>(cols) * static_cast<size_t>(rows);
  // All floor cells of one floor region share their verdict: the first floor cell from which a
  // search reaches a destructible block offers a retreat exactly when every floor cell beside
  // that block in the region does (a cell without one has the whole region within 3 cells on its
  // own lines, which leaves no room for another floor side of the block). So one search
  // settles a region, and a maze without a viable cell costs one search per region, not per cell.
  // The same holds with one floor cell taken for a wall, with verdicts of their own.
  FVerdicts.assign(cells, 0);
  FSharedVerdicts.assign(cells, 0);
  const auto viable = [&](TPoint p, TPoint occupied) {
    std::vector<uint8_t>& verdicts = occupied == NoPoint ? FVerdicts : FSharedVerdicts;
    uint8_t& known = verdicts[static_cast<size_t>(CellIndex(p, rows))];
    if (known != 0) return known == 1;
    const bool ok = IsViableStart(p, maze, noExpBlocks, occupied);
    if (!noExpBlocks && maze.GetCell(p) == otEmpty)
      for (const int32_t* i = FStartSearch.QueuedBegin(); i != FStartSearch.QueuedEnd(); ++i)
        verdicts[static_cast<size_t>(*i)] = ok ? 1 : 2;
    return ok;
  };
  start1 = NoPoint;
  start2 = NoPoint;
  for (int y = 0; y < rows && start1 == NoPoint; ++y)
    for (int x = 0; x < cols; ++x)
      if (viable({x, y}, NoPoint)) {
        start1 = {x, y};
        break;
      }
  if (start1 == NoPoint) return false;
  // The players cannot pass each other. A second start on the first one's floor must bomb and
  // get away with the first player standing where it starts, and leave that player able to do
  // the same; two players in a pocket of three cells would otherwise wait there for ever.
  if (!noExpBlocks) MarkFloorRegion(start1, maze);
  const auto shared = [&](TPoint p) { return !noExpBlocks && FRegion.Marked(static_cast<size_t>(CellIndex(p, rows))); };
  for (int y = rows - 1; y >= 0 && start2 == NoPoint; --y)
    for (int x = cols - 1; x >= 0; --x) {
      const TPoint p{x, y};
      if (p == start1) continue;
      if (shared(p) ? viable(p, start1) && IsViableStart(start1, maze, false, p) : viable(p, NoPoint)) {
        start2 = p;
        break;
      }
    }
  return start2 != NoPoint;
}

void TMazeGenerator::MarkFloorRegion(TPoint from, const TDetonixMazeGrid& maze) {
  const int rows = maze.RowCount;
  TSearch& s = FRegion;
  s.Begin(maze, from);
  while (!s.Empty()) {
    const TPoint here = CellAt(s.Pop(), rows);
    for (const TDirection dir : AllDirections) {
      const TPoint n = Neighbour(here, dir);
      if (maze.InGrid(n.X, n.Y) && maze.GetCell(n) == otEmpty && s.Mark(static_cast<size_t>(CellIndex(n, rows))))
        s.Push(CellIndex(n, rows));
    }
  }
}

bool TMazeGenerator::IsViableStart(TPoint p, const TDetonixMazeGrid& maze, bool noExpBlocks, TPoint occupied) {
  if (maze.GetCell(p) != otEmpty || p == occupied) return false;
  if (noExpBlocks) return true;
  const int rows = maze.RowCount;
  TSearch& s = FStartSearch;
  s.Begin(maze, p);
  while (!s.Empty()) {
    const TPoint here = CellAt(s.Pop(), rows);
    for (const TDirection dir : AllDirections) {
      const TPoint n = Neighbour(here, dir);
      if (!maze.InGrid(n.X, n.Y) || n == occupied || !s.Mark(static_cast<size_t>(CellIndex(n, rows)))) continue;
      const TObjectType cell = maze.GetCell(n);
      if (cell == otEmpty) {
        s.Push(CellIndex(n, rows));
      } else if (cell == otExpBlock && HasSafeRetreat(here, maze, occupied)) {
        // The bomb goes on HERE, the floor cell beside the block. The block stays marked, so
        // it is tried from this side only.
        return true;
      }
    }
  }
  return false;
}

bool TMazeGenerator::HasSafeRetreat(TPoint spot, const TDetonixMazeGrid& maze, TPoint occupied) {
  if (!maze.InGrid(spot.X, spot.Y)) return false;
  const int rows = maze.RowCount;
  TSearch& s = FRetreatSearch;
  s.Begin(maze, spot);
  while (!s.Empty()) {
    const TPoint here = CellAt(s.Pop(), rows);
    for (const TDirection dir : AllDirections) {
      const TPoint n = Neighbour(here, dir);
      if (!maze.InGrid(n.X, n.Y) || !s.Mark(static_cast<size_t>(CellIndex(n, rows)))) continue;
      if (maze.GetCell(n) != otEmpty || n == occupied) continue;
      // Only the distance along the bomb's row or column counts; walls between give no cover.
      const bool safe = n.X == spot.X   ? std::abs(n.Y - spot.Y) > 3
                        : n.Y == spot.Y ? std::abs(n.X - spot.X) > 3
                                        : true;
      if (safe) return true;
      s.Push(CellIndex(n, rows));
    }
  }
  return false;
}

void TMazeGenerator::PlaceWalker(TPoint p, TDirection direction, int runLeft) {
  FX = p.X;
  FY = p.Y;
  FDirection = direction;
  FRunLeft = runLeft;
}

bool GenerateMaze(TGameState& state, TPoint& start1, TPoint& start2) {
  TMazeGenerator generator(state);
  return generator.GenerateMaze(start1, start2);
}

}  // namespace detonix
