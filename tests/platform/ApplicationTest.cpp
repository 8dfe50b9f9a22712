#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Application.h"

using namespace detonix;

namespace {

struct AppFixture : ::testing::Test {
  TVirtualClock Clock;
  TApplication App{Clock};
  TVirtualLoop Loop{App, Clock};
};

}  // namespace

TEST_F(AppFixture, VirtualLoopIdlesAfterEveryInstantAndStopsAtTheEnd) {
  std::vector<int64_t> idles;
  auto reg = App.AddIdleHandler([&] { idles.push_back(Clock.NowMs()); });
  TTimer a(App.Timers(), 100, nullptr);
  TTimer b(App.Timers(), 100, nullptr);  // same instant as a: one idle, not two
  TTimer c(App.Timers(), 150, nullptr);
  EXPECT_EQ(Loop.RunFor(320), 4);  // instants 100, 150, 200, 300
  EXPECT_EQ(idles, (std::vector<int64_t>{100, 150, 200, 300}));
  EXPECT_EQ(Clock.NowMs(), 320);
}

TEST_F(AppFixture, TerminateEndsTheLoopWhereItIs) {
  TTimer t(App.Timers(), 100, [&](TTimer&) {
    if (Clock.NowMs() == 300) App.Terminate();
  });
  Loop.RunFor(10'000);
  EXPECT_TRUE(App.Terminated());
  EXPECT_EQ(Clock.NowMs(), 300);
}

TEST_F(AppFixture, IdleHandlersMayUnregisterThemselvesAndOthers) {
  int firstCalls = 0;
  int secondCalls = 0;
  TIdleRegistration first;
  TIdleRegistration second;
  first = App.AddIdleHandler([&] {
    ++firstCalls;
    first.Reset();
    second.Reset();
  });
  second = App.AddIdleHandler([&] { ++secondCalls; });
  App.DoIdle();
  App.DoIdle();
  EXPECT_EQ(firstCalls, 1);
  EXPECT_EQ(secondCalls, 0);
}

TEST_F(AppFixture, RegistrationEndsWithItsOwner) {
  int calls = 0;
  {
    auto reg = App.AddIdleHandler([&] { ++calls; });
    App.DoIdle();
  }
  App.DoIdle();
  EXPECT_EQ(calls, 1);
}

TEST_F(AppFixture, ExceptionsFromHandlersBecomeMessagesAndTheGameGoesOn) {
  int later = 0;
  TTimer bad(App.Timers(), 100, [](TTimer&) { throw std::runtime_error("Error Creating Maze - change Maze options"); });
  TTimer good(App.Timers(), 100, [&](TTimer&) { ++later; });
  auto reg = App.AddIdleHandler([] { throw std::runtime_error("idle failed"); });
  Loop.RunFor(250);
  EXPECT_EQ(later, 2);  // the good timer still fires at 100 and 200
  ASSERT_GE(App.Messages().size(), 4u);
  EXPECT_EQ(App.Messages()[0], "Error Creating Maze - change Maze options");
  EXPECT_EQ(App.Messages()[1], "idle failed");
}

TEST_F(AppFixture, ShowMessageRecordsAndForwardsToTheShell) {
  std::vector<std::string> shown;
  App.OnShowMessage = [&](const std::string& text) { shown.push_back(text); };
  App.ShowMessage("Timer not found");
  EXPECT_EQ(App.Messages(), std::vector<std::string>{"Timer not found"});
  EXPECT_EQ(shown, App.Messages());
}

TEST_F(AppFixture, ProcessMessagesNeverFiresTimers) {
  int fired = 0;
  int processed = 0;
  TTimer t(App.Timers(), 100, [&](TTimer&) { ++fired; });
  App.OnProcessMessages = [&] { ++processed; };
  Clock.Advance(500);
  App.ProcessMessages();
  EXPECT_EQ(processed, 1);
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(App.MsUntilNextTimer(), 0);
}

TEST(VirtualClock, NeverRunsBackwards) {
  TVirtualClock clock(50);
  EXPECT_THROW(clock.Advance(-1), std::invalid_argument);
  clock.AdvanceTo(10);
  EXPECT_EQ(clock.NowMs(), 50);
  clock.Advance(25);
  EXPECT_EQ(clock.NowMs(), 75);
}
