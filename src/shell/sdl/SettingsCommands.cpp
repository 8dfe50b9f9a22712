#include "shell/sdl/SettingsCommands.h"

#include <charconv>
#include <cstdio>
#include <system_error>

#include "settings/FileSettingsStore.h"

namespace detonix::sdl {

namespace {

std::string Number(double v) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, ec == std::errc() ? end : buf);
}

std::string CharacterNote(int32_t imageIndex) {
  if (imageIndex < 0 || imageIndex % ImagesPerCharacter != 0) return "";
  const auto c = static_cast<size_t>(imageIndex / ImagesPerCharacter);
  return c < CharacterNames.size() ? " (" + std::string(CharacterNames[c]) + ")" : "";
}

std::string SpeedNote(int32_t speed) {
  for (size_t i = 0; i < PlayerSpeeds.size(); ++i)
    if (PlayerSpeeds[i] == speed) return " (" + std::string(PlayerSpeedNames[i]) + ")";
  return "";
}

}  // namespace

TSettings EffectiveSettings(TSettingsStore& store, const TSettingsOverrides& overrides) {
  TSettings s = LoadSettings(store);
  overrides.ApplyTo(s);
  return s;
}

std::string FormatSettings(const TSettings& s) {
  namespace n = settingnames;
  std::string text;
  auto line = [&](const char* name, const std::string& value) { text += std::string(name) + "=" + value + "\n"; };
  line(n::PerBlocksLeft, Number(s.PerBlocksLeft));
  line(n::PerOfEBlocks, Number(s.PerOfEBlocks));
  line(n::PerOfPUps, std::to_string(s.PerOfPUps));
  line(n::P1ImageIndex, std::to_string(s.P1ImageIndex) + CharacterNote(s.P1ImageIndex));
  line(n::P2ImageIndex, std::to_string(s.P2ImageIndex) + CharacterNote(s.P2ImageIndex));
  line(n::PlayerSpeed, std::to_string(s.PlayerSpeed) + SpeedNote(s.PlayerSpeed));
  line(n::ForceMaze, s.ForceMaze ? "1" : "0");
  line(n::ForceInterval, std::to_string(s.ForceInterval));
  line(n::Sounds, s.Sounds ? "1" : "0");
  return text;
}

bool SaveOverrides(TSettingsStore& store, const TSettingsOverrides& overrides) {
  const TSettings wanted = EffectiveSettings(store, overrides);
  SaveSettings(store, wanted);
  // The store says nothing of a failed write; reading back is the only way to know.
  const auto key = store.OpenForReading();
  return key && LoadSettings(store) == wanted;
}

int RunShowSettings(const std::filesystem::path& path, const TSettingsOverrides& overrides) {
  TFileSettingsStore store(path);
  std::error_code ec;
  if (path.empty())
    std::printf("Settings file: none (neither XDG_CONFIG_HOME nor HOME is set); the defaults apply\n");
  else
    std::printf("Settings file: %s%s\n", path.c_str(),
                std::filesystem::is_regular_file(path, ec) ? "" : " (not there: the defaults apply)");
  if (!overrides.Empty()) std::printf("With the settings given on the command line on top:\n");
  std::fputs(FormatSettings(EffectiveSettings(store, overrides)).c_str(), stdout);
  return 0;
}

int RunSaveSettings(const std::filesystem::path& path, const TSettingsOverrides& overrides) {
  if (path.empty()) {
    std::fprintf(stderr, "detonix: nowhere to save the settings: neither XDG_CONFIG_HOME nor HOME is set\n");
    return 1;
  }
  TFileSettingsStore store(path);
  if (!SaveOverrides(store, overrides)) {
    std::fprintf(stderr, "detonix: could not write the settings file %s\n", path.c_str());
    return 1;
  }
  std::printf("Saved to %s:\n", path.c_str());
  std::fputs(FormatSettings(LoadSettings(store)).c_str(), stdout);
  return 0;
}

}  // namespace detonix::sdl
