#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>

#include "settings/MemorySettingsStore.h"
#include "support/UnusualSettings.h"

namespace detonix {
namespace {

void ExpectSameBits(double a, double b) { EXPECT_EQ(std::bit_cast<uint64_t>(a), std::bit_cast<uint64_t>(b)) << a << " vs " << b; }

TEST(LoadSettings, NoKeyGivesTheDefaults) {
  TMemorySettingsStore store;
  const TSettings s = LoadSettings(store);
  EXPECT_EQ(s.PerBlocksLeft, 0.4);
  EXPECT_EQ(s.PerOfEBlocks, 0.15);
  EXPECT_EQ(s.PerOfPUps, 30);
  EXPECT_EQ(s.P1ImageIndex, 0);
  EXPECT_EQ(s.P2ImageIndex, 6);
  EXPECT_EQ(s.PlayerSpeed, 150);
  EXPECT_FALSE(s.ForceMaze);
  EXPECT_EQ(s.ForceInterval, 5);
  EXPECT_FALSE(s.Sounds);
  EXPECT_FALSE(store.KeyExists) << "loading must not create the key";

  store.KeyExists = true;  // a key without values
  EXPECT_EQ(LoadSettings(store), TSettings{});
}

TEST(LoadSettings, ValuesThatCannotWorkMeanTheDefault) {
  TMemorySettingsStore store;
  store.KeyExists = true;
  for (const int32_t stored : {0, -5, std::numeric_limits<int32_t>::min(), 60001, std::numeric_limits<int32_t>::max()}) {
    store.SetInteger("PlayerSpeed", stored);
    EXPECT_EQ(LoadSettings(store).PlayerSpeed, 150) << stored;
  }
  for (const int32_t stored : {175, 1, 60000}) {
    store.SetInteger("PlayerSpeed", stored);
    EXPECT_EQ(LoadSettings(store).PlayerSpeed, stored);
  }
  // A character's pictures start at its number times six; anything else mixes two characters.
  for (const int32_t stored : {7, 99, -6, 24}) {
    store.SetInteger("P1ImageIndex", stored);
    store.SetInteger("P2ImageIndex", stored);
    const TSettings s = LoadSettings(store);
    EXPECT_EQ(s.P1ImageIndex, 0) << stored;
    EXPECT_EQ(s.P2ImageIndex, 6) << stored;
  }
  store.SetInteger("P1ImageIndex", 18);
  EXPECT_EQ(LoadSettings(store).P1ImageIndex, 18);
}

TEST(LoadSettings, AnyNonZeroIsTrue) {
  TMemorySettingsStore store;
  store.KeyExists = true;
  store.SetInteger("ForceMaze", -1);
  store.SetInteger("Sounds", 2);
  TSettings s = LoadSettings(store);
  EXPECT_TRUE(s.ForceMaze);
  EXPECT_TRUE(s.Sounds);
  store.SetInteger("ForceMaze", 0);
  EXPECT_FALSE(LoadSettings(store).ForceMaze);
}

// As the options would refuse them, or cannot be read: the caller hears of them, and a save keeps
// them (an older release's, say) while it does not change them.
TEST(LoadSettings, ValuesOutOfTheOptionsRangesMeanTheDefaultAndAreListed) {
  TMemorySettingsStore store;
  store.KeyExists = true;
  store.SetDouble("PerBlocksLeft", 0.5000001);
  store.SetDouble("PerOfEBlocks", 7.5);
  store.SetInteger("PerOfPUps", 250);
  store.SetBytes("PlayerSpeed", {1, 2});
  store.SetInteger("ForceInterval", 100000);
  std::vector<TRefusedSetting> refused;
  TSettings s = LoadSettings(store, &refused);
  EXPECT_EQ(s, TSettings{});
  ASSERT_EQ(refused.size(), 5u);
  EXPECT_EQ(RefusedText(refused[3]), "PlayerSpeed=hex:01,02 cannot be read (milliseconds, 1 to 60000); the default 150 applies");
  EXPECT_EQ(RefusedText(refused[4]), "ForceInterval=100000 is out of range (minutes, 0 to 1440); the default 5 applies");
  const auto before = store.Values;
  s.PerOfPUps = 40;
  SaveSettings(store, s);
  EXPECT_EQ(std::get<int32_t>(store.Values.at("PerOfPUps")), 40);
  for (const char* kept : {"PerBlocksLeft", "PerOfEBlocks", "PlayerSpeed", "ForceInterval"})
    EXPECT_EQ(store.Values.at(kept), before.at(kept)) << kept;
}

TEST(LoadSettings, WrongTypeOrSizeCountsAsMissing) {
  TMemorySettingsStore store;
  store.KeyExists = true;
  SaveSettings(store, Unusual());
  store.SetInteger("PerBlocksLeft", 1);                          // a DWORD where 8 bytes belong
  store.SetBytes("PerOfEBlocks", {0, 0, 0, 0, 0, 0, 0xF0});       // 7 bytes
  store.SetBytes("PerOfPUps", {1, 0, 0, 0});                     // binary where a DWORD belongs
  store.SetBytes("PlayerSpeed", std::vector<uint8_t>(16, 0x40));  // too long
  const TSettings s = LoadSettings(store);
  EXPECT_EQ(s.PerBlocksLeft, 0.4);
  EXPECT_EQ(s.PerOfEBlocks, 0.15);
  EXPECT_EQ(s.PerOfPUps, 30);
  EXPECT_EQ(s.PlayerSpeed, 150);
  // The values around them are still read.
  TSettings expected = Unusual();
  expected.PerBlocksLeft = 0.4;
  expected.PerOfEBlocks = 0.15;
  expected.PerOfPUps = 30;
  expected.PlayerSpeed = 150;
  EXPECT_EQ(s, expected);
}

TEST(LoadSettings, NonFiniteFractionsCountAsMissing) {
  TMemorySettingsStore store;
  store.KeyExists = true;
  store.SetDouble("PerBlocksLeft", std::numeric_limits<double>::quiet_NaN());
  store.SetDouble("PerOfEBlocks", -std::numeric_limits<double>::infinity());
  EXPECT_EQ(LoadSettings(store).PerBlocksLeft, 0.4);
  EXPECT_EQ(LoadSettings(store).PerOfEBlocks, 0.15);
  store.SetDouble("PerOfEBlocks", std::numeric_limits<double>::infinity());
  EXPECT_EQ(LoadSettings(store).PerOfEBlocks, 0.15);
}

TEST(LoadSettings, NamesIgnoreCase) {
  TMemorySettingsStore store;
  store.KeyExists = true;
  store.SetInteger("playerspeed", 200);
  store.SetDouble("PERBLOCKSLEFT", 0.5);
  const TSettings s = LoadSettings(store);
  EXPECT_EQ(s.PlayerSpeed, 200);
  EXPECT_EQ(s.PerBlocksLeft, 0.5);
}

TEST(SaveSettings, EveryValueReadsBack) {
  TMemorySettingsStore store;
  const TSettings written = Unusual();
  SaveSettings(store, written);
  EXPECT_TRUE(store.KeyExists);
  EXPECT_EQ(store.Values.size(), SettingRows.size());
  const TSettings read = LoadSettings(store);
  EXPECT_EQ(read, written);
  for (const TSettingRow& row : SettingRows)
    if (const auto* field = std::get_if<double TSettings::*>(&row.Field)) ExpectSameBits(read.**field, written.**field);
  // Doubles as 8 little-endian bytes, Booleans as 1 and 0.
  EXPECT_EQ(std::get<std::vector<uint8_t>>(store.Values.at("PerOfEBlocks")), DoubleToBytes(written.PerOfEBlocks));
  EXPECT_EQ(DoubleToBytes(1.0), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  EXPECT_EQ(std::get<int32_t>(store.Values.at("ForceMaze")), 1);
  TSettings off = written;
  off.Sounds = false;
  SaveSettings(store, off);
  EXPECT_EQ(std::get<int32_t>(store.Values.at("Sounds")), 0);
}

TEST(SaveSettings, ConfirmingUnchangedSettingsCreatesEveryValue) {
  TMemorySettingsStore store;
  SaveSettings(store, LoadSettings(store));
  EXPECT_EQ(store.Values.size(), SettingRows.size());
  for (const TSettingRow& row : SettingRows) EXPECT_TRUE(store.Values.contains(std::string(row.Name))) << row.Name;
  EXPECT_EQ(LoadSettings(store), TSettings{});
}

TEST(SaveSettings, ReplacesValuesOfAnotherType) {
  TMemorySettingsStore store;
  store.KeyExists = true;
  store.SetInteger("PerBlocksLeft", 3);
  store.SetBytes("PlayerSpeed", {1, 2});
  store.SetInteger("Other", 42);
  SaveSettings(store, Unusual());
  const TSettings s = LoadSettings(store);
  ExpectSameBits(s.PerBlocksLeft, Unusual().PerBlocksLeft);
  EXPECT_EQ(s.PlayerSpeed, Unusual().PlayerSpeed);
  EXPECT_EQ(std::get<int32_t>(store.Values.at("Other")), 42) << "other values are left alone";
}

TEST(SaveSettings, UnwritableKeyIsPassedOverSilently) {
  TMemorySettingsStore store;
  store.Writable = false;
  EXPECT_NO_THROW(SaveSettings(store, Unusual()));
  EXPECT_FALSE(store.KeyExists);
  EXPECT_TRUE(store.Values.empty());
}

}  // namespace
}  // namespace detonix
