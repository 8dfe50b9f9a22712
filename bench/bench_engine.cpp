// The simulator's costs: a full repaint, single-cell updates, whole minutes of play, and play as
// cold as each wake-up on screen finds it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "board/BombRecords.h"
#include "engine/DetonixSim.h"
#include "platform/Application.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/PaintSurface.h"
#include "player/ComputerPlayer.h"

using namespace detonix;

namespace {

struct TBenchGame {
  TBenchGame(int width, int height) : Surface(width, height) {
    TSimulatorOptions options;
    options.Seed = 1;
    Sim = std::make_unique<TDetonixSimulator>(App, Surface, options);
  }
  TVirtualClock Clock;
  TApplication App{Clock};
  TPaintSurface Surface;
  std::unique_ptr<TDetonixSimulator> Sim;
};

void BM_DrawBoard(benchmark::State& state) {
  TBenchGame game(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  TVirtualLoop(game.App, game.Clock).RunFor(60'000);  // a board in mid-game
  for (auto _ : state) {
    game.Sim->DrawBoard();
    benchmark::DoNotOptimize(game.Surface.Bitmap().Bits());
  }
}
BENCHMARK(BM_DrawBoard)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

// One player step: the cell left and the cell entered are each composed and copied once.
void BM_SingleCellUpdates(benchmark::State& state) {
  TBenchGame game(1920, 1080);
  auto& p = game.Sim->Player1();
  game.Sim->SetPaused(true);
  TDirection there = dirLeft;
  for (TDirection d : AllDirections)
    if (p.CanMove(d)) there = d;
  for (auto _ : state) {
    game.Sim->MovePlayer(p, there);
    game.Sim->MovePlayer(p, Opposite(there));
    game.Surface.TakeChanged();
  }
  state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(BM_SingleCellUpdates)->Unit(benchmark::kMicrosecond);

// One look of a seeking bomb that has no way to its target, on a 3840x2160 board walled in two:
// while the half it searched stays as it was, or only opens onto more of itself, it need not
// search that half again. Between two looks a block in that half is blown up or rebuilt, and
// the target steps (which keeps the game from stalling).
void BM_SeekingBombWithNoWay(benchmark::State& state) {
  TBenchGame game(3840, 2160);
  TGameState& s = game.Sim->State();
  game.Sim->SetPaused(true);
  s.MazeGrid.Fill(otEmpty);
  for (int y = 0; y < s.RowCount; ++y) s.MazeGrid.SetCell(s.ColCount / 2, y, otBlock);
  auto& owner = game.Sim->Player1();
  owner.Position = {1, 1};
  game.Sim->Player2().Position = {s.ColCount - 2, s.RowCount - 2};
  owner.SeekerBombs = true;
  game.Sim->LayBomb(owner);
  owner.Position = {2, 2};
  game.Sim->SetPaused(false);
  game.Sim->Player1().SetActive(false);
  game.Sim->Player2().SetActive(false);
  TBombRecord* bomb = s.BombTimerGrid.GetBomb(1, 1);
  if (!bomb || !bomb->SeekTimer) {
    state.SkipWithError("no seeking bomb");
    return;
  }
  TVirtualLoop loop(game.App, game.Clock);
  const TPoint block{s.ColCount / 4, s.RowCount / 2};
  for (auto _ : state) {
    s.MazeGrid.SetCell(block, s.MazeGrid.GetCell(block) == otEmpty ? otExpBlock : otEmpty);
    bomb->FuseCount = 9;  // never goes off
    auto& target = game.Sim->Player2();
    game.Sim->MovePlayer(target, target.Position.X % 2 == 0 ? dirLeft : dirRight);
    loop.RunFor(300);
  }
  if (s.BombTimerGrid.GetBomb(1, 1) != bomb) state.SkipWithError("the bomb moved");
}
// Fewer looks than the 30 virtual minutes after which a game without a hit is ended.
BENCHMARK(BM_SeekingBombWithNoWay)->Iterations(5000)->Unit(benchmark::kMicrosecond);

// Virtual minutes of play per wall second, the whole game included.
void BM_PlayOneMinute(benchmark::State& state) {
  TBenchGame game(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  TVirtualLoop loop(game.App, game.Clock);
  for (auto _ : state) loop.RunFor(60'000);
}
BENCHMARK(BM_PlayOneMinute)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

// Between two instants of a real run the program sleeps and the machine's other work takes its
// caches and address translations: writing a buffer larger than the last-level cache, untimed,
// leaves the next instant as cold as on screen.
class TOtherWork {
 public:
  void Run() {
    for (size_t i = 0; i < FMemory.size(); i += 64) ++FMemory[i];
    benchmark::ClobberMemory();
  }

 private:
  std::vector<unsigned char> FMemory = std::vector<unsigned char>(size_t{32} << 20, 1);
};

double SecondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Play as it runs on screen, every instant cold: the game's own work in a second of a real run
// (without handing the pixels over to the display), and per instant.
void BM_PlayColdInstants(benchmark::State& state) {
  TBenchGame game(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  TVirtualLoop loop(game.App, game.Clock);
  loop.RunFor(10'000);
  TOtherWork other;
  const int64_t start = game.Clock.NowMs();
  double timed = 0;
  for (auto _ : state) {
    other.Run();
    const auto t0 = std::chrono::steady_clock::now();
    loop.Step(INT64_MAX);
    benchmark::DoNotOptimize(game.Surface.TakeChanged().size());
    const double took = SecondsSince(t0);
    state.SetIterationTime(took);
    timed += took;
  }
  const double seconds = static_cast<double>(game.Clock.NowMs() - start) / 1000.0;
  state.counters["instants/s"] = static_cast<double>(state.iterations()) / seconds;
  state.counters["us/virtual s"] = timed * 1e6 / seconds;
}
BENCHMARK(BM_PlayColdInstants)->Args({1920, 1080})->Args({3840, 2160})->Iterations(1500)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The least a changed cell costs on screen: its 30 rows written cold into a screen-sized picture,
// at cells spread over the board.
void BM_CopyCellCold(benchmark::State& state) {
  TBitmap screen(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  TCanvas canvas(screen);
  const TBitmap cell(NativeCellSize, NativeCellSize, clBlack);
  const int cols = screen.Width() / NativeCellSize;
  const int rows = screen.Height() / NativeCellSize;
  TOtherWork other;
  uint32_t n = 0;
  for (auto _ : state) {
    other.Run();
    n = n * 1103515245u + 12345u;
    const int x = static_cast<int>(n >> 8) % cols;
    const int y = static_cast<int>(n >> 20) % rows;
    const auto t0 = std::chrono::steady_clock::now();
    canvas.Draw(x * NativeCellSize, y * NativeCellSize, cell);
    benchmark::DoNotOptimize(screen.Bits());
    state.SetIterationTime(SecondsSince(t0));
  }
}
BENCHMARK(BM_CopyCellCold)->Args({3840, 2160})->Iterations(1500)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
