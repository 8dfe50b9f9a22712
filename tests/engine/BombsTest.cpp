#include <gtest/gtest.h>

#include "support/SimHarness.h"

using namespace detonix;
using detonix::test::SimHarness;

namespace {

// Fire burns exactly where the expected picture has fire ('x') or a burning block ('X').
void ExpectFire(SimHarness& h, const std::vector<std::string>& expected) {
  for (int y = 0; y < static_cast<int>(expected.size()); ++y)
    for (int x = 0; x < static_cast<int>(expected[y].size()); ++x) {
      const TObjectType t = h.At(x, y);
      const char want = expected[y][x];
      const bool burning = t == otExplosion || t == otBExplosion;
      EXPECT_EQ(burning, want == 'x' || want == 'X') << "cell " << x << "," << y << " holds " << Ord(t);
      if (burning) {
        EXPECT_EQ(t == otBExplosion, want == 'X') << "cell " << x << "," << y << " holds " << Ord(t);
      }
    }
}

}  // namespace

TEST(Bombs, CountsDownExplodesAtTenSecondsAndBurnsOneSecond) {
  SimHarness h;
  h.Load({"...........",
          ".....1.....",
          "...........",
          "2.........."});
  TBombRecord& bomb = h.Bomb(h.P1(), {5, 1});
  h.P1().Position = {10, 3};
  EXPECT_EQ(h.P1().BombsLeft, 4);
  EXPECT_EQ(h.At(5, 1), otBomb);
  for (int second = 1; second <= 9; ++second) {
    h.Run(1000);
    EXPECT_EQ(bomb.FuseCount, 10 - second) << "at " << second << " s";
    EXPECT_EQ(h.At(5, 1), otBomb);
  }
  h.Run(999);
  EXPECT_EQ(h.At(5, 1), otBomb) << "must not explode before 10 s";
  h.Run(1);
  EXPECT_EQ(h.At(5, 1), otExplosion);
  EXPECT_EQ(h.P1().BombsLeft, 5) << "the owner gets the bomb back at once";
  EXPECT_EQ(h.Sim->ExplosionCountGrid().GetCell(5, 1), 4) << "the centre is counted once per line";
  h.Run(999);
  EXPECT_EQ(h.At(5, 1), otExplosion);
  h.Run(1);
  EXPECT_EQ(h.At(5, 1), otEmpty);
  EXPECT_EQ(h.State().BombTimerGrid.GetTimer(5, 1), nullptr);
  EXPECT_EQ(h.App.Timers().ArmedCount(), 0u);
}

TEST(Bombs, FireStopsAtBlocksAndTheFirstDestructibleBlockShieldsTheRest) {
  SimHarness h;
  h.Load({"..........1",
          "....+......",
          "....+......",
          "...........",
          "..#....#...",
          "...........",
          "...........",
          "2.........."});
  h.Bomb(h.P1(), {4, 4});
  h.Run(10'000);
  ExpectFire(h, {"...........",
                 "...........",
                 "....X......",
                 "....x......",
                 "...xxxx....",
                 "....x......",
                 "....x......",
                 "....x......"});
  EXPECT_EQ(h.At(4, 2), otBExplosion);
  EXPECT_EQ(h.At(4, 1), otExpBlock) << "the block behind the first one is shielded";
  // A block right beside a bomb: the arm ends on it, the block behind stays.
  SimHarness g;
  g.Load({".....",
          ".1++.",
          ".....",
          "2...."});
  g.Bomb(g.P1(), {1, 1});
  g.P1().Position = {4, 3};
  g.Run(10'000);
  EXPECT_EQ(g.At(2, 1), otBExplosion);
  EXPECT_EQ(g.At(3, 1), otExpBlock);
  g.Run(1000);
  EXPECT_EQ(g.At(2, 1), otEmpty);
  EXPECT_EQ(g.At(3, 1), otExpBlock);
}

TEST(Bombs, OverlappingFiresEndCellByCell) {
  SimHarness h;
  h.Load({"...........",
          "...........",
          "...........",
          "2.........1"});
  h.Bomb(h.P1(), {1, 1});
  h.Run(500);
  h.Bomb(h.P1(), {5, 1});  // four cells apart: the fires overlap on 2..4 without a chain
  h.Run(9'500);  // first fire: 0..4 on row 1
  EXPECT_EQ(h.At(4, 1), otExplosion);
  EXPECT_EQ(h.At(5, 1), otBomb);
  h.Run(500);    // second fire joins: 2..8
  EXPECT_EQ(h.Sim->ExplosionCountGrid().GetCell(4, 1), 2);
  h.Run(500);    // first fire ends; shared cells keep burning
  EXPECT_EQ(h.At(1, 1), otEmpty);
  EXPECT_EQ(h.At(3, 1), otExplosion);
  EXPECT_EQ(h.At(8, 1), otExplosion);
  h.Run(500);
  EXPECT_EQ(h.At(4, 1), otEmpty);
  EXPECT_EQ(h.At(8, 1), otEmpty);
}

TEST(Bombs, ChainReactionGoesOffAtOnceAndTheFirstFireGoesOn) {
  SimHarness h;
  h.Load({"...........",
          "...........",
          "...........",
          "2.........1"});
  h.Bomb(h.P1(), {1, 1});
  h.Run(5'000);
  TBombRecord& second = h.Bomb(h.P1(), {3, 1});
  (void)second;
  h.Run(5'000);  // first bomb explodes and reaches the second
  EXPECT_EQ(h.At(3, 1), otExplosion);
  EXPECT_EQ(h.At(6, 1), otExplosion) << "the second bomb's own fire reaches 3 beyond it";
  EXPECT_EQ(h.At(4, 1), otExplosion) << "the first fire goes on past the second bomb";
  EXPECT_EQ(h.Sim->Stats().ChainDetonations, 1);
  EXPECT_EQ(h.Sim->Stats().Explosions, 2);
  EXPECT_EQ(h.P1().BombsLeft, 5);
  h.Run(1'000);
  for (int x = 0; x < 11; ++x) EXPECT_EQ(h.At(x, 1), otEmpty) << "cell " << x << ",1";
  EXPECT_EQ(h.App.Timers().ArmedCount(), 0u);
  EXPECT_TRUE(h.App.Messages().empty());
}

TEST(Bombs, HitCostsALifeCancelsEffectsAndBlinksAfterTheFire) {
  SimHarness h;
  h.Load({"...........",
          ".1.........",
          "...........",
          "2.........."});
  auto& p = h.P1();
  h.Bomb(p, {1, 1});
  // Effects the hit must end: kick, invisibility, seeking; upgrades stay.
  h.State().MazeGrid.SetCell(2, 1, otSBombPUP);
  h.Sim->MovePlayer(p, dirRight);
  h.State().MazeGrid.SetCell(3, 1, otInvisiblePUP);
  h.Sim->MovePlayer(p, dirRight);
  h.State().MazeGrid.SetCell(4, 1, otSKBombsPUP);
  h.Sim->MovePlayer(p, dirRight);
  h.State().MazeGrid.SetCell(3, 1, otBombPUP);
  h.Sim->MovePlayer(p, dirLeft);
  EXPECT_TRUE(p.CanKick && !p.Visible && p.SeekerBombs);
  EXPECT_EQ(p.MaxBombs, 6);
  EXPECT_EQ(h.Sim->PUpT2List().Count(), 3);
  h.Run(10'000);
  EXPECT_EQ(p.Lives, 2);
  EXPECT_FALSE(p.CanKick);
  EXPECT_TRUE(p.Visible);
  EXPECT_FALSE(p.SeekerBombs);
  EXPECT_EQ(p.MaxBombs, 6);
  EXPECT_EQ(h.Sim->PUpT2List().Count(), 0);
  EXPECT_EQ(p.FlashState, 0) << "the blinking starts when the fire is gone";
  h.Run(1'000);
  EXPECT_EQ(p.FlashState, 1);
  ASSERT_NE(p.FlashTimer(), nullptr);
  int ticks = 0;
  while (p.FlashTimer() && ticks < 100) {
    h.Run(150);
    ++ticks;
  }
  EXPECT_EQ(ticks, 20);
  EXPECT_EQ(p.FlashState, 0);
  EXPECT_TRUE(h.App.Messages().empty());
}

TEST(Bombs, BlinkingPlayerWalksThroughFireUnharmed) {
  SimHarness h;
  h.Load({".1.........",
          "...........",
          "...........",
          "2.........."});
  auto& p = h.P1();
  h.Bomb(p, {3, 1});
  h.Run(10'000);
  EXPECT_EQ(p.Lives, 3);
  p.StartFlash(3000, nullptr);
  h.Sim->MovePlayer(p, dirDown);  // onto fire at 1,1
  EXPECT_EQ(p.Lives, 3);
  p.StopFlash();
  h.Sim->MovePlayer(p, dirRight);  // onto fire again, not blinking now
  EXPECT_EQ(p.Lives, 2);
}

TEST(Bombs, LastLifeEndsTheGameOnceEvenWhenBothAreCaught) {
  SimHarness h;
  h.Load({"...........",
          ".1.2.......",
          "...........",
          "..........."});
  h.P1().Lives = 1;
  h.P2().Lives = 1;
  int ends = 0;
  h.Sim->OnGameOver = [&](TGameEnd end) {
    ++ends;
    EXPECT_EQ(end, TGameEnd::geLives);
  };
  h.Bomb(h.P1(), {2, 1});
  h.Run(9'999);
  EXPECT_FALSE(h.Sim->GameOver());
  // The idle event after the explosion's instant starts the next game at once.
  int newGames = 0;
  h.Sim->OnNewGame = [&] { ++newGames; };
  h.Sim->OnBeforeNewGame = [&] {
    EXPECT_EQ(h.P1().Lives, 0);
    EXPECT_EQ(h.P2().Lives, 0);
  };
  h.Run(1);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(newGames, 1);
  EXPECT_FALSE(h.Sim->GameOver());
  EXPECT_EQ(h.P1().Lives, 3);
  EXPECT_EQ(h.P2().Lives, 3);
}

TEST(Bombs, BombsLaterInAChainDoNotGoOffOnceTheGameIsOver) {
  SimHarness h;
  h.Load({"...........",
          "1..........",
          "...........",
          "2.........."});
  h.P1().Lives = 1;
  h.Bomb(h.P2(), {0, 2});   // its up-line reaches player 1 first and ends the game
  h.Bomb(h.P2(), {2, 2});   // reached later in the same event, along the right-hand line
  h.P2().Position = {10, 3};
  bool checked = false;
  h.Sim->OnBeforeNewGame = [&] {
    checked = true;
    EXPECT_EQ(h.At(2, 2), otBomb) << "the later bomb must not have gone off";
    EXPECT_NE(h.State().BombTimerGrid.GetBomb(2, 2), nullptr);
    EXPECT_EQ(h.Sim->Stats().ChainDetonations, 0) << "a bomb that did not go off is no chain";
  };
  h.Run(10'000);
  EXPECT_TRUE(checked);
}

// A hit counts against whose fire it was: the player's own bombs, the opponent's, or both, also
// when the opponent's bomb set off the player's own through a chain.
TEST(Bombs, HitsAreCountedByWhoseFireItWas) {
  struct TCase {
    const char* What;
    TPoint P1Bomb, P2Bomb;  // the opponent's bomb is laid first, so it goes off first
    int64_t TPlayerStats::*Field;
  };
  const TCase cases[] = {{"own", {3, 1}, NoPoint, &TPlayerStats::HitsOwn},
                         {"opponent", NoPoint, {3, 1}, &TPlayerStats::HitsOpponent},
                         {"both through a chain", {3, 3}, {3, 1}, &TPlayerStats::HitsBoth}};
  for (const TCase& c : cases) {
    SimHarness h;
    h.Load({"...........",
            ".1.........",
            "...........",
            ".........2."});
    if (c.P2Bomb != NoPoint) h.Bomb(h.P2(), c.P2Bomb);
    if (c.P1Bomb != NoPoint) h.Bomb(h.P1(), c.P1Bomb);
    if (c.P1Bomb == TPoint{3, 3}) h.P1().Position = {1, 3};  // out of the first bomb's reach
    h.Run(10'000);
    const TPlayerStats& stats = h.Sim->Stats().Players[0];
    EXPECT_EQ(stats.HitsOwn + stats.HitsOpponent + stats.HitsBoth, 1) << c.What;
    EXPECT_EQ(stats.*c.Field, 1) << c.What;
  }
}
