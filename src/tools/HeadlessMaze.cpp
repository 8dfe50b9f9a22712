// detonix-headless maze: generates one maze and prints it with a summary line.
#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "board/GameState.h"
#include "engine/MazeGenerator.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "settings/Settings.h"
#include "platform/TextNumbers.h"
#include "tools/HeadlessCommands.h"

namespace detonix::headless {

namespace {

constexpr const char* MazeUsage =
    "usage: detonix-headless maze --cols C --rows R [--seed S] [--blocks-left F] [--exp-blocks F] [--powerups N]";
// Far beyond any screen; keeps the grids and the walk within reason.
constexpr int MaxBoardSide = 4096;

// The maze settings under this command's names.
constexpr std::array<std::pair<std::string_view, TSettingField>, 3> MazeOptions = {{
    {"--blocks-left", &TSettings::PerBlocksLeft},
    {"--exp-blocks", &TSettings::PerOfEBlocks},
    {"--powerups", &TSettings::PerOfPUps},
}};

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "detonix-headless maze: %s; %s\n", problem.c_str(), MazeUsage);
  return 2;
}

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
  std::optional<int> cols;
  std::optional<int> rows;
  std::optional<uint64_t> seed;
  TSettingsOverrides maze;  // on top of the user's settings

  for (size_t i = 0; i < args.size(); i += 2) {
    const std::string& option = args[i];
    const auto setting = std::find_if(MazeOptions.begin(), MazeOptions.end(), [&](const auto& o) { return o.first == option; });
    if (option != "--cols" && option != "--rows" && option != "--seed" && setting == MazeOptions.end())
      return UsageError("unknown option '" + option + "'");
    if (i + 1 >= args.size()) return UsageError("missing value for " + option);
    const std::string& value = args[i + 1];
    bool good = false;
    if (option == "--cols" || option == "--rows") {
      const auto n = ParseNumber<int>(value);
      good = n && *n >= 1 && *n <= MaxBoardSide;
      (option == "--cols" ? cols : rows) = n;
    } else if (option == "--seed") {
      seed = ParseNumber<uint64_t>(value);
      good = seed.has_value();
    } else {
      // The generator takes what it is given, as it does from the store.
      good = SetFromText(SettingRowOf(setting->second), value, maze, false);
    }
    if (!good) return UsageError("bad value '" + value + "' for " + option);
  }
  if (!cols || !rows) return UsageError("--cols and --rows are required");

  TVirtualClock clock;
  TApplication app(clock);
  TGameState state(app, {30, *cols, *rows});
  TSettings settings = LoadSettings(*CreateUserSettingsStore());
  maze.ApplyTo(settings);
  state.MazeSettings = {settings.PerBlocksLeft, settings.PerOfEBlocks, settings.PerOfPUps};
  const uint64_t usedSeed = seed ? (state.Random.Seed(*seed), *seed) : state.Random.Randomize();

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
