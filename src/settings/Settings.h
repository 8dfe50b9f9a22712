#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "settings/SettingsStore.h"

namespace detonix {

// Think intervals offered for the players, fastest first: "Very Fast", "Fast", "Normal",
// "Slow", "Very Slow". The settings dialog lists them by position.
constexpr std::array<int32_t, 5> PlayerSpeeds = {100, 120, 150, 200, 300};
constexpr std::array<std::string_view, 5> PlayerSpeedNames = {"Very Fast", "Fast", "Normal", "Slow", "Very Slow"};
constexpr int DefaultSpeedIndex = 2;
constexpr int32_t DefaultPlayerSpeed = PlayerSpeeds[DefaultSpeedIndex];

// The four characters; a character's first picture in the player image list is its number
// times ImagesPerCharacter.
constexpr std::array<std::string_view, 4> CharacterNames = {"Quorin", "Tavvy", "Murvex", "Olandrix"};
constexpr int32_t ImagesPerCharacter = 6;

// Value names under the settings key.
namespace settingnames {
constexpr const char* PerBlocksLeft = "PerBlocksLeft";
constexpr const char* PerOfEBlocks = "PerOfEBlocks";
constexpr const char* PerOfPUps = "PerOfPUps";
constexpr const char* P1ImageIndex = "P1ImageIndex";
constexpr const char* P2ImageIndex = "P2ImageIndex";
constexpr const char* PlayerSpeed = "PlayerSpeed";
constexpr const char* ForceMaze = "ForceMaze";
constexpr const char* ForceInterval = "ForceInterval";
constexpr const char* Sounds = "Sounds";
}  // namespace settingnames

// The nine persistent settings, with their defaults.
struct TSettings {
  double PerBlocksLeft = 0.4;   // fraction of all cells that stay fixed blocks
  double PerOfEBlocks = 0.15;   // fraction of the opened cells aimed at for destructible blocks
  int32_t PerOfPUps = 30;       // percent chance that a destructible block hides a power-up
  int32_t P1ImageIndex = 0;     // first picture of player 1's character
  int32_t P2ImageIndex = ImagesPerCharacter;
  int32_t PlayerSpeed = DefaultPlayerSpeed;  // ms between two decisions of a player
  bool ForceMaze = false;       // start a new maze every ForceInterval minutes
  int32_t ForceInterval = 5;
  bool Sounds = false;
  friend bool operator==(const TSettings&, const TSettings&) = default;
};

// Reads the settings key; every value that is missing, unreadable, of the wrong type or not a
// finite number keeps its default. A speed of 0 or less means the default speed. Never throws
// for the store's content.
TSettings LoadSettings(TSettingsStore& store);

// Writes all nine values, creating the key. A key that cannot be created is passed over silently.
void SaveSettings(TSettingsStore& store, const TSettings& settings);

}  // namespace detonix
