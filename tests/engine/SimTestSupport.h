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

namespace detonix::testing {

// A simulator on a virtual clock whose board can be replaced by a text picture:
//   '#' fixed block   '.' floor   '+' destructible block   '*' destructible block hiding a bomb power-up
//   'b' 'e' 'k' 'i' 's' a lying power-up: bomb, explosion size, kick, invisibility, seeking
//   '1' '2' the players, on floor
// The players are switched off (no thinking, no actions) unless a test switches them on again.
class SimHarness {
 public:
  explicit SimHarness(int cols = 11, int rows = 9, int cellSize = -1, TSettings settings = {}, uint64_t seed = 1)
      : Surface(cols * (cellSize > 0 ? cellSize : 30), rows * (cellSize > 0 ? cellSize : 30)) {
    TSimulatorOptions options;
    options.CellSize = cellSize;
    options.Preview = cellSize > 0;
    options.Settings = settings;
    options.Sound = Sound;
    options.Seed = seed;
    Sim = std::make_unique<TDetonixSimulator>(App, Surface, options);
  }

  TGameState& State() { return Sim->State(); }
  TComputerPlayer& P1() { return Sim->Player1(); }
  TComputerPlayer& P2() { return Sim->Player2(); }

  // Replaces the board and stops both players from acting on their own.
  void Load(const std::vector<std::string>& picture) {
    Sim->ClearGame();
    Quiet(P1());
    Quiet(P2());
    auto& s = State();
    s.MazeGrid.Fill(otBlock);
    s.PowerUpGrid.Clear();
    for (int y = 0; y < static_cast<int>(picture.size()) && y < s.RowCount; ++y) {
      for (int x = 0; x < static_cast<int>(picture[y].size()) && x < s.ColCount; ++x) {
        const TPoint p{x, y};
        switch (picture[y][x]) {
          case '#': s.MazeGrid.SetCell(p, otBlock); break;
          case '+': s.MazeGrid.SetCell(p, otExpBlock); break;
          case '*':
            s.MazeGrid.SetCell(p, otExpBlock);
            s.PowerUpGrid.SetCell(p, Ord(otBombPUP));
            break;
          case 'b': s.MazeGrid.SetCell(p, otBombPUP); break;
          case 'e': s.MazeGrid.SetCell(p, otExpSizePUP); break;
          case 'k': s.MazeGrid.SetCell(p, otSBombPUP); break;
          case 'i': s.MazeGrid.SetCell(p, otInvisiblePUP); break;
          case 's': s.MazeGrid.SetCell(p, otSKBombsPUP); break;
          case '1': s.MazeGrid.SetCell(p, otEmpty); P1().Position = p; break;
          case '2': s.MazeGrid.SetCell(p, otEmpty); P2().Position = p; break;
          default: s.MazeGrid.SetCell(p, otEmpty); break;
        }
      }
    }
    Sim->DrawBoard();
  }

  static void Quiet(TComputerPlayer& p) {
    p.SetActive(false);
    p.OnAction = nullptr;
    p.Reset(true);
  }

  // Lays a bomb for P at Cell.
  TBombRecord& Bomb(TComputerPlayer& p, TPoint cell) {
    const TPoint was = p.Position;
    p.Position = cell;
    Sim->LayBomb(p);
    p.Position = was;
    TBombRecord* bomb = State().BombTimerGrid.GetBomb(cell);
    EXPECT_NE(bomb, nullptr) << "no bomb was laid at " << cell.X << "," << cell.Y;
    return *bomb;
  }

  TObjectType At(int x, int y) { return State().MazeGrid.GetCell(x, y); }
  void Run(int64_t ms) { Loop.RunFor(ms); }
  int64_t Now() const { return Clock.NowMs(); }

  TVirtualClock Clock;
  TApplication App{Clock};
  TVirtualLoop Loop{App, Clock};
  std::shared_ptr<TCountingSoundOutput> Sound = std::make_shared<TCountingSoundOutput>();
  TPaintSurface Surface;
  std::unique_ptr<TDetonixSimulator> Sim;
};

}  // namespace detonix::testing
