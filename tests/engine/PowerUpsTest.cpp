#include <gtest/gtest.h>

#include "support/SimHarness.h"

using namespace detonix;
using detonix::test::SimHarness;

TEST(PowerUps, RevealedFromABlownBlockAndGoneAfterTenSeconds) {
  SimHarness h;
  h.Load({"..........1",
          "...........",
          ".*.........",
          "...........",
          "..........2"});
  h.Bomb(h.P1(), {1, 4});  // its up-line reaches the block at 1,2 (1,3 is floor)
  h.Run(11'000);
  EXPECT_EQ(h.At(1, 2), otBombPUP);
  EXPECT_EQ(h.Sim->PUpT1List().Count(), 1);
  EXPECT_EQ(h.Sim->Stats().PowerUpsRevealed, 1);
  EXPECT_FALSE(h.Sim->BoardCleared()) << "the last block is gone, but its power-up lies there";
  h.Run(9'999);
  EXPECT_EQ(h.At(1, 2), otBombPUP);
  h.Run(1);
  EXPECT_EQ(h.At(1, 2), otEmpty);
  EXPECT_EQ(h.Sim->PUpT1List().Count(), 0);
  EXPECT_TRUE(h.Sim->BoardCleared());
  EXPECT_TRUE(h.App.Messages().empty());
}

TEST(PowerUps, FireBurnsALyingPowerUpAndItsTimer) {
  SimHarness h;
  h.Load({"..........1",
          "...........",
          ".*.........",
          "...........",
          "..........2"});
  h.Bomb(h.P1(), {1, 4});
  h.Run(5'000);
  h.Bomb(h.P1(), {3, 2});  // goes off at 15 s, while the revealed power-up lies at 1,2
  h.Run(6'000);
  ASSERT_EQ(h.At(1, 2), otBombPUP);
  ASSERT_EQ(h.Sim->PUpT1List().Count(), 1);
  h.Run(4'000);
  EXPECT_EQ(h.At(1, 2), otExplosion);
  EXPECT_EQ(h.Sim->PUpT1List().Count(), 0);
  h.Run(1'000);
  EXPECT_EQ(h.At(1, 2), otEmpty);
  h.Run(10'000);
  EXPECT_TRUE(h.App.Messages().empty()) << "no expiry may look for the burnt power-up's timer";
}

TEST(PowerUps, UpgradesStopAtTenAndThePowerUpIsUsedUp) {
  SimHarness h;
  h.Load({"1BE........",
          "...........",
          "2.........."});
  auto& p = h.P1();
  p.MaxBombs = 10;
  p.BombsLeft = 10;
  p.ExplosionSize = 9;
  h.Sim->MovePlayer(p, dirRight);
  EXPECT_EQ(p.MaxBombs, 10);
  EXPECT_EQ(p.BombsLeft, 10);
  EXPECT_EQ(h.At(1, 0), otEmpty);
  h.Sim->MovePlayer(p, dirRight);
  EXPECT_EQ(p.ExplosionSize, 10);
  EXPECT_EQ(h.P2().OpponentTarget, (TPoint{2, 0})) << "the opponent learns where the collector is";
  TBombRecord& bomb = h.Bomb(p, {2, 0});
  EXPECT_EQ(bomb.Size, 10);
}

TEST(PowerUps, TakingARunningEffectAgainRestartsItsWholeTime) {
  SimHarness h;
  h.Load({"1K.K.......",
          "...........",
          "2.........."});
  auto& p = h.P1();
  h.Sim->MovePlayer(p, dirRight);
  h.Run(30'000);
  EXPECT_TRUE(p.CanKick);
  h.Sim->MovePlayer(p, dirRight);
  h.Sim->MovePlayer(p, dirRight);  // the second kick power-up, 30 s after the first
  EXPECT_EQ(h.Sim->PUpT2List().Count(), 1);
  h.Run(39'999);
  EXPECT_TRUE(p.CanKick) << "kicking lasts 40 s from the second power-up";
  h.Run(1);
  EXPECT_FALSE(p.CanKick);
  EXPECT_EQ(h.Sim->PUpT2List().Count(), 0);
  EXPECT_TRUE(h.App.Messages().empty());
}

TEST(PowerUps, EachPlayerHasItsOwnInvisibility) {
  SimHarness h;
  h.Load({"1I.........",
          "...........",
          "2I........."});
  h.Sim->MovePlayer(h.P1(), dirRight);
  h.Run(5'000);
  h.Sim->MovePlayer(h.P2(), dirRight);
  EXPECT_FALSE(h.P1().Visible);
  EXPECT_FALSE(h.P2().Visible);
  h.Run(15'000);
  EXPECT_TRUE(h.P1().Visible);
  EXPECT_FALSE(h.P2().Visible);
  h.Run(5'000);
  EXPECT_TRUE(h.P2().Visible);
}
