#include <gtest/gtest.h>

#include "board/Player.h"
#include "platform/Application.h"

using namespace detonix;

namespace {

struct TestPlayer final : TPlayer {
  using TPlayer::TPlayer;
  bool CanMove(TDirection) override { return true; }
};

struct PlayerFixture : ::testing::Test {
  TVirtualClock Clock;
  TApplication App{Clock};
  TestPlayer P{App.Timers()};
  int Redraws = 0;

  // The game's flash tick: blink while time is left, then stop inside the timer's own handler.
  void FlashTick(TTimer& t) {
    auto* flash = t.Tag.As<TFlashRecord>();
    flash->RemainingMs = static_cast<int16_t>(flash->RemainingMs - TPlayer::FlashIntervalMs);
    if (flash->RemainingMs > 0) {
      flash->Player->FlashToggle();
      ++Redraws;
    } else {
      t.SetEnabled(false);
      flash->Player->FlashState = 0;
      ++Redraws;
      flash->Player->StopFlash();
    }
  }
};

}  // namespace

TEST_F(PlayerFixture, FullResetGivesAFreshPlayerAtTheStart) {
  P.StartPos = {4, 7};
  P.Lives = 1;
  P.Pose = 3;
  P.Reset(true);
  EXPECT_EQ(P.Lives, 3);
  EXPECT_EQ(P.MaxBombs, 5);
  EXPECT_EQ(P.BombsLeft, 5);
  EXPECT_EQ(P.ExplosionSize, 3);
  EXPECT_EQ(P.Pose, 0);
  EXPECT_EQ(P.Position, (TPoint{4, 7}));
  EXPECT_FALSE(P.Active());
}

TEST_F(PlayerFixture, PartialResetKeepsPowerUpsButEndsEffects) {
  P.SetActive(true);
  P.AddBomb();
  P.AddExplosionSize();
  P.LoseLife();
  P.BombLaid();
  P.BombLaid();
  P.Visible = false;
  P.CanKick = true;
  P.SeekerBombs = true;
  P.Indestructible = true;
  P.StartFlash(3000, nullptr);
  P.Reset(false);
  EXPECT_EQ(P.MaxBombs, 6);
  EXPECT_EQ(P.BombsLeft, 6);
  EXPECT_EQ(P.ExplosionSize, 4);
  EXPECT_EQ(P.Lives, 2);
  EXPECT_TRUE(P.Visible);
  EXPECT_FALSE(P.CanKick);
  EXPECT_FALSE(P.SeekerBombs);
  EXPECT_FALSE(P.Indestructible);
  EXPECT_EQ(P.FlashTimer(), nullptr);
  EXPECT_EQ(P.FlashState, 0);
}

TEST_F(PlayerFixture, PoseFollowsTheLastHorizontalFacing) {
  P.UpdatePose(dirUp);
  EXPECT_EQ(P.Pose, 2);
  P.UpdatePose(dirDown);
  EXPECT_EQ(P.Pose, 0);
  P.UpdatePose(dirRight);
  P.UpdatePose(dirUp);
  EXPECT_EQ(P.Pose, 3);
  P.UpdatePose(dirUp);
  EXPECT_EQ(P.Pose, 3);
  P.UpdatePose(dirDown);
  EXPECT_EQ(P.Pose, 1);
  P.UpdatePose(dirDown);
  EXPECT_EQ(P.Pose, 1);
  P.Pose = 2;
  P.UpdatePose(dirRight);
  EXPECT_EQ(P.Pose, 1);
}

TEST_F(PlayerFixture, FlashToggleAndStopWithoutTimer) {
  P.FlashToggle();
  EXPECT_EQ(P.FlashState, 1);
  P.FlashToggle();
  EXPECT_EQ(P.FlashState, 2);
  P.FlashToggle();
  EXPECT_EQ(P.FlashState, 1);
  P.FlashState = 2;
  P.StopFlash();  // no timer: nothing changes
  EXPECT_EQ(P.FlashState, 2);
}

TEST_F(PlayerFixture, FlashOfThreeSecondsLastsTwentyTicks) {
  P.SetActive(true);
  P.StartFlash(3000, [this](TTimer& t) { FlashTick(t); });
  EXPECT_EQ(P.FlashState, 1);
  TVirtualLoop loop(App, Clock);
  loop.RunFor(2999);
  EXPECT_EQ(Redraws, 19);
  EXPECT_NE(P.FlashTimer(), nullptr);
  loop.RunFor(1);
  EXPECT_EQ(Redraws, 20);
  EXPECT_EQ(P.FlashTimer(), nullptr);
  EXPECT_EQ(P.FlashState, 0);
  EXPECT_EQ(App.Timers().ArmedCount(), 0u);
}

TEST_F(PlayerFixture, ActiveSwitchPausesTheFlashOnlyOnChange) {
  P.SetActive(true);
  P.StartFlash(3000, nullptr);
  TTimer* flash = P.FlashTimer();
  P.SetActive(true);
  EXPECT_TRUE(flash->Enabled());
  Clock.Advance(100);
  P.SetActive(false);
  EXPECT_FALSE(flash->Enabled());
  flash->SetEnabled(true);
  P.SetActive(false);  // unchanged: the flash timer is not touched
  EXPECT_TRUE(flash->Enabled());
}
