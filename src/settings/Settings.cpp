#include "settings/Settings.h"

#include <cmath>

namespace detonix {

namespace {

void ReadInteger(const TSettingsKey& key, const char* name, int32_t& out) {
  if (const auto v = key.ReadInteger(name)) out = *v;
}

void ReadBoolean(const TSettingsKey& key, const char* name, bool& out) {
  if (const auto v = key.ReadInteger(name)) out = *v != 0;
}

// NaN or infinity would poison every product the maze generator takes of it.
void ReadFraction(const TSettingsKey& key, const char* name, double& out) {
  if (const auto v = key.ReadDouble(name); v && std::isfinite(*v)) out = *v;
}

}  // namespace

TSettings LoadSettings(TSettingsStore& store) {
  TSettings s;
  const auto key = store.OpenForReading();
  if (!key) return s;
  namespace n = settingnames;
  ReadFraction(*key, n::PerBlocksLeft, s.PerBlocksLeft);
  ReadFraction(*key, n::PerOfEBlocks, s.PerOfEBlocks);
  ReadInteger(*key, n::PerOfPUps, s.PerOfPUps);
  ReadBoolean(*key, n::ForceMaze, s.ForceMaze);
  ReadInteger(*key, n::ForceInterval, s.ForceInterval);
  ReadBoolean(*key, n::Sounds, s.Sounds);
  ReadInteger(*key, n::P1ImageIndex, s.P1ImageIndex);
  ReadInteger(*key, n::P2ImageIndex, s.P2ImageIndex);
  ReadInteger(*key, n::PlayerSpeed, s.PlayerSpeed);
  if (s.PlayerSpeed <= 0) s.PlayerSpeed = DefaultPlayerSpeed;
  key->Close();
  return s;
}

void SaveSettings(TSettingsStore& store, const TSettings& s) {
  const auto key = store.OpenForWriting();
  if (!key) return;
  namespace n = settingnames;
  key->WriteDouble(n::PerBlocksLeft, s.PerBlocksLeft);
  key->WriteDouble(n::PerOfEBlocks, s.PerOfEBlocks);
  key->WriteInteger(n::PerOfPUps, s.PerOfPUps);
  key->WriteInteger(n::ForceMaze, s.ForceMaze ? 1 : 0);
  key->WriteInteger(n::ForceInterval, s.ForceInterval);
  key->WriteInteger(n::Sounds, s.Sounds ? 1 : 0);
  key->WriteInteger(n::PlayerSpeed, s.PlayerSpeed);
  key->WriteInteger(n::P1ImageIndex, s.P1ImageIndex);
  key->WriteInteger(n::P2ImageIndex, s.P2ImageIndex);
  key->Close();
}

}  // namespace detonix
