#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Application.h"

using namespace detonix;

namespace {

// A queue on a virtual clock, and a log of which timer fired when.
struct TimerFixture : ::testing::Test {
  TVirtualClock Clock;
  TTimerQueue Queue{Clock};
  std::vector<std::string> Log;

  std::unique_ptr<TTimer> Make(const std::string& name, uint32_t interval, bool enabled = true) {
    return std::make_unique<TTimer>(Queue, interval, [this, name](TTimer&) {
      Log.push_back(name + "@" + std::to_string(Clock.NowMs()));
    }, enabled);
  }
  // Fires instant by instant until T, as a message loop would.
  void RunUntil(int64_t t) {
    while (auto next = Queue.NextDue()) {
      if (*next > t) break;
      Clock.AdvanceTo(*next);
      Queue.FireDue();
    }
    Clock.AdvanceTo(t);
  }
};

struct CountedRecord : TTagRecord {
  explicit CountedRecord(int& alive) : Alive(alive) { ++Alive; }
  ~CountedRecord() override { --Alive; }
  int& Alive;
};

}  // namespace

TEST_F(TimerFixture, FiresInDueOrderWithTiesInArmingOrder) {
  auto slow = Make("slow", 250);
  auto a = Make("a", 100);
  auto b = Make("b", 100);
  RunUntil(300);
  const std::vector<std::string> expected{"a@100", "b@100", "a@200", "b@200", "slow@250", "a@300", "b@300"};
  EXPECT_EQ(Log, expected);
}

TEST_F(TimerFixture, NewTimerIsEnabledWithDefaultInterval) {
  TTimer t(Queue);
  EXPECT_TRUE(t.Enabled());
  EXPECT_EQ(t.Interval(), 1000u);
  EXPECT_TRUE(t.Armed());
  EXPECT_EQ(t.DueMs(), 1000);
}

TEST_F(TimerFixture, ZeroIntervalNeverFires) {
  auto zero = Make("zero", 0);
  auto other = Make("other", 100);
  other->SetInterval(0);  // switching an armed timer to 0 stops it too
  EXPECT_FALSE(zero->Armed());
  RunUntil(10'000);
  EXPECT_TRUE(Log.empty());
  EXPECT_FALSE(Queue.NextDue().has_value());
}

TEST_F(TimerFixture, EnablingOrChangingIntervalRestartsTheCount) {
  auto t = Make("t", 100);
  auto u = Make("u", 200);
  RunUntil(60);
  t->SetEnabled(false);
  t->SetEnabled(true);  // due 160, not 100
  u->SetInterval(100);  // due 160, not 200
  RunUntil(170);
  const std::vector<std::string> expected{"t@160", "u@160"};
  EXPECT_EQ(Log, expected);
}

TEST_F(TimerFixture, SettingTheSameStateChangesNothing) {
  auto t = Make("t", 100);
  RunUntil(60);
  t->SetEnabled(true);
  t->SetInterval(100);
  RunUntil(100);
  EXPECT_EQ(Log, std::vector<std::string>{"t@100"});
}

TEST_F(TimerFixture, OverdueTimerFiresOnceAndResumesItsPace) {
  auto t = Make("t", 100);
  Clock.Advance(1000);
  EXPECT_EQ(Queue.FireDue(), 1);
  EXPECT_EQ(Log, std::vector<std::string>{"t@1000"});
  EXPECT_EQ(t->DueMs(), 1100);
}

TEST_F(TimerFixture, DisablingStopsAtOnceEvenWhenDueInTheSameInstant) {
  std::unique_ptr<TTimer> victim;
  // Armed first, so it fires first at 100, when the victim is due too.
  auto first = std::make_unique<TTimer>(Queue, 100, [&](TTimer& self) {
    self.SetEnabled(false);
    victim->SetEnabled(false);
    Log.push_back("first");
  });
  victim = Make("victim", 100);
  RunUntil(1000);
  EXPECT_EQ(Log, std::vector<std::string>{"first"});
  EXPECT_FALSE(victim->Armed());
}

TEST_F(TimerFixture, TimerMayBeDestroyedInsideItsOwnHandler) {
  int alive = 0;
  std::unique_ptr<TTimer> t;
  int calls = 0;
  t = std::make_unique<TTimer>(Queue, 100, [&](TTimer& self) {
    ++calls;
    EXPECT_EQ(&self, t.get());
    t.reset();  // frees the timer and its record while the handler runs
  });
  t->Tag.Emplace<CountedRecord>(alive);
  EXPECT_EQ(alive, 1);
  RunUntil(1000);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(alive, 0);
  EXPECT_EQ(Queue.ArmedCount(), 0u);
}

TEST_F(TimerFixture, HandlerMayDestroyAnotherTimerDueInTheSameInstant) {
  std::unique_ptr<TTimer> second;
  auto first = std::make_unique<TTimer>(Queue, 100, [&](TTimer&) {
    Log.push_back("first");
    second.reset();
  });
  second = Make("second", 100);
  RunUntil(250);
  EXPECT_EQ(Log, (std::vector<std::string>{"first", "first"}));
}

TEST_F(TimerFixture, HandlerMayCreateTimersAndRestartItself) {
  std::vector<std::unique_ptr<TTimer>> created;
  auto spawner = std::make_unique<TTimer>(Queue, 100, [&](TTimer& self) {
    Log.push_back("spawn@" + std::to_string(Clock.NowMs()));
    created.push_back(Make("child", 30));
    self.SetInterval(self.Interval() == 100 ? 300 : 100);  // restarts from now
  });
  RunUntil(400);
  // Spawned at 100 and, after the restart to 300 ms, at 400; the first child ticks every 30 ms.
  // At 400 the spawner goes first: it was armed at 100, the child last at 370.
  ASSERT_EQ(Log.size(), 12u);
  EXPECT_EQ(Log[0], "spawn@100");
  EXPECT_EQ(Log[1], "child@130");
  EXPECT_EQ(Log[10], "spawn@400");
  EXPECT_EQ(Log[11], "child@400");
  EXPECT_EQ(created.size(), 2u);
}

// A handler that runs late starts its timers from the instant it was due, so they keep to its
// grid and wake the program together with it; outside any handler, intervals start now.
TEST_F(TimerFixture, ALateHandlerStartsItsTimersFromItsDueTime) {
  std::unique_ptr<TTimer> child;
  auto parent = std::make_unique<TTimer>(Queue, 50, [&](TTimer& self) {
    if (!child) child = Make("child", 100);
    self.SetInterval(self.Interval() == 50 ? 60 : 50);  // restarted, from the due time too
  });
  Clock.AdvanceTo(53);  // 3 ms late
  Queue.FireDue();
  ASSERT_TRUE(child);
  EXPECT_EQ(child->DueMs(), 150);
  EXPECT_EQ(parent->DueMs(), 110);
  auto outside = Make("outside", 100);
  EXPECT_EQ(outside->DueMs(), 153);
}

TEST_F(TimerFixture, HandlerReplacedInsideItselfIsKept) {
  auto t = std::make_unique<TTimer>(Queue, 100, [&](TTimer& self) {
    Log.push_back("old");
    self.OnTimer = [&](TTimer&) { Log.push_back("new"); };
  });
  RunUntil(300);
  EXPECT_EQ(Log, (std::vector<std::string>{"old", "new", "new"}));
}

TEST_F(TimerFixture, DestroyingTheTagRecordsWithTheTimer) {
  int alive = 0;
  {
    TTimer t(Queue);
    t.Tag.SetKey(0x00030007);
    t.Tag.Emplace<CountedRecord>(alive);
    EXPECT_NE(t.Tag.As<CountedRecord>(), nullptr);
    EXPECT_EQ(t.Tag.Key(), 0x00030007);
  }
  EXPECT_EQ(alive, 0);
}
