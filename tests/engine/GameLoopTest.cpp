#include <gtest/gtest.h>

#include "tests/engine/SimTestSupport.h"

using namespace detonix;
using detonix::testing::SimHarness;

TEST(GameLoop, ForcedNewMazeEndsEachGameAtTheInterval) {
  TSettings settings;
  settings.ForceMaze = true;
  settings.ForceInterval = 1;
  SimHarness h(15, 11, -1, settings);
  SimHarness::Quiet(h.P1());
  SimHarness::Quiet(h.P2());
  ASSERT_NE(h.Sim->NewMazeTimer(), nullptr);
  EXPECT_EQ(h.Sim->NewMazeTimer()->Interval(), 60'000u);
  int forced = 0;
  h.Sim->OnGameOver = [&](TGameEnd end) { forced += end == TGameEnd::geForce; };
  h.Run(59'999);
  EXPECT_EQ(h.Sim->Games(), 1);
  h.Run(1);
  EXPECT_EQ(forced, 1);
  EXPECT_EQ(h.Sim->Games(), 2) << "the idle event starts the next game at once";
  EXPECT_FALSE(h.Sim->GameOver());
  h.Run(60'000);
  EXPECT_EQ(h.Sim->Games(), 3) << "each game gets a full interval of its own";
}

TEST(GameLoop, IntervalZeroNeverForcesAndOffMeansNoTimer) {
  TSettings settings;
  settings.ForceMaze = true;
  settings.ForceInterval = 0;
  SimHarness h(15, 11, -1, settings);
  SimHarness::Quiet(h.P1());
  SimHarness::Quiet(h.P2());
  h.Run(30 * 60'000);
  EXPECT_EQ(h.Sim->Games(), 1);
  SimHarness off(15, 11);
  EXPECT_EQ(off.Sim->NewMazeTimer(), nullptr);
}

TEST(GameLoop, SameSeedPlaysTheSameGames) {
  auto play = [](uint64_t seed) {
    SimHarness h(21, 15, -1, {}, seed);
    std::vector<std::string> log;
    h.Sim->OnGameOver = [&](TGameEnd) {
      log.push_back(std::to_string(h.Now()) + ":" + std::to_string(h.P1().Lives) + "/" + std::to_string(h.P2().Lives) +
                    ":" + std::to_string(h.Sim->Stats().BombsLaid));
    };
    h.Run(20 * 60'000);
    log.push_back(std::to_string(h.Sim->Games()));
    return log;
  };
  const auto first = play(7);
  EXPECT_EQ(first, play(7));
  EXPECT_GT(first.size(), 1u) << "twenty minutes should see at least one finished game";
}

TEST(GameLoop, BoardSmallerThanACellIsRefused) {
  TVirtualClock clock;
  TApplication app(clock);
  TPaintSurface surface(20, 600);
  TSimulatorOptions options;
  EXPECT_THROW(TDetonixSimulator(app, surface, options), TBombTimerGridError);
}

TEST(GameLoop, PausingStopsEveryGameTimer) {
  SimHarness h(21, 15);
  h.Run(3'000);
  h.Sim->SetPaused(true);
  EXPECT_EQ(h.App.Timers().ArmedCount(), 0u) << "think, fuse, move, seek, power-up and flash timers all stop";
  h.Sim->SetPaused(false);
  EXPECT_GT(h.App.Timers().ArmedCount(), 0u);
}

namespace {

// After every event: bombs and their fuse timers agree, no fire count is negative, nobody
// stands in a wall, and no message box was needed.
void CheckInvariants(SimHarness& h, const char* where) {
  const TGameState& s = h.State();
  for (int x = 0; x < s.ColCount; ++x) {
    for (int y = 0; y < s.RowCount; ++y) {
      const bool bombCell = s.MazeGrid.GetCell(x, y) == otBomb;
      const TBombRecord* bomb = s.BombTimerGrid.GetBomb(x, y);
      if (bombCell) {
        ASSERT_NE(bomb, nullptr) << where << ": bomb cell " << x << "," << y << " has no fuse";
      }
      if (bomb) {
        ASSERT_EQ(bomb->Position, (TPoint{x, y})) << where;
        const TObjectType t = s.MazeGrid.GetCell(x, y);
        ASSERT_TRUE(t == otBomb || t == otExplosion) << where << ": fuse at " << x << "," << y << " over " << Ord(t);
      }
      ASSERT_GE(h.Sim->ExplosionCountGrid().GetCell(x, y), 0) << where << ": cell " << x << "," << y;
    }
  }
  for (const TPlayer* p : {s.Player1, s.Player2}) {
    const TObjectType t = s.MazeGrid.GetCell(p->Position);
    ASSERT_TRUE(s.OnBoard(p->Position)) << where;
    ASSERT_TRUE(t != otBlock && t != otExpBlock) << where << ": a player stands in a wall at " << p->Position.X
                                                  << "," << p->Position.Y;
  }
  ASSERT_TRUE(h.App.Messages().empty()) << where << ": " << h.App.Messages().front();
}

}  // namespace

// Many whole games on the virtual clock across sizes and speeds, with the state checked after
// every instant. Forced mazes keep each game short.
TEST(GameLoop, SoakManyGamesStayConsistent) {
  struct TRun {
    int Cols, Rows, Speed, Minutes;
  };
  const TRun runs[] = {{15, 11, 100, 70}, {21, 15, 150, 60}, {34, 25, 120, 50}, {17, 9, 300, 60}, {25, 19, 200, 60}};
  int64_t games = 0;
  int64_t bombs = 0;
  uint64_t seed = 11;
  for (const TRun& r : runs) {
    TSettings settings;
    settings.PlayerSpeed = r.Speed;
    settings.ForceMaze = true;
    settings.ForceInterval = 1;
    SimHarness h(r.Cols, r.Rows, -1, settings, seed++);
    h.Sim->OnBeforeNewGame = [&] { bombs += h.Sim->Stats().BombsLaid; };
    auto check = h.App.AddIdleHandler([&] { CheckInvariants(h, "soak"); });
    h.Run(static_cast<int64_t>(r.Minutes) * 60'000);
    if (::testing::Test::HasFatalFailure()) return;
    games += h.Sim->Games();
  }
  EXPECT_GE(games, 250);
  EXPECT_GT(bombs, games) << "the players must actually play";
}

TEST(GameLoop, HugeForceIntervalWaitsAsLongAsATimerCanInsteadOfWrapping) {
  TSettings settings;
  settings.ForceMaze = true;
  settings.ForceInterval = 100'000;  // 6e9 ms: more than 32 bits of milliseconds
  SimHarness h(15, 11, -1, settings);
  ASSERT_NE(h.Sim->NewMazeTimer(), nullptr);
  EXPECT_EQ(h.Sim->NewMazeTimer()->Interval(), UINT32_MAX);
}
