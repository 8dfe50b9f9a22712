#include "settings/Settings.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "platform/TextNumbers.h"

namespace detonix {

namespace {

// What the option would refuse, or the game could not play (players drawn with the pictures of
// two characters), is read as missing, so that the dialog, the game and a later save see the
// default; the caller hears of it through REFUSED.
bool Usable(const TSettingRow& row, double v) {
  if (row.Names == TValueNames::vnCharacters) {
    const auto i = static_cast<int32_t>(v);
    return i >= 0 && i % ImagesPerCharacter == 0 && i / ImagesPerCharacter < static_cast<int32_t>(CharacterNames.size());
  }
  return row.Range.Contains(v);
}

template <class T>
void Take(const TSettingRow& row, std::optional<T> v, T& out, std::vector<TRefusedSetting>* refused) {
  if (!v) return;
  if (Usable(row, static_cast<double>(*v))) out = *v;
  else if (refused) refused->push_back({&row, static_cast<double>(*v)});
}

// NaN or infinity would poison every product the maze generator takes of it: read as missing.
void Read(const TSettingsKey& key, const TSettingRow& row, double& out, std::vector<TRefusedSetting>* refused) {
  auto v = key.ReadDouble(std::string(row.Name));
  if (v && !std::isfinite(*v)) v.reset();
  Take(row, v, out, refused);
}

void Read(const TSettingsKey& key, const TSettingRow& row, int32_t& out, std::vector<TRefusedSetting>* refused) {
  Take(row, key.ReadInteger(std::string(row.Name)), out, refused);
}

void Read(const TSettingsKey& key, const TSettingRow& row, bool& out, std::vector<TRefusedSetting>*) {
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

TSettings LoadSettings(TSettingsStore& store, std::vector<TRefusedSetting>* refused) {
  const auto key = store.OpenForReading();
  if (!key) return {};
  const TSettings s = LoadSettings(*key, refused);
  key->Close();
  return s;
}

TSettings LoadSettings(const TSettingsKey& key, std::vector<TRefusedSetting>* refused) {
  TSettings s;
  for (const TSettingRow& row : SettingRows)
    std::visit([&](auto field) { Read(key, row, s.*field, refused); }, row.Field);
  return s;
}

std::string RefusedText(const TRefusedSetting& refused) {
  const TSettingRow& row = *refused.Row;
  std::string expected = ExpectedText(row);
  if (row.Names == TValueNames::vnCharacters) {
    // The store keeps a character as the index of its first picture.
    expected.clear();
    for (size_t i = 0; i < CharacterNames.size(); ++i)
      expected += (i == 0 ? "" : i + 1 < CharacterNames.size() ? ", " : " or ") + std::to_string(i * ImagesPerCharacter);
  }
  return std::string(row.Name) + "=" + NumberText(refused.Value) + " is out of range (" + expected + "); the default " +
         NumberText(row.Default) + " applies";
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
