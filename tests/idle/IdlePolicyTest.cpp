#include <gtest/gtest.h>

#include "idle/IdleOptions.h"
#include "idle/IdlePolicy.h"

namespace detonix::idle {
namespace {

using enum TIdleEvent;
constexpr TIdleState Free{.HasLock = true};
constexpr TIdleState Held{.Inhibited = true, .HasLock = true};
constexpr TIdleState Playing{.SaverRunning = true, .HasLock = true};
constexpr TIdleActions Nothing{};

TEST(IdlePolicy, TheSaverStartsOnceAndTheLockComesWhileItPlays) {
  TIdlePolicy policy;
  EXPECT_EQ(policy.On(ieIdle, Free), TIdleActions{.StartSaver = true});
  EXPECT_EQ(policy.On(ieIdle, Playing), Nothing) << "a second saver over the first";
  EXPECT_EQ(policy.On(ieLock, Playing), TIdleActions{.RunLock = true}) << "the lock waits for no saver";
  EXPECT_EQ(policy.On(ieLock, TIdleState{.LockRunning = true, .HasLock = true}), Nothing);
  EXPECT_EQ(policy.On(ieLock, TIdleState{}), Nothing) << "no lock command named";
}

TEST(IdlePolicy, AnInhibitHoldsOffSaverAndLockAndItsEndCountsTheIdleAnew) {
  TIdlePolicy policy;
  EXPECT_EQ(policy.On(ieIdle, Held), Nothing);
  EXPECT_EQ(policy.On(ieLock, Free), Nothing) << "the lock of an idle time that was held off";
  EXPECT_EQ(policy.InhibitEnded(Held), Nothing) << "another inhibit still holds";
  EXPECT_EQ(policy.InhibitEnded(Free), TIdleActions{.Restart = true});
  EXPECT_EQ(policy.InhibitEnded(Free), Nothing) << "one restart for one idle time";
  // Input after the held idle time: the desktop counts anew by itself.
  policy.On(ieIdle, Held);
  policy.On(ieActive, Held);
  EXPECT_EQ(policy.InhibitEnded(Free), Nothing);
  EXPECT_EQ(policy.On(ieIdle, Free), TIdleActions{.StartSaver = true});
}

TEST(IdleOptions, TakesItsOwnOptionsAndNoneOfTheGames) {
  const TIdleParse ok = ParseIdleCommandLine({"--idle-minutes", "0.5", "-lock", "swaylock -f", "-lock-after", "2"});
  ASSERT_TRUE(ok.Ok()) << ok.Error;
  EXPECT_EQ(ok.Options.Overrides.Get(&TSettings::IdleMinutes), 0.5);
  EXPECT_EQ(ok.Options.LockCommand, "swaylock -f");
  EXPECT_EQ(ok.Options.LockAfterMinutes, 2);
  EXPECT_EQ(ParseIdleCommandLine({"-idle-minutes", "0.01"}).Error,
            "bad value '0.01' for -idle-minutes (minutes, 0.05 to 1440)");
  EXPECT_EQ(ParseIdleCommandLine({"-lock-after", "-1"}).Error, "bad value '-1' for -lock-after (minutes, 0 to 1440)");
  EXPECT_EQ(ParseIdleCommandLine({"-lock"}).Error, "missing value for -lock");
  EXPECT_EQ(ParseIdleCommandLine({"-speed", "200"}).Error, "unknown option '-speed'");
}

}  // namespace
}  // namespace detonix::idle
