// Runs on Windows (or under Wine) against the real registry, on a key of its own.
#include "settings/RegistrySettingsStore.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <bit>
#include <cctype>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "settings/Settings.h"
#include "support/UnusualSettings.h"

namespace detonix {
namespace {

class RegistrySettingsStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    Path = "software\\Vantrel_Progs\\DetonixSaverTest" + std::to_string(GetCurrentProcessId());
    RegDeleteTreeA(HKEY_CURRENT_USER, Path.c_str());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, Path.c_str()); }

  bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  void SetRaw(const char* name, DWORD type, const std::vector<uint8_t>& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
  }
  // The stored type and size of a value; type 0 when it is missing.
  std::pair<DWORD, DWORD> TypeAndSize(const char* name) {
    HKEY key = nullptr;
    DWORD type = 0;
    DWORD size = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) type = 0;
      RegCloseKey(key);
    }
    return {type, size};
  }

  std::string Path;
};

TEST_F(RegistrySettingsStoreTest, MissingKeyGivesDefaultsAndStaysMissing) {
  TRegistrySettingsStore store(Path);
  EXPECT_EQ(LoadSettings(store), TSettings{});
  EXPECT_FALSE(KeyExists());
}

TEST_F(RegistrySettingsStoreTest, EveryValueReadsBackWithItsType) {
  TRegistrySettingsStore store(Path);
  SaveSettings(store, Unusual());
  const TSettings back = LoadSettings(store);
  EXPECT_EQ(back, Unusual());
  EXPECT_EQ(std::bit_cast<uint64_t>(back.PerBlocksLeft), std::bit_cast<uint64_t>(Unusual().PerBlocksLeft));
  // Doubles as 8 bytes, the rest as DWORDs.
  for (const TSettingRow& row : SettingRows) {
    const bool isDouble = std::holds_alternative<double TSettings::*>(row.Field);
    EXPECT_EQ(TypeAndSize(std::string(row.Name).c_str()),
              (std::pair<DWORD, DWORD>{isDouble ? REG_BINARY : REG_DWORD, isDouble ? 8 : 4}))
        << row.Name;
  }
  // The key name is compared without regard to case.
  std::string upper = Path;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  TRegistrySettingsStore shouted(upper);
  EXPECT_EQ(LoadSettings(shouted), Unusual());
}

TEST_F(RegistrySettingsStoreTest, WrongTypeOrSizeCountsAsMissing) {
  TRegistrySettingsStore store(Path);
  SaveSettings(store, Unusual());
  SetRaw("PerBlocksLeft", REG_DWORD, {1, 0, 0, 0});
  SetRaw("PerOfEBlocks", REG_BINARY, {0, 0, 0xF0, 0x3F});
  SetRaw("PerOfPUps", REG_SZ, {'5', '0', 0});
  SetRaw("PlayerSpeed", REG_BINARY, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
  SetRaw("ForceInterval", REG_QWORD, {9, 0, 0, 0, 0, 0, 0, 0});
  const TSettings s = LoadSettings(store);
  EXPECT_EQ(s.PerBlocksLeft, 0.4);
  EXPECT_EQ(s.PerOfEBlocks, 0.15);
  EXPECT_EQ(s.PerOfPUps, 30);
  EXPECT_EQ(s.PlayerSpeed, 150);
  EXPECT_EQ(s.ForceInterval, 5);
  EXPECT_EQ(s.P1ImageIndex, Unusual().P1ImageIndex);
  EXPECT_TRUE(s.ForceMaze);
  EXPECT_TRUE(s.Sounds);
  // Saving what was read keeps what could not be read; saving other values puts each back with its type.
  SaveSettings(store, s);
  EXPECT_EQ(TypeAndSize("PerOfPUps"), (std::pair<DWORD, DWORD>{REG_SZ, 3}));
  SaveSettings(store, Unusual());
  EXPECT_EQ(LoadSettings(store), Unusual());
  EXPECT_EQ(TypeAndSize("PlayerSpeed"), (std::pair<DWORD, DWORD>{REG_DWORD, 4}));
}

TEST_F(RegistrySettingsStoreTest, ValuesAllOfTheWrongTypeReadAsTheDefaultsAndSavingReplacesThem) {
  SetRaw("PerBlocksLeft", REG_DWORD, {7, 0, 0, 0});
  SetRaw("PerOfEBlocks", REG_BINARY, {1, 2, 3, 4});
  SetRaw("PerOfPUps", REG_SZ, {'5', '5', 0});
  SetRaw("PlayerSpeed", REG_BINARY, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
  SetRaw("ForceMaze", REG_SZ, {'1', 0});
  SetRaw("Sounds", REG_BINARY, {1, 2, 3, 4});  // the size of a DWORD, not its type
  TRegistrySettingsStore store(Path);
  EXPECT_EQ(LoadSettings(store), TSettings{});
  TSettings s;
  s.PerBlocksLeft = 0.35;
  s.PerOfEBlocks = 0.2;
  s.PerOfPUps = 40;
  s.P1ImageIndex = 18;
  s.P2ImageIndex = 12;
  s.PlayerSpeed = 175;
  s.ForceMaze = true;
  s.ForceInterval = 60;
  s.Sounds = true;
  SaveSettings(store, s);
  EXPECT_EQ(LoadSettings(store), s);
  EXPECT_EQ(TypeAndSize("PerBlocksLeft"), (std::pair<DWORD, DWORD>{REG_BINARY, 8}));
  EXPECT_EQ(TypeAndSize("ForceMaze"), (std::pair<DWORD, DWORD>{REG_DWORD, 4}));
  EXPECT_EQ(TypeAndSize("Sounds"), (std::pair<DWORD, DWORD>{REG_DWORD, 4}));
}

}  // namespace
}  // namespace detonix
