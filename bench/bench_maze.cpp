// Maze generation for a new game on a large screen.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "board/GameState.h"
#include "engine/MazeGenerator.h"
#include "platform/Application.h"
#include "platform/Clock.h"

namespace {

using namespace detonix;

// One new game's maze: 3840 by 2160 pixels at 30 pixels a cell is 128 by 72 cells.
void BM_GenerateMaze(benchmark::State& bench) {
  const int cols = static_cast<int>(bench.range(0));
  const int rows = static_cast<int>(bench.range(1));
  TVirtualClock clock;
  TApplication app(clock);
  TGameState state(app, {30, cols, rows});
  state.Random.Seed(1);
  TMazeGenerator generator(state);
  int attempts = 0;
  for (auto _ : bench) {
    TPoint start1;
    TPoint start2;
    benchmark::DoNotOptimize(generator.GenerateMaze(start1, start2));
    attempts += generator.Attempt();
  }
  bench.counters["attempts"] = benchmark::Counter(attempts, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_GenerateMaze)->Args({128, 72})->Args({34, 25})->Unit(benchmark::kMillisecond);

// The start-cell search alone, on a maze without any destructible block: every floor cell is
// searched from and none qualifies, the slowest case the scan can meet.
void BM_FindStartCellsWorstCase(benchmark::State& bench) {
  TVirtualClock clock;
  TApplication app(clock);
  TGameState state(app, {30, 128, 72});
  state.MazeSettings.PerOfEBlocks = 0;
  state.Random.Seed(1);
  TMazeGenerator generator(state);
  TPoint start1;
  TPoint start2;
  generator.GenerateMaze(start1, start2);
  for (auto _ : bench) benchmark::DoNotOptimize(generator.FindStartCells(start1, start2, state.MazeTemplate, false));
}
BENCHMARK(BM_FindStartCellsWorstCase)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Settings under which no attempt succeeds (every opened cell a block: the first has no retreat):
// ten full walks and searches, then the error.
void BM_GenerateMazeFailing(benchmark::State& bench) {
  detonix::TVirtualClock clock;
  detonix::TApplication app(clock);
  detonix::TGameState state(app, {30, 128, 72});
  state.MazeSettings.PerOfEBlocks = 1.5;
  state.Random.Seed(1);
  detonix::TMazeGenerator generator(state);
  for (auto _ : bench) {
    detonix::TPoint start1;
    detonix::TPoint start2;
    try {
      generator.GenerateMaze(start1, start2);
      bench.SkipWithError("generation was expected to fail");
    } catch (const std::runtime_error&) {
    }
  }
}
BENCHMARK(BM_GenerateMazeFailing)->Unit(benchmark::kMillisecond);

}  // namespace
