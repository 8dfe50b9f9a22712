#include <gtest/gtest.h>

#include "support/SimHarness.h"

using namespace detonix;
using detonix::test::SimHarness;

namespace {

// Player 1 kicks a bomb lying at 2,1 to the right by stepping from 0,1 to 1,1.
TPoint KickAndWatch(SimHarness& h, int64_t ms) {
  auto& p = h.P1();
  p.CanKick = true;
  h.Bomb(h.P2(), {2, 1});
  h.Sim->MovePlayer(p, dirRight);
  h.Run(ms);
  for (int x = 0; x < h.State().ColCount; ++x)
    if (h.At(x, 1) == otBomb) return {x, 1};
  return NoPoint;
}

}  // namespace

TEST(MovingBombs, KickedBombSlidesACellPerTenthOfASecondUntilBlocked) {
  SimHarness h;
  h.Load({"...........",
          "1..........",
          "..........2"});
  auto& p = h.P1();
  p.CanKick = true;
  h.Bomb(h.P2(), {2, 1});
  h.Sim->MovePlayer(p, dirRight);
  ASSERT_NE(h.State().BombTimerGrid.GetBomb(2, 1)->MoveTimer, nullptr);
  h.Run(100);
  EXPECT_EQ(h.At(3, 1), otBomb);
  EXPECT_EQ(h.At(2, 1), otEmpty);
  h.Run(300);
  EXPECT_EQ(h.At(6, 1), otBomb);
  h.Run(1'000);
  EXPECT_EQ(h.At(10, 1), otBomb) << "stops at the board's edge";
  TBombRecord* bomb = h.State().BombTimerGrid.GetBomb(10, 1);
  ASSERT_NE(bomb, nullptr);
  EXPECT_EQ(bomb->Position, (TPoint{10, 1}));
  EXPECT_EQ(bomb->MoveTimer, nullptr);
}

TEST(MovingBombs, KickedBombStopsInFrontOfAnythingButFloor) {
  const std::vector<std::pair<const char*, const char*>> rows = {
      {"1....B.....", "a power-up"}, {"1....#.....", "a block"}, {"1....+.....", "a destructible block"},
      {"1....2.....", "a player"}};
  for (const auto& [row, what] : rows) {
    SimHarness h;
    h.Load({"..........2", row, "..........."});
    if (std::string(what) == "a player") h.P2().Position = {5, 1};
    EXPECT_EQ(KickAndWatch(h, 2'000), (TPoint{4, 1})) << "in front of " << what;
  }
  SimHarness h;
  h.Load({"..........2", "1..........", "..........."});
  h.Bomb(h.P2(), {6, 1});
  EXPECT_EQ(KickAndWatch(h, 2'000).X, 5) << "in front of another bomb";
}

TEST(MovingBombs, BombSlidingIntoFireExplodesWhereItArrives) {
  SimHarness h;
  h.Load({"...........",
          "1..........",
          "..........2"});
  h.Bomb(h.P2(), {8, 0});  // its fire covers 8,1 from 10 s to 11 s
  h.Run(9'500);
  auto& p = h.P1();
  p.CanKick = true;
  h.Bomb(h.P2(), {2, 1});
  h.Sim->MovePlayer(p, dirRight);
  h.Run(600);  // 10.1 s: the slider reaches 8,1 at 10.1 s, inside the fire
  EXPECT_EQ(h.Sim->Stats().Explosions, 2);
  EXPECT_EQ(h.At(8, 1), otExplosion);
  EXPECT_EQ(h.At(9, 1), otExplosion);
  EXPECT_TRUE(h.App.Messages().empty());
}

TEST(MovingBombs, SeekingBombWaitsWhileItsTargetIsInvisible) {
  SimHarness h;
  h.Load({"...........",
          "1.........2",
          "..........."});
  auto& owner = h.P1();
  owner.SeekerBombs = true;
  h.P2().Visible = false;
  h.Bomb(owner, {1, 1});
  TBombRecord* bomb = h.State().BombTimerGrid.GetBomb(1, 1);
  ASSERT_NE(bomb, nullptr);
  ASSERT_NE(bomb->SeekTimer, nullptr);
  h.Run(3'000);
  EXPECT_EQ(h.At(1, 1), otBomb) << "no step while the target is invisible";
  h.P2().Visible = true;
  h.Run(300);  // notices the target, finds no route yet, searches
  h.Run(900);
  EXPECT_EQ(h.At(1, 1), otEmpty);
  int x = -1;
  for (int i = 0; i < 11; ++i)
    if (h.At(i, 1) == otBomb) x = i;
  EXPECT_GT(x, 1) << "the bomb crawls towards its target";
}

TEST(MovingBombs, SeekingBombStopsBesideItsTargetAndNeverOnIt) {
  SimHarness h;
  h.Load({"...........",
          "1.....2....",
          "..........."});
  h.P1().SeekerBombs = true;
  h.Bomb(h.P1(), {1, 1});
  h.Run(9'000);
  EXPECT_EQ(h.At(5, 1), otBomb);
  EXPECT_EQ(h.At(6, 1), otEmpty);
}

// A bomb kicked into a block that is being blown up explodes there. Each fire goes out exactly
// where it burned: the first one's end must not put out the second's cells, nor leave any burning.
TEST(MovingBombs, KickIntoABurningBlockLeavesNoFireBehind) {
  SimHarness h;
  h.Load({"#2.########",
          "#1....+...#",
          "###########"});
  TBombRecord& first = h.Bomb(h.P2(), {8, 1});
  first.FuseCount = 1;  // explodes at 1 s; its left arm ends on the block at 6,1
  h.Bomb(h.P2(), {3, 1});
  h.Run(1'000);
  ASSERT_EQ(h.At(6, 1), otBExplosion);
  h.P1().CanKick = true;
  h.Sim->MovePlayer(h.P1(), dirRight);  // kicks the bomb at 3,1 at 1 s
  h.Sim->MovePlayer(h.P1(), dirUp);     // and steps out of its row
  h.Run(300);                           // 4,1 at 1.1 s, 5,1 at 1.2 s, into the burning block at 1.3 s
  ASSERT_EQ(h.Sim->Stats().Explosions, 2);
  h.Run(700);  // 2 s: the first fire ends; the second still covers 3,1 to 9,1
  for (int x = 3; x <= 9; ++x) EXPECT_EQ(h.At(x, 1), otExplosion) << "at 2 s, cell " << x << ",1";
  h.Run(299);
  EXPECT_EQ(h.At(3, 1), otExplosion) << "at 2.299 s";
  h.Run(1);  // 2.3 s: one second after the second explosion, everything is out
  for (int x = 3; x <= 9; ++x) {
    EXPECT_EQ(h.At(x, 1), otEmpty) << "at 2.3 s, cell " << x << ",1";
    EXPECT_EQ(h.Sim->ExplosionCountGrid().GetCell(x, 1), 0) << "at 2.3 s, cell " << x << ",1";
  }
  EXPECT_TRUE(h.App.Messages().empty());
}

// A bomb with no way to its target searches again only once what it looked at has changed: a
// wall opening beyond its sight, then one it saw, and a way that only its owner blocked.
TEST(MovingBombs, SeekingBombWithNoWayGoesOnceOneOpens) {
  SimHarness h;
  h.Load({"...#.#....2",
          "...#.#.....",
          "1..#.#....."});
  h.P1().SeekerBombs = true;
  h.Bomb(h.P1(), {1, 1});
  h.Run(900);
  h.State().MazeGrid.SetCell(5, 2, otEmpty);
  h.Run(900);
  EXPECT_EQ(h.At(1, 1), otBomb) << "still walled off";
  h.State().MazeGrid.SetCell(3, 0, otEmpty);
  h.Run(900);
  EXPECT_EQ(h.At(1, 1), otEmpty) << "through both openings";

  h.Load({"...#......2",
          "...1.......",
          "...#......."});
  h.P1().SeekerBombs = true;
  h.Bomb(h.P1(), {1, 1});  // laid with its owner on it: the gap was open then
  h.Run(900);
  EXPECT_EQ(h.At(2, 1), otBomb) << "waits in front of its owner in the only gap";
  h.Sim->MovePlayer(h.P1(), dirRight);
  h.Sim->MovePlayer(h.P1(), dirRight);
  h.Run(900);
  EXPECT_EQ(h.At(2, 1), otEmpty) << "goes on once the owner stepped aside";
}
