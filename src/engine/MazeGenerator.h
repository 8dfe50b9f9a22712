#pragma once

#include <cstdint>
#include <vector>

#include "board/DetonixGrids.h"
#include "board/GameState.h"
#include "board/GlobalTypes.h"

namespace detonix {

// The message of the error raised when no attempt gives a playable maze.
inline constexpr const char* MazeErrorMessage = "Error Creating Maze - change Maze options";
inline constexpr int MaxMazeAttempts = 10;

// Steps one walk may take before its attempt counts as failed. On some boards (3 by 3, where
// every run ends on an edge) a cell can be out of the walker's reach for good, and the walk
// would never end. Ordinary walks cover a board in well under 1% of this.
constexpr int64_t MaxWalkSteps(int colCount, int rowCount) {
  const int64_t c = colCount;
  const int64_t r = rowCount;
  return 1000 * (c * r + c * c + r * r);
}

// The sizes one attempt works with, from the board and the maze settings.
struct TMazeCounts {
  int Total = 0;      // cells of the board
  int Fixed = 0;      // cells that stay fixed blocks
  int ExpTarget = 0;  // destructible blocks aimed at; 0 means a maze without any
  int Interval = 0;   // floor cells opened between two destructible blocks
};
// Out-of-range settings are tamed here: a negative or NaN fraction counts as 0, and no product
// leaves the range where it changes the result, so every board gets a walk that ends.
TMazeCounts ComputeMazeCounts(int colCount, int rowCount, const TMazeSettings& settings);

// Carves a maze with a random walker and picks the players' start cells. Reads the geometry,
// the maze settings and the random generator of the game it is given; keeps nothing between
// calls but the buffers of its searches.
class TMazeGenerator {
 public:
  explicit TMazeGenerator(TGameState& state) : FState(state), FPowerUps(&state.PowerUpGrid) {}

  // Fills MAZE and POWERUPS (both of the board's size) with a fresh maze and returns true with
  // two distinct start cells. After ten failed attempts it throws std::runtime_error with
  // MazeErrorMessage, and the grids hold the last attempt.
  bool GenerateMaze(TDetonixMazeGrid& maze, TDetonixIntGrid& powerUps, TPoint& start1, TPoint& start2);
  // The same into the game's MazeTemplate and PowerUpGrid.
  bool GenerateMaze(TPoint& start1, TPoint& start2) {
    return GenerateMaze(FState.MazeTemplate, FState.PowerUpGrid, start1, start2);
  }

  // One step of the walker: a new run draws its direction (turned back at an edge) and its
  // length; the move itself is clamped to the board.
  void WalkStep();
  // Maybe hides a power-up under the destructible block at (X, Y), in the grid being filled.
  void HidePowerUp(int x, int y);
  // Start1 scanning from the top-left, Start2 from the bottom-right; false when either is missing.
  // Two starts on one floor region must each stay viable with the other player standing on its own.
  bool FindStartCells(TPoint& start1, TPoint& start2, const TDetonixMazeGrid& maze, bool noExpBlocks);
  // A floor cell from which a player can reach a destructible block, bomb it and get away; the
  // OCCUPIED cell (where the other player stands) is a wall.
  bool IsViableStart(TPoint p, const TDetonixMazeGrid& maze, bool noExpBlocks, TPoint occupied = NoPoint);
  // A floor cell reachable from SPOT over floor and out of the lines of a bomb on SPOT.
  bool HasSafeRetreat(TPoint spot, const TDetonixMazeGrid& maze, TPoint occupied = NoPoint);

  // The walker, for tests of its steps.
  TPoint WalkerPosition() const { return {FX, FY}; }
  TDirection WalkerDirection() const { return FDirection; }
  int RunLeft() const { return FRunLeft; }
  void PlaceWalker(TPoint p, TDirection direction, int runLeft);

  // Attempts the last GenerateMaze made, 1 to MaxMazeAttempts.
  int Attempt() const { return FAttempt; }

 private:
  // Marks the floor cells reachable from FROM over floor, in FRegion.
  void MarkFloorRegion(TPoint from, const TDetonixMazeGrid& maze);

  // Visited marks and a queue for one breadth-first search, sized from the board once and
  // reused: a fresh stamp clears the marks, and as every cell is queued at most once, the queue
  // never outgrows the board.
  class TSearch {
   public:
    // A new search of MAZE's cells from FIRST, marked and queued.
    void Begin(const TDetonixMazeGrid& maze, TPoint first);
    // Marks cell INDEX; false when it was marked already.
    bool Mark(size_t index);
    bool Marked(size_t index) const { return FMarks[index] == FStamp; }
    void Push(int32_t index) { FQueue[FTail++] = index; }
    bool Empty() const { return FHead == FTail; }
    int32_t Pop() { return FQueue[FHead++]; }
    // Every cell queued since Begin.
    const int32_t* QueuedBegin() const { return FQueue.data(); }
    const int32_t* QueuedEnd() const { return FQueue.data() + FTail; }

   private:
    std::vector<uint32_t> FMarks;
    std::vector<int32_t> FQueue;
    uint32_t FStamp = 0;
    size_t FHead = 0;
    size_t FTail = 0;
  };

  TGameState& FState;
  TDetonixIntGrid* FPowerUps;
  int FX = 0;
  int FY = 0;
  TDirection FDirection = dirLeft;
  int FRunLeft = 0;
  int FAttempt = 0;
  TSearch FStartSearch;
  TSearch FRetreatSearch;
  TSearch FRegion;
  std::vector<uint8_t> FVerdicts;  // per cell during FindStartCells: 0 unknown, 1 viable, 2 not
  std::vector<uint8_t> FSharedVerdicts;  // the same with the first start cell taken for a wall
};

// A maze for a new game of STATE into its MazeTemplate and PowerUpGrid; throws as GenerateMaze does.
bool GenerateMaze(TGameState& state, TPoint& start1, TPoint& start2);

}  // namespace detonix
