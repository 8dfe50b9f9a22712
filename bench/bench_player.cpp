// The computer player's decisions on mid-game boards: a 1920x1080 screen (64x36 cells) and a
// 3840x2160 one (128x72), with bombs, fire, power-ups and destructible blocks about.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "board/BombRecords.h"
#include "board/GameState.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "player/ComputerPlayer.h"

namespace detonix {
namespace {

class TMidGame {
 public:
  TMidGame(int cols, int rows)
      : App(Clock), State(App, {30, cols, rows}), Player1(State), Player2(State) {
    State.Player1 = &Player1;
    State.Player2 = &Player2;
    Build();
    Player1.SetOpponent(&Player2);
    Player2.SetOpponent(&Player1);
    Player1.SetThinkInterval(150);
    Player2.SetThinkInterval(150);
  }

  void AddBomb(TPoint p, int fuse, int size, TComputerPlayer* owner) {
    State.MazeGrid.SetCell(p, otBomb);
    State.BombTimerGrid.SetTimer(p.X, p.Y, std::make_unique<TTimer>(State.Timers(), 1000, nullptr, false));
    auto bomb = std::make_unique<TBombRecord>();
    bomb->Owner = owner;
    bomb->Position = p;
    bomb->FuseCount = static_cast<int16_t>(fuse);
    bomb->Size = static_cast<int8_t>(size);
    State.BombTimerGrid.SetBomb(p.X, p.Y, std::move(bomb));
  }

  TVirtualClock Clock;
  TApplication App;
  TGameState State;
  TComputerPlayer Player1;
  TComputerPlayer Player2;

 private:
  // A fixed pattern in place of a generated maze, so every run sees the same board: a wall round
  // the edge, pillars on even cells, a tenth of the rest destructible blocks still standing,
  // power-ups here and there.
  static uint32_t Hash(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return h ^ (h >> 15);
  }

  void Build() {
    const int cols = State.ColCount, rows = State.RowCount;
    for (int x = 0; x < cols; ++x) {
      for (int y = 0; y < rows; ++y) {
        const uint32_t h = Hash(x, y) % 100;
        TObjectType t = otEmpty;
        if (x == 0 || y == 0 || x == cols - 1 || y == rows - 1 || (x % 2 == 0 && y % 2 == 0)) t = otBlock;
        else if (h < 10) t = otExpBlock;
        else if (h < 13) t = static_cast<TObjectType>(Ord(otBombPUP) + static_cast<int>(h % 5));
        State.MazeGrid.SetCell(x, y, t);
      }
    }
    Player1.StartPos = {cols / 4 + 1, rows / 2 + 1};
    Player2.StartPos = {3 * cols / 4 + 1, rows / 2 + 1};
    for (TComputerPlayer* p : {&Player1, &Player2}) {
      p->Reset(true);
      State.MazeGrid.SetCell(p->Position, otEmpty);
    }
    // Player1 has just laid a bomb on its own cell, with a bomb of its opponent's nearby. Other
    // bombs lie spread over the board with staggered fuses, and one of them burns.
    AddBomb(Player1.Position, 10, 3, &Player1);
    AddBomb({Player1.Position.X + 2, Player1.Position.Y + 1}, 6, 4, &Player2);
    int fuse = 2;
    for (int i = 1; i <= 8; ++i) {
      const TPoint p{(i * cols) / 9 | 1, (i % 3 + 1) * rows / 4 | 1};
      // Player2 is to stand safe.
      const TPoint q = Player2.Position;
      if ((p.X == q.X && std::abs(p.Y - q.Y) <= 6) || (p.Y == q.Y && std::abs(p.X - q.X) <= 6)) continue;
      AddBomb(p, fuse, 3 + i % 3, i % 2 ? &Player1 : &Player2);
      fuse = fuse % 9 + 2;
    }
    const TPoint fire{cols / 2 | 1, rows / 3 | 1};
    for (int i = -3; i <= 3; ++i) {
      State.MazeGrid.SetCell(fire.X + i, fire.Y, otExplosion);
      State.MazeGrid.SetCell(fire.X, fire.Y + i, otExplosion);
    }
  }
};

TMidGame& Game(const benchmark::State& state) {
  static TMidGame small(64, 36);
  static TMidGame large(128, 72);
  return state.range(0) == 64 ? small : large;
}

// Player2 stands safe with no route left, so its tick plans a route towards Player1; Player1 stands
// on its bomb, out of reach, so the search covers all of Player2's part of the board.
void BM_ThinkTick(benchmark::State& state) {
  auto& g = Game(state);
  auto& p = g.Player2;
  p.OnAction = nullptr;  // decisions only: the board stays as it is
  for (auto _ : state) {
    p.RouteGrid.Clear();
    p.Think();
    benchmark::DoNotOptimize(p.RouteTarget);
  }
  state.counters["reached"] = IsValidPoint(p.RouteTarget);
}
BENCHMARK(BM_ThinkTick)->Arg(64)->Arg(128)->Unit(benchmark::kMicrosecond);

void BM_Escape(benchmark::State& state) {
  auto& g = Game(state);
  auto& p = g.Player1;  // on its own bomb
  bool safe = false;
  for (auto _ : state) benchmark::DoNotOptimize(safe = p.Escape());
  state.counters["safe"] = safe;
}
BENCHMARK(BM_Escape)->Arg(64)->Arg(128)->Unit(benchmark::kMicrosecond);

// No target: the search covers all it can reach and falls back to power-ups or bomb spots.
void BM_PlanRouteNoTarget(benchmark::State& state) {
  auto& g = Game(state);
  auto& p = g.Player2;
  for (auto _ : state) {
    p.PlanRoute(NoPoint);
    benchmark::DoNotOptimize(p.RouteTarget);
  }
}
BENCHMARK(BM_PlanRouteNoTarget)->Arg(64)->Arg(128)->Unit(benchmark::kMicrosecond);

// Player1 towards Player2, 40 moves away on the small board and 72 on the large one.
void BM_PlanRoute(benchmark::State& state) {
  auto& g = Game(state);
  auto& p = g.Player1;
  for (auto _ : state) {
    p.PlanRoute(g.Player2.Position);
    benchmark::DoNotOptimize(p.RouteTarget);
  }
  state.counters["reached"] = IsValidPoint(p.RouteTarget);
}
BENCHMARK(BM_PlanRoute)->Arg(64)->Arg(128)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace detonix
