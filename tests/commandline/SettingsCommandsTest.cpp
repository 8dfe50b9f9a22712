#include "commandline/SettingsCommands.h"

#include <gtest/gtest.h>

#include "settings/MemorySettingsStore.h"

namespace detonix::commandline {
namespace {

TEST(SettingsPrecedence, CommandLineThenStoreThenDefaults) {
  TMemorySettingsStore store;
  EXPECT_EQ(EffectiveSettings(store, {}), TSettings{}) << "no store and no options: the defaults";

  store.KeyExists = true;
  store.SetInteger("PlayerSpeed", 200);
  store.SetInteger("Sounds", 1);
  store.SetDouble("PerBlocksLeft", 0.3);
  TSettingsOverrides overrides;
  overrides.Set(&TSettings::PlayerSpeed, 100);
  const TSettings s = EffectiveSettings(store, overrides);
  EXPECT_EQ(s.PlayerSpeed, 100) << "the command line wins over the store";
  EXPECT_TRUE(s.Sounds) << "the store wins over the default";
  EXPECT_EQ(s.PerBlocksLeft, 0.3);
  EXPECT_EQ(s.P2ImageIndex, 6) << "what neither names keeps its default";
}

TEST(SettingsSave, WritesAllNineWithTheOptionsOnTopAndKeepsTheRest) {
  TMemorySettingsStore store;
  store.KeyExists = true;
  store.SetInteger("ForceInterval", 17);
  TSettingsOverrides overrides;
  overrides.Set(&TSettings::P1ImageIndex, 18);
  overrides.Set(&TSettings::Sounds, true);
  ASSERT_TRUE(SaveOverrides(store, overrides));
  for (const char* name : {"PerBlocksLeft", "PerOfEBlocks", "PerOfPUps", "P1ImageIndex", "P2ImageIndex",
                           "PlayerSpeed", "ForceMaze", "ForceInterval", "Sounds"})
    EXPECT_TRUE(store.Values.count(name)) << name << " was not written";
  const TSettings s = LoadSettings(store);
  EXPECT_EQ(s.P1ImageIndex, 18);
  EXPECT_TRUE(s.Sounds);
  EXPECT_EQ(s.ForceInterval, 17) << "a value the options do not name keeps what the store had";
}

TEST(SettingsSave, AStoreThatCannotBeWrittenIsReported) {
  TMemorySettingsStore store;
  store.Writable = false;
  TSettingsOverrides overrides;
  overrides.Set(&TSettings::PlayerSpeed, 120);
  EXPECT_FALSE(SaveOverrides(store, overrides));
  EXPECT_FALSE(SaveOverrides(store, {})) << "even when the values equal the defaults, nothing was written";
}

TEST(SettingsShow, OneLinePerValueAsTheOptionTakesIt) {
  TSettings s;
  s.P1ImageIndex = 12;
  s.P2ImageIndex = 7;  // not a multiple of 6: no character name to give
  s.PlayerSpeed = 175;
  s.ForceMaze = true;
  s.PerOfEBlocks = 0.1 + 0.2;
  EXPECT_EQ(FormatSettings(s),
            "-fixed-blocks         0.4\n"
            "-destructible-blocks  0.30000000000000004\n"
            "-powerups             30\n"
            "-player1              Murvex\n"
            "-player2              7\n"
            "-speed                175\n"
            "-force-maze           on\n"
            "-force-interval       5\n"
            "-sound                off\n");
  s.PlayerSpeed = 300;
  s.P2ImageIndex = 24;  // past the last character
  const std::string text = FormatSettings(s);
  EXPECT_NE(text.find("-speed                300 (Very Slow)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("-player2              24\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace detonix::commandline
