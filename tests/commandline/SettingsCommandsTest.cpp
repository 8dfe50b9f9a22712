#include "commandline/SettingsCommands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <string_view>

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

TEST(SettingsSave, WritesEveryValueWithTheOptionsOnTopAndKeepsTheRest) {
  TMemorySettingsStore store;
  store.KeyExists = true;
  store.SetInteger("ForceInterval", 17);
  store.SetDouble("PerBlocksLeft", 0.8);  // an older release's, out of today's range
  store.SetBytes("PerOfPUps", {1});       // unreadable
  TSettingsOverrides overrides;
  overrides.Set(&TSettings::P1ImageIndex, 18);
  overrides.Set(&TSettings::Sounds, true);
  overrides.Set(&TSettings::PerOfPUps, 30);  // the default, but asked for
  ASSERT_TRUE(SaveOverrides(store, overrides));
  EXPECT_EQ(store.Values.at("PerBlocksLeft"), TMemorySettingsStore::TValue(DoubleToBytes(0.8))) << "not asked: kept";
  EXPECT_EQ(store.Values.at("PerOfPUps"), TMemorySettingsStore::TValue(30));
  for (const TSettingRow& row : SettingRows)
    EXPECT_TRUE(store.Values.count(std::string(row.Name))) << row.Name << " was not written";
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

// The value FormatSettings gives OPTION, "" when it has no line; the values line up.
std::string ShownValue(const std::string& text, std::string_view option) {
  size_t width = 0;
  for (const TSettingRow& row : SettingRows) width = std::max(width, row.Option.size());
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.substr(0, line.find(' ')) != option) continue;
    EXPECT_EQ(line.find_first_not_of(' ', option.size()), width + 2) << line;
    return line.substr(width + 2);
  }
  return "";
}

TEST(SettingsShow, OneLinePerValueAsTheOptionTakesIt) {
  TSettings s;
  s.P1ImageIndex = 12;
  s.P2ImageIndex = 7;  // not a multiple of 6: no character name to give
  s.PlayerSpeed = 175;
  s.ForceMaze = true;
  s.PerOfEBlocks = 0.1 + 0.2;
  std::string text = FormatSettings(s);
  std::istringstream lines(text);
  for (const TSettingRow& row : SettingRows) {
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.substr(0, line.find(' ')), row.Option) << "in the rows' order";
    EXPECT_NE(ShownValue(text, row.Option), "") << row.Option;
  }
  EXPECT_EQ(ShownValue(text, "-destructible-blocks"), "0.30000000000000004");
  EXPECT_EQ(ShownValue(text, "-player1"), "Murvex");
  EXPECT_EQ(ShownValue(text, "-player2"), "7");
  EXPECT_EQ(ShownValue(text, "-speed"), "175");
  EXPECT_EQ(ShownValue(text, "-force-maze"), "on");
  EXPECT_EQ(ShownValue(text, "-sound"), "off");
  s.PlayerSpeed = 300;
  s.P2ImageIndex = 24;  // past the last character
  text = FormatSettings(s);
  EXPECT_EQ(ShownValue(text, "-speed"), "300 (Very Slow)");
  EXPECT_EQ(ShownValue(text, "-player2"), "24");
}

}  // namespace
}  // namespace detonix::commandline
