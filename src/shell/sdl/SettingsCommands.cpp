#include "shell/sdl/SettingsCommands.h"

#include <cstdio>

#include "settings/FileSettingsStore.h"

namespace detonix::sdl {

namespace {

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

std::string ValueText(const TSettingRow&, double value) { return NumberText(value); }
std::string ValueText(const TSettingRow&, bool value) { return value ? "1" : "0"; }
std::string ValueText(const TSettingRow& row, int32_t value) {
  const std::string number = std::to_string(value);
  switch (row.Names) {
    case TValueNames::vnCharacters: return number + CharacterNote(value);
    case TValueNames::vnSpeeds: return number + SpeedNote(value);
    default: return number;
  }
}

}  // namespace

TSettings EffectiveSettings(TSettingsStore& store, const TSettingsOverrides& overrides) {
  TSettings s = LoadSettings(store);
  overrides.ApplyTo(s);
  return s;
}

TSettings SettingsForRun(TSettingsStore& store, const TShellOptions& options) {
  if (!options.UnderXscreensaver) return EffectiveSettings(store, options.Overrides);
  const TSettings stored = LoadSettings(store);
  TSettings s;
  s.PerBlocksLeft = stored.PerBlocksLeft;
  s.PerOfEBlocks = stored.PerOfEBlocks;
  s.PerOfPUps = stored.PerOfPUps;
  options.Overrides.ApplyTo(s);
  return s;
}

std::string FormatSettings(const TSettings& s) {
  std::string text;
  for (const TSettingRow& row : SettingRows)
    text += std::string(row.Name) + "=" + std::visit([&](auto field) { return ValueText(row, s.*field); }, row.Field) + "\n";
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
  if (path.empty()) {
    std::printf("Settings file: none (neither XDG_CONFIG_HOME nor HOME is set); the defaults apply\n");
  } else if (!std::filesystem::exists(path, ec)) {
    std::printf("Settings file: %s (not there: the defaults apply)\n", path.c_str());
  } else {
    // There but unreadable (no permission, a folder, far too large): the user must hear of it.
    const bool readable = store.OpenForReading() != nullptr;
    if (!readable) std::fprintf(stderr, "detonix: could not read the settings file %s\n", path.c_str());
    std::printf("Settings file: %s%s\n", path.c_str(), readable ? "" : " (could not be read: the defaults apply)");
  }
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
  // Another process saving at the same moment waits for this one, so each "Saved" holds.
  const TSettingsFileLock lock(path);
  if (!lock.Held() || !SaveOverrides(store, overrides)) {
    std::fprintf(stderr, "detonix: could not write the settings file %s\n", path.c_str());
    return 1;
  }
  std::printf("Saved to %s:\n", path.c_str());
  std::fputs(FormatSettings(LoadSettings(store)).c_str(), stdout);
  return 0;
}

}  // namespace detonix::sdl
