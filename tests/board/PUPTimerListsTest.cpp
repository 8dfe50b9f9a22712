#include <gtest/gtest.h>

#include <vector>

#include "board/PUPTimerLists.h"
#include "board/Player.h"
#include "platform/Application.h"

using namespace detonix;

namespace {

struct TestPlayer final : TPlayer {
  using TPlayer::TPlayer;
  bool CanMove(TDirection) override { return true; }
};

struct ListFixture : ::testing::Test {
  TVirtualClock Clock;
  TApplication App{Clock};
  TVirtualLoop Loop{App, Clock};
  TPUPTimer1List Cells{App.Timers()};
  TPUPTimer2List Effects{App.Timers()};
  TestPlayer A{App.Timers()};
  TestPlayer B{App.Timers()};
};

}  // namespace

TEST_F(ListFixture, RemoveByPointTakesTheFirstTimerOfThatCell) {
  Cells.AddTimer(10'000, {2, 3}, nullptr);
  Cells.AddTimer(10'000, {4, 4}, nullptr);
  Cells.AddTimer(10'000, {2, 3}, nullptr);
  TTimer* second = Cells.GetTimer(2);
  EXPECT_TRUE(Cells.RemoveByPoint({2, 3}));
  ASSERT_EQ(Cells.Count(), 2);
  EXPECT_EQ(Cells.GetTimer(1), second);
  EXPECT_FALSE(Cells.RemoveByPoint({3, 2}));
}

TEST_F(ListFixture, RemoveForNeedsBothPlayerAndKind) {
  Effects.AddTimer(40'000, &A, Ord(otSBombPUP), nullptr);
  EXPECT_FALSE(Effects.RemoveFor(&A, Ord(otInvisiblePUP)));
  EXPECT_FALSE(Effects.RemoveFor(&B, Ord(otSBombPUP)));
  EXPECT_EQ(Effects.Count(), 1);
  EXPECT_TRUE(Effects.RemoveFor(&A, Ord(otSBombPUP)));
  EXPECT_EQ(Effects.Count(), 0);
}

TEST_F(ListFixture, OutOfRangeAndUnknownDoNothing) {
  Cells.AddTimer(10'000, {0, 0}, nullptr);
  TTimer stranger(App.Timers());
  EXPECT_EQ(Cells.GetTimer(-1), nullptr);
  EXPECT_EQ(Cells.GetTimer(1), nullptr);
  Cells.Delete(1);
  Cells.Delete(-1);
  EXPECT_FALSE(Cells.Remove(&stranger));
  EXPECT_EQ(Cells.Count(), 1);
  Cells.Delete(0);
  EXPECT_EQ(Cells.Count(), 0);
}

TEST_F(ListFixture, HandlerHandsItsOwnTimerBackWhileRunning) {
  std::vector<TPoint> expired;
  auto expire = [&](TTimer& t) {
    expired.push_back(KeyToPoint(t.Tag.Key()));
    EXPECT_TRUE(Cells.Remove(&t));
  };
  Cells.AddTimer(10'000, {1, 2}, expire);
  Cells.AddTimer(10'000, {3, 4}, expire);
  std::vector<uint8_t> ended;
  Effects.AddTimer(20'000, &A, Ord(otInvisiblePUP), [&](TTimer& t) {
    ended.push_back(t.Tag.As<TPowerUpEffect>()->Kind);
    EXPECT_TRUE(Effects.Remove(&t));
  });
  Loop.RunFor(60'000);
  EXPECT_EQ(expired, (std::vector<TPoint>{{1, 2}, {3, 4}}));
  EXPECT_EQ(ended, std::vector<uint8_t>{Ord(otInvisiblePUP)});
  EXPECT_EQ(Cells.Count() + Effects.Count(), 0);
  EXPECT_EQ(App.Timers().ArmedCount(), 0u);
}

TEST_F(ListFixture, StoppedListLetsANewTimerRunUntilSwitchedAgain) {
  int fired = 0;
  Cells.AddTimer(10'000, {0, 0}, [&](TTimer&) { ++fired; });
  Cells.SetEnabled(false);
  Cells.AddTimer(1'000, {1, 1}, [&](TTimer&) { ++fired; });
  Cells.SetEnabled(false);  // already stopped: the new timer is not touched
  Loop.RunFor(1'500);
  EXPECT_EQ(fired, 1);
  Cells.SetEnabled(true);
  Cells.SetEnabled(false);
  Loop.RunFor(30'000);
  EXPECT_EQ(fired, 1);
  // Resumed timers count their whole interval afresh.
  Cells.SetEnabled(true);
  EXPECT_EQ(Cells.GetTimer(0)->DueMs(), Clock.NowMs() + 10'000);
}

TEST_F(ListFixture, DestroyingAListReleasesEveryTimerAndRecord) {
  {
    TPUPTimer2List list(App.Timers());
    list.AddTimer(20'000, &A, Ord(otSKBombsPUP), nullptr);
    list.AddTimer(40'000, &B, Ord(otSBombPUP), nullptr);
    EXPECT_EQ(App.Timers().ArmedCount(), 2u);
  }
  EXPECT_EQ(App.Timers().ArmedCount(), 0u);
  Effects.AddTimer(20'000, &A, Ord(otSKBombsPUP), nullptr);
  Effects.Clear();
  EXPECT_EQ(Effects.Count(), 0);
  EXPECT_EQ(App.Timers().ArmedCount(), 0u);
}
