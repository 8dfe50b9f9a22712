// The simulator's costs: a full repaint, single-cell updates, and whole minutes of play.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/DetonixSim.h"
#include "platform/Application.h"
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

// Virtual minutes of play per wall second, the whole game included.
void BM_PlayOneMinute(benchmark::State& state) {
  TBenchGame game(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  TVirtualLoop loop(game.App, game.Clock);
  for (auto _ : state) loop.RunFor(60'000);
}
BENCHMARK(BM_PlayOneMinute)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

}  // namespace
