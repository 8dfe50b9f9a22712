#include <gtest/gtest.h>

#include <memory>

#include "board/BombRecords.h"
#include "board/GameState.h"
#include "platform/Application.h"

using namespace detonix;

namespace {

struct TestPlayer final : TPlayer {
  using TPlayer::TPlayer;
  bool CanMove(TDirection) override { return true; }
};

struct BombFixture : ::testing::Test {
  TVirtualClock Clock;
  TApplication App{Clock};
  TGameState State{App, {30, 6, 4}};
  TestPlayer P1{App.Timers()};
  TestPlayer P2{App.Timers()};

  BombFixture() {
    State.Player1 = &P1;
    State.Player2 = &P2;
    P1.Position = {5, 3};
    P2.Position = {5, 3};
    State.MazeGrid.Fill(otEmpty);
  }

  // Lays a bomb the way the game does: fuse timer into the grid, then its record.
  TBombRecord& Lay(TPoint p, TTimer::TTimerEvent onFuse = nullptr) {
    State.MazeGrid.SetCell(p, otBomb);
    State.BombTimerGrid.SetTimer(p.X, p.Y, std::make_unique<TTimer>(App.Timers(), 1000, std::move(onFuse)));
    auto record = std::make_unique<TBombRecord>();
    record->Owner = &P1;
    record->Position = p;
    TBombRecord& r = *record;
    State.BombTimerGrid.SetBomb(p.X, p.Y, std::move(record));
    return r;
  }
  static void Slide(TBombRecord& bomb, TApplication& app) {
    bomb.MoveTimer = std::make_unique<TTimer>(app.Timers(), 100, nullptr);
    bomb.MoveTimer->Tag.Emplace<TBombMoveRecord>().Position = bomb.Position;
  }
  static void Seek(TBombRecord& bomb, TApplication& app, int cols, int rows) {
    bomb.SeekTimer = std::make_unique<TTimer>(app.Timers(), 300, nullptr);
    auto& seek = bomb.SeekTimer->Tag.Emplace<TBombSeekRecord>();
    seek.Route = std::make_unique<TDetonixIntGrid>(cols, rows, -1);
  }
};

}  // namespace

TEST_F(BombFixture, LookupsOutsideOrWithoutABombGiveNothing) {
  Lay({2, 2});
  EXPECT_NE(State.BombTimerGrid.GetBomb(2, 2), nullptr);
  EXPECT_EQ(State.BombTimerGrid.GetBomb(3, 2), nullptr);
  EXPECT_EQ(State.BombTimerGrid.GetBomb(-1, 2), nullptr);
  EXPECT_EQ(State.BombTimerGrid.GetTimer(6, 0), nullptr);
  State.BombTimerGrid.SetBomb(3, 2, std::make_unique<TBombRecord>());  // no timer there: dropped
  EXPECT_EQ(State.BombTimerGrid.GetBomb(3, 2), nullptr);
}

TEST_F(BombFixture, RemovingASlidingSeekingBombReleasesEverythingOnIt) {
  TBombRecord& bomb = Lay({1, 1});
  Slide(bomb, App);
  Seek(bomb, App, State.ColCount, State.RowCount);
  EXPECT_EQ(App.Timers().ArmedCount(), 3u);
  State.BombTimerGrid.RemoveBomb({1, 1});
  EXPECT_EQ(State.BombTimerGrid.GetTimer(1, 1), nullptr);
  EXPECT_EQ(App.Timers().ArmedCount(), 0u);  // and the sanitizer run checks that no record leaked
}

TEST_F(BombFixture, FuseTimerMayRemoveItsOwnBombWhileFiring) {
  int ticks = 0;
  TBombRecord& bomb = Lay({3, 2}, [&](TTimer& fuse) {
    ++ticks;
    auto* r = fuse.Tag.As<TBombRecord>();
    ASSERT_NE(r, nullptr);
    if (--r->FuseCount < 9) State.BombTimerGrid.RemoveBomb(r->Position);
  });
  Seek(bomb, App, State.ColCount, State.RowCount);
  TVirtualLoop(App, Clock).RunFor(10'000);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(State.BombTimerGrid.GetTimer(3, 2), nullptr);
}

TEST_F(BombFixture, MoveBombNeedsBothCellsOnTheGrid) {
  TBombRecord& bomb = Lay({0, 0});
  State.BombTimerGrid.MoveBomb({0, 0}, {-1, 0});
  EXPECT_EQ(State.BombTimerGrid.GetBomb(0, 0), &bomb);
  State.BombTimerGrid.MoveBomb({0, 0}, {1, 0});
  EXPECT_EQ(State.BombTimerGrid.GetBomb(0, 0), nullptr);
  EXPECT_EQ(State.BombTimerGrid.GetBomb(1, 0), &bomb);
}

TEST_F(BombFixture, PauseTouchesTimersOnceAndResumeRestartsAll) {
  TBombRecord& a = Lay({1, 1});
  TBombRecord& b = Lay({4, 2});
  Slide(a, App);
  Seek(b, App, State.ColCount, State.RowCount);
  TTimer* fuseA = State.BombTimerGrid.GetTimer(1, 1);
  State.BombTimerGrid.SetEnabled(false);
  EXPECT_EQ(App.Timers().ArmedCount(), 0u);
  fuseA->SetEnabled(true);
  State.BombTimerGrid.SetEnabled(false);  // already paused: must not touch fuseA again
  EXPECT_TRUE(fuseA->Enabled());
  fuseA->SetEnabled(false);
  Clock.Advance(700);
  State.BombTimerGrid.SetEnabled(true);
  EXPECT_TRUE(a.MoveTimer->Enabled());
  EXPECT_TRUE(b.SeekTimer->Enabled());
  EXPECT_EQ(App.Timers().ArmedCount(), 4u);
  EXPECT_EQ(fuseA->DueMs(), 1700);  // a whole interval afresh
}

TEST_F(BombFixture, PushingABombNeedsFreeFloorBeyondIt) {
  Lay({2, 1});
  EXPECT_TRUE(State.CanPushBomb({2, 1}, dirRight));
  State.MazeGrid.SetCell(3, 1, otBombPUP);
  EXPECT_FALSE(State.CanPushBomb({2, 1}, dirRight)) << "a power-up beyond the bomb blocks the push";
  P2.Position = {1, 1};
  EXPECT_FALSE(State.CanPushBomb({2, 1}, dirLeft)) << "a player beyond the bomb blocks the push";
  EXPECT_TRUE(State.CanPushBomb({2, 1}, dirDown));
  Lay({0, 3});
  EXPECT_FALSE(State.CanPushBomb({0, 3}, dirLeft)) << "off the board";
  TBombRecord& sliding = Lay({4, 1});
  Slide(sliding, App);
  EXPECT_FALSE(State.CanPushBomb({4, 1}, dirDown)) << "a sliding bomb cannot be pushed again";
  EXPECT_FALSE(State.CanPushBomb({3, 2}, dirDown)) << "no bomb at all";
}

TEST_F(BombFixture, BoardQueries) {
  State.MazeGrid.SetCell(1, 0, otSKBombsPUP);
  State.MazeGrid.SetCell(2, 0, otExpBlock);
  State.MazeGrid.SetCell(3, 0, otExplosion);
  EXPECT_TRUE(State.IsPassable({0, 0}));
  EXPECT_TRUE(State.IsPassable({1, 0}));
  EXPECT_FALSE(State.IsPassable({2, 0}));
  EXPECT_FALSE(State.IsPassable({3, 0}));
  EXPECT_FALSE(State.IsPassable({-1, 0})) << "outside reads as a fixed block";
  EXPECT_TRUE(State.HasPowerUp({1, 0}));
  EXPECT_EQ(State.FindPlayerAt({5, 3}), &P1) << "both on one cell: player 1";
  P1.Position = {0, 0};
  EXPECT_EQ(State.FindPlayerAt({5, 3}), &P2);
  EXPECT_EQ(State.FindPlayerAt({4, 3}), nullptr);
  EXPECT_TRUE(State.IsPlayerAt({0, 0}));
}

TEST(GameState, RefusesABoardSmallerThanOneCell) {
  TVirtualClock clock;
  TApplication app(clock);
  EXPECT_THROW(TGameState(app, TBoardGeometry::ForSurface(29, 400, 30)), TBombTimerGridError);
}
