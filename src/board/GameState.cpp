#include "board/GameState.h"

#include "board/BombRecords.h"

namespace detonix {

TGameState::TGameState(TApplication& app, TBoardGeometry geometry)
    : App(app),
      CellSize(geometry.CellSize),
      ColCount(geometry.ColCount),
      RowCount(geometry.RowCount),
      BombTimerGrid(geometry.ColCount, geometry.RowCount),
      MazeTemplate(geometry.ColCount, geometry.RowCount, otBlock),
      MazeGrid(geometry.ColCount, geometry.RowCount, otBlock),
      PowerUpGrid(geometry.ColCount, geometry.RowCount, -1) {}

bool TGameState::BombNotMoving(TPoint p) const {
  const TBombRecord* bomb = BombTimerGrid.GetBomb(p);
  return !bomb || !bomb->MoveTimer;
}

bool TGameState::CanPushBomb(TPoint p, TDirection dir) const {
  if (MazeGrid.GetCell(p) != otBomb || !BombNotMoving(p)) return false;
  const TPoint q = Neighbour(p, dir);
  return OnBoard(q) && MazeGrid.GetCell(q) == otEmpty && !IsPlayerAt(q);
}

bool TGameState::IsPlayerAt(TPoint p) const { return FindPlayerAt(p) != nullptr; }

TPlayer* TGameState::FindPlayerAt(TPoint p) const {
  if (Player1 && Player1->Position == p) return Player1;
  if (Player2 && Player2->Position == p) return Player2;
  return nullptr;
}

}  // namespace detonix
