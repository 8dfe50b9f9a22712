// detonix-headless maze: generates one maze and prints it with a summary line.
#include <cstdio>
#include <exception>
#include <string>

#include "board/GameState.h"
#include "engine/MazeGenerator.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "settings/Settings.h"
#include "tools/HeadlessOptions.h"

namespace detonix::headless {

namespace {

char CellChar(const TGameState& state, TPoint p, TPoint start1, TPoint start2) {
  if (p == start1) return '1';
  if (p == start2) return '2';
  switch (state.MazeTemplate.GetCell(p)) {
    case otBlock: return '#';
    case otEmpty: return '.';
    case otExpBlock: return IsPowerUpType(state.PowerUpGrid.GetCell(p)) ? '*' : '+';
    default: return '?';
  }
}

}  // namespace

int RunMaze(const TArgs& args) {
  const TCommandLine<TMazeOptions> parsed = ParseMazeOptions(args);
  if (const auto status = HelpOrUsageError("maze", parsed.Help, parsed.Error)) return *status;
  const TMazeOptions& o = parsed.Options;

  TVirtualClock clock;
  TApplication app(clock);
  TGameState state(app, {NativeCellSize, *o.Cols, *o.Rows});
  TSettings settings = LoadSettingsWarned(*CreateUserSettingsStore(), o.Settings);
  o.Settings.ApplyTo(settings);
  state.MazeSettings = MazeSettingsOf(settings);
  const uint64_t usedSeed = o.Seed ? (state.Random.Seed(*o.Seed), *o.Seed) : state.Random.Randomize();

  TMazeGenerator generator(state);
  TPoint start1;
  TPoint start2;
  try {
    generator.GenerateMaze(start1, start2);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }

  int fixed = 0;
  int destructible = 0;
  int floor = 0;
  int hidden = 0;
  std::string line;
  for (int y = 0; y < state.RowCount; ++y) {
    line.clear();
    for (int x = 0; x < state.ColCount; ++x) {
      const TPoint p{x, y};
      const TObjectType cell = state.MazeTemplate.GetCell(p);
      fixed += cell == otBlock;
      destructible += cell == otExpBlock;
      floor += cell == otEmpty;
      hidden += IsPowerUpType(state.PowerUpGrid.GetCell(p));
      line += CellChar(state, p, start1, start2);
    }
    std::printf("%s\n", line.c_str());
  }
  std::printf("fixed=%d destructible=%d floor=%d powerups=%d start1=%d,%d start2=%d,%d attempts=%d seed=%llu\n", fixed,
              destructible, floor, hidden, start1.X, start1.Y, start2.X, start2.Y, generator.Attempt(),
              static_cast<unsigned long long>(usedSeed));
  return 0;
}

}  // namespace detonix::headless
