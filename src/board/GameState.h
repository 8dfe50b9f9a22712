#pragma once

#include "board/DetonixGrids.h"
#include "board/GlobalTypes.h"
#include "board/Player.h"
#include "platform/Application.h"
#include "platform/Random.h"
#include "settings/Settings.h"

namespace detonix {

// The part of S the maze generator reads.
inline TMazeSettings MazeSettingsOf(const TSettings& s) { return s; }

// Everything one game shares between the simulator, the two players and the maze generator:
// the geometry, the shared grids, the players and the maze settings. Owned by the simulator,
// so several games can run side by side in one process.
class TGameState {
 public:
  // Creates the grids for the geometry; throws the grids' "Invalid grid dimensions" errors.
  TGameState(TApplication& app, TBoardGeometry geometry);
  TGameState(const TGameState&) = delete;
  TGameState& operator=(const TGameState&) = delete;

  TApplication& App;
  const int CellSize;
  const int ColCount;
  const int RowCount;

  TBombTimerGrid BombTimerGrid;
  TDetonixMazeGrid MazeTemplate;  // the maze as generated, copied into MazeGrid at each new game
  TDetonixMazeGrid MazeGrid;      // the live board
  TDetonixIntGrid PowerUpGrid;    // power-up ordinal hidden under a destructible block, -1 where none

  TPlayer* Player1 = nullptr;  // not owned
  TPlayer* Player2 = nullptr;
  TMazeSettings MazeSettings;
  TRandom Random;  // the game's one generator; only maze generation draws from it

  TTimerQueue& Timers() const { return App.Timers(); }
  TBoardGeometry Geometry() const { return {CellSize, ColCount, RowCount}; }
  bool OnBoard(TPoint p) const { return p.X >= 0 && p.X < ColCount && p.Y >= 0 && p.Y < RowCount; }

  // Board queries over MazeGrid, BombTimerGrid and the two players' positions.
  bool HasPowerUp(TPoint p) const { return IsPowerUpType(MazeGrid.GetCell(p)); }
  bool IsPassable(TPoint p) const { return MazeGrid.GetCell(p) == otEmpty || HasPowerUp(p); }
  // For a bomb cell: the bomb is not sliding. A bomb cell without its fuse timer counts as not moving.
  bool BombNotMoving(TPoint p) const;
  bool CanPushBomb(TPoint p, TDirection dir) const;
  bool IsPlayerAt(TPoint p) const;
  // Player1 wins when both stand on P; nullptr when neither does.
  TPlayer* FindPlayerAt(TPoint p) const;
};

}  // namespace detonix
