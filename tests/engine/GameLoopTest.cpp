#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/SimHarness.h"

using namespace detonix;
using detonix::test::SimHarness;

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
  std::vector<TGameEnd> ends;
  h.Sim->OnGameOver = [&](TGameEnd end) { ends.push_back(end); };
  h.Run(30 * 60'000);
  EXPECT_EQ(std::count(ends.begin(), ends.end(), TGameEnd::geForce), 0);
  SimHarness off(15, 11);
  EXPECT_EQ(off.Sim->NewMazeTimer(), nullptr);
}

// Players that can no longer act (here: their actions go nowhere) must not hold the screen for
// good: a minute without a move or a bomb ends the game, and any action starts that minute anew.
TEST(GameLoop, FrozenPlayersEndTheGameAfterTheStallTime) {
  SimHarness h(15, 11);
  h.QuietGame();
  std::vector<int64_t> stalls;
  h.Sim->OnGameOver = [&](TGameEnd end) {
    if (end == TGameEnd::geStall) stalls.push_back(h.Now());
  };
  h.Run(30'000);
  TDirection open = dirLeft;
  for (TDirection dir : {dirLeft, dirRight, dirUp, dirDown})
    if (h.State().OnBoard(Neighbour(h.P1().Position, dir)) && h.State().IsPassable(Neighbour(h.P1().Position, dir)))
      open = dir;
  h.Sim->MovePlayer(h.P1(), open);
  const int64_t stall = h.Sim->StallTimer()->Interval();
  h.Run(stall - 1);
  EXPECT_TRUE(stalls.empty()) << "a move restarts the stall time";
  h.Run(1);
  EXPECT_EQ(stalls, std::vector<int64_t>{30'000 + stall});
  EXPECT_EQ(h.Sim->Games(), 2) << "a new maze follows at once";
}

// Players deciding once a minute are slow, not idle: their games end by lives, never by stall.
TEST(GameLoop, SlowPlayersDoNotStall) {
  TSettings settings;
  settings.PlayerSpeed = 60'000;
  SimHarness h(15, 11, -1, settings);
  std::vector<TGameEnd> ends;
  h.Sim->OnGameOver = [&](TGameEnd end) { ends.push_back(end); };
  h.Run(4 * 3'600'000);
  EXPECT_GT(ends.size(), 1u);
  EXPECT_EQ(std::count(ends.begin(), ends.end(), TGameEnd::geStall), 0);
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

TEST(GameLoop, HugeForceIntervalWaitsAsLongAsATimerCanInsteadOfWrapping) {
  TSettings settings;
  settings.ForceMaze = true;
  settings.ForceInterval = 100'000;  // 6e9 ms: more than 32 bits of milliseconds
  SimHarness h(15, 11, -1, settings);
  ASSERT_NE(h.Sim->NewMazeTimer(), nullptr);
  EXPECT_EQ(h.Sim->NewMazeTimer()->Interval(), UINT32_MAX);
}

// Players who act but never hit anyone end the game after StalemateMs without a hit while blocks
// are left, after ClearedStalemateMs once nothing is left to blow up or collect (two players
// bombing each other on a cleared board); a hit starts that time anew.
static void PlayWithoutHits(bool cleared) {
  TSettings settings;
  settings.PerOfEBlocks = cleared ? 0 : 0.15;
  SimHarness h(15, 11, -1, settings);
  h.QuietGame();
  // Between the moves from outside the quiet game would be seen repeating; this is about the limits.
  h.P1().ThinkTimer.OnTimer = nullptr;
  ASSERT_EQ(h.Sim->BoardCleared(), cleared);
  std::vector<TGameEnd> ends;
  h.Sim->OnGameOver = [&](TGameEnd end) { ends.push_back(end); };
  TDirection open = dirLeft;
  for (TDirection dir : {dirLeft, dirRight, dirUp, dirDown})
    if (h.State().OnBoard(Neighbour(h.P1().Position, dir)) && h.State().IsPassable(Neighbour(h.P1().Position, dir)))
      open = dir;
  const TDirection back = static_cast<TDirection>(Ord(open) ^ 1);  // left-right, up-down
  // Keeps player 1 walking to and fro (so the game never stalls) until MS have passed.
  const auto pace = [&](int64_t ms) {
    for (int64_t t = 0; t < ms; t += 30'000) {
      h.Sim->MovePlayer(h.P1(), (t / 30'000) % 2 == 0 ? open : back);
      h.Run(std::min<int64_t>(30'000, ms - t));
    }
  };
  pace(600'000);
  h.Sim->PlayerHit(h.P2());
  pace((cleared ? TDetonixSimulator::ClearedStalemateMs : TDetonixSimulator::StalemateMs) - 1);
  EXPECT_TRUE(ends.empty()) << "a hit restarts the stalemate time";
  h.Run(1);
  EXPECT_EQ(ends, std::vector<TGameEnd>{TGameEnd::geStalemate});
  EXPECT_EQ(h.Sim->Games(), 2) << "a new maze follows at once";
}
TEST(GameLoop, AGameWithoutHitsEndsAsAStalemate) { PlayWithoutHits(false); }
TEST(GameLoop, AClearedBoardWithoutHitsEndsSooner) { PlayWithoutHits(true); }

// On a cleared board the players' standoff comes back to a state it was in before: seeking bombs
// break it, and the game ends by lives long before the hit-free limit.
TEST(GameLoop, ARepeatingStandoffIsBroken) {
  TSettings settings;
  settings.PerOfEBlocks = 0;
  SimHarness h(9, 7, -1, settings, 2);
  h.Start();
  ASSERT_TRUE(h.Sim->BoardCleared());
  std::vector<TGameEnd> ends;
  TGameStats stats;
  h.Sim->OnGameOver = [&](TGameEnd end) {
    if (!ends.empty()) return;
    ends.push_back(end);
    stats = h.Sim->Stats();
  };
  h.Run(TDetonixSimulator::ClearedStalemateMs / 3);
  ASSERT_EQ(ends, std::vector<TGameEnd>{TGameEnd::geLives});
  EXPECT_GT(stats.RepeatPeriodMs, 0) << "the cycle was found";
  EXPECT_GE(stats.StandoffsBroken, 1);
}
