#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "board/BombRecords.h"
#include "engine/DetonixSim.h"
#include "media/CountingSoundOutput.h"
#include "platform/Application.h"
#include "platform/PaintSurface.h"
#include "player/ComputerPlayer.h"
#include "support/BoardPicture.h"

namespace detonix::test {

// The real simulator on a virtual clock, its board replaced by a picture (see BoardPicture.h).
// Both players are switched off (no thinking) unless a test switches them on; whatever they ask
// for goes through the simulator's own action handlers and is logged in Actions.
class SimHarness {
 public:
  struct TAction {
    int Player;      // 1 or 2
    uint8_t Action;  // 0..3 move, 4 bomb
    TPoint From;     // where the player stood when it asked
  };

  // A board of COLS by ROWS with a generated maze of its own, until Load replaces it; a preview below 30.
  explicit SimHarness(int cols = 11, int rows = 9, int cellSize = -1, TSettings settings = {}, uint64_t seed = 1);
  // A board of the picture's size holding the picture, players thinking every 200 ms (their own default).
  explicit SimHarness(TPicture picture, const std::vector<TPictureBomb>& bombs = {});
  SimHarness(const SimHarness&) = delete;
  SimHarness& operator=(const SimHarness&) = delete;

  // Replaces the board, cells beyond the picture becoming fixed blocks; the players start afresh
  // on their cells, switched off.
  void Load(TPicture picture, const std::vector<TPictureBomb>& bombs = {});

  TGameState& State() { return Sim->State(); }
  TComputerPlayer& P1() { return Sim->Player1(); }
  TComputerPlayer& P2() { return Sim->Player2(); }
  TComputerPlayer& Other(const TComputerPlayer& p) { return &p == &P1() ? P2() : P1(); }
  int Number(const TComputerPlayer& p) { return &p == &P1() ? 1 : 2; }

  // Switches a player off: no thinking, its actions go nowhere.
  static void Quiet(TComputerPlayer& p);
  // Both players quiet, every other game timer running: a game nobody can change.
  void QuietGame() {
    Quiet(P1());
    Quiet(P2());
    Sim->SetPaused(false);
  }
  // Both players' think timers.
  void Start();

  // P lays a bomb at CELL as the game lays it (escape checks included).
  TBombRecord& Bomb(TComputerPlayer& p, TPoint cell);
  // P lays a bomb where it stands, as its action would; refused when the game refuses it.
  void LayBomb(TComputerPlayer& p);
  // A counting bomb on CELL, fuse timer and record, without anyone laying it.
  TBombRecord& AddBomb(TPoint cell, int fuse, int size, TPlayer* owner);

  TObjectType At(int x, int y) { return State().MazeGrid.GetCell(x, y); }
  void Run(int64_t ms) { Loop.RunFor(ms); }
  int64_t Now() const { return Clock.NowMs(); }
  int BombsAsked(int player) const;

  // The cell of a symbol that appears exactly once in the loaded picture; fails the test otherwise.
  TPoint Find(char symbol) const;
  // The board as text, players drawn over their cells; for failure messages.
  std::string Draw() { return DrawBoard(State()); }
  // Follows P's route grid from its Position: the cells it would walk through, in order.
  std::vector<TPoint> RouteCells(const TComputerPlayer& p);
  // The last cell of P's route (Position when there is no step).
  TPoint RouteEnd(const TComputerPlayer& p);

  TVirtualClock Clock;
  TApplication App{Clock};
  TVirtualLoop Loop{App, Clock};
  std::shared_ptr<TCountingSoundOutput> Sound = std::make_shared<TCountingSoundOutput>();
  TPaintSurface Surface;
  std::unique_ptr<TDetonixSimulator> Sim;

  TPicture Picture;
  std::vector<TAction> Actions;
  int RefusedBombs = 0;  // bombs asked for where the game would not lay one

 private:
  void Perform(TComputerPlayer& player, uint8_t action);
};

}  // namespace detonix::test
