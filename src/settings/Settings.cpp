#include "settings/Settings.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "platform/TextNumbers.h"

namespace detonix {

namespace {

// NaN or infinity would poison every product the maze generator takes of it.
void Read(const TSettingsKey& key, const TSettingRow& row, double& out) {
  if (const auto v = key.ReadDouble(std::string(row.Name)); v && std::isfinite(*v)) out = *v;
}

// What the dialog could not show and the game could not play (players that never move, or drawn
// with the pictures of two characters) is read as missing, so both see the default.
bool Usable(const TSettingRow& row, int32_t v) {
  if (row.Names == TValueNames::vnCharacters)
    return v >= 0 && v % ImagesPerCharacter == 0 && v / ImagesPerCharacter < static_cast<int32_t>(CharacterNames.size());
  return !row.StoredInRange || row.Range.Contains(v);
}

void Read(const TSettingsKey& key, const TSettingRow& row, int32_t& out) {
  if (const auto v = key.ReadInteger(std::string(row.Name)); v && Usable(row, *v)) out = *v;
}

void Read(const TSettingsKey& key, const TSettingRow& row, bool& out) {
  if (const auto v = key.ReadInteger(std::string(row.Name))) out = *v != 0;
}

void Write(TSettingsKey& key, const TSettingRow& row, double value) { key.WriteDouble(std::string(row.Name), value); }
void Write(TSettingsKey& key, const TSettingRow& row, int32_t value) { key.WriteInteger(std::string(row.Name), value); }
void Write(TSettingsKey& key, const TSettingRow& row, bool value) { key.WriteInteger(std::string(row.Name), value ? 1 : 0); }

std::string Lower(std::string_view s) {
  std::string lower(s);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

}  // namespace

TSettings LoadSettings(TSettingsStore& store) {
  const auto key = store.OpenForReading();
  if (!key) return {};
  const TSettings s = LoadSettings(*key);
  key->Close();
  return s;
}

TSettings LoadSettings(const TSettingsKey& key) {
  TSettings s;
  for (const TSettingRow& row : SettingRows) std::visit([&](auto field) { Read(key, row, s.*field); }, row.Field);
  return s;
}

void SaveSettings(TSettingsStore& store, const TSettings& s) {
  const auto key = store.OpenForWriting();
  if (!key) return;
  for (const TSettingRow& row : SettingRows) std::visit([&](auto field) { Write(*key, row, s.*field); }, row.Field);
  key->Close();
}

void TSettingsOverrides::ApplyTo(TSettings& settings) const {
  for (size_t i = 0; i < SettingRows.size(); ++i)
    if (FGiven[i]) std::visit([&](auto field) { settings.*field = FValues.*field; }, SettingRows[i].Field);
}

bool TSettingsOverrides::Empty() const {
  for (const bool given : FGiven)
    if (given) return false;
  return true;
}

std::optional<int> CharacterByName(std::string_view name) {
  const std::string wanted = Lower(name);
  for (size_t i = 0; i < CharacterNames.size(); ++i)
    if (Lower(CharacterNames[i]) == wanted) return static_cast<int>(i);
  return std::nullopt;
}

bool SetFromText(const TSettingRow& row, const std::string& text, TSettingsOverrides& overrides, bool bounded) {
  const auto inRange = [&](auto v) { return v && (!bounded || row.Range.Contains(static_cast<double>(*v))); };
  if (const auto* field = std::get_if<double TSettings::*>(&row.Field)) {
    const auto v = ParseNumber<double>(text);
    if (!inRange(v)) return false;
    overrides.Set(*field, *v);
    return true;
  }
  if (const auto* field = std::get_if<int32_t TSettings::*>(&row.Field)) {
    if (row.Names == TValueNames::vnCharacters) {
      const auto c = CharacterByName(text);
      if (!c) return false;
      overrides.Set(*field, *c * ImagesPerCharacter);
      return true;
    }
    const auto v = ParseNumber<int32_t>(text);
    if (!inRange(v)) return false;
    overrides.Set(*field, *v);
    return true;
  }
  return false;
}

std::string ExpectedText(const TSettingRow& row) {
  if (row.Names == TValueNames::vnCharacters) {
    std::string names(CharacterNames.front());
    for (size_t i = 1; i < CharacterNames.size(); ++i)
      names += (i + 1 < CharacterNames.size() ? ", " : " or ") + std::string(CharacterNames[i]);
    return names;
  }
  return std::string(row.Unit) + ", " + NumberText(row.Range.Low) + " to " + NumberText(row.Range.High);
}

std::string NumberText(double value) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, ec == std::errc() ? end : buf);
}

}  // namespace detonix
