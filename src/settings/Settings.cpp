#include "settings/Settings.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <set>
#include <system_error>
#include <type_traits>

#include "platform/TextNumbers.h"

namespace detonix {

namespace {

// What the option would refuse, or the game could not play (players drawn with the pictures of
// two characters), is read as missing, so that the dialog and the game see the default; the caller
// hears of it through REFUSED.
bool Usable(const TSettingRow& row, double v) {
  if (std::holds_alternative<bool TSettings::*>(row.Field)) return true;
  if (row.Names == TValueNames::vnCharacters) {
    const auto i = static_cast<int32_t>(v);
    return i >= 0 && i % ImagesPerCharacter == 0 && i / ImagesPerCharacter < static_cast<int32_t>(CharacterNames.size());
  }
  return row.Range.Contains(v);
}

std::optional<int32_t> ReadAs(const TSettingsKey& key, const std::string& name, int32_t) { return key.ReadInteger(name); }
std::optional<bool> ReadAs(const TSettingsKey& key, const std::string& name, bool) {
  const auto v = key.ReadInteger(name);
  return v ? std::optional<bool>(*v != 0) : std::nullopt;
}
// NaN or infinity would poison every product the maze generator takes of it: not read.
std::optional<double> ReadAs(const TSettingsKey& key, const std::string& name, double) {
  auto v = key.ReadDouble(name);
  if (v && !std::isfinite(*v)) v.reset();
  return v;
}

// ROW's stored value as this release uses it; nothing when it is missing, or passed over, which
// REFUSED hears of.
template <class T>
std::optional<T> Read(const TSettingsKey& key, const TSettingRow& row, std::vector<TRefusedSetting>* refused) {
  const std::string name(row.Name);
  const auto v = ReadAs(key, name, T());
  if (v && Usable(row, static_cast<double>(*v))) return v;
  if (refused && v) refused->push_back({&row, std::is_same_v<T, double> ? NumberText(*v) : std::to_string(*v), false});
  else if (refused && key.ValueExists(name)) refused->push_back({&row, key.StoredText(name), true});
  return std::nullopt;
}

// Bit for bit: a save must not turn -0 into 0.
template <class T>
bool Same(T a, T b) {
  if constexpr (std::is_same_v<T, double>) return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
  else return a == b;
}

void Write(TSettingsKey& key, const TSettingRow& row, double value) { key.WriteDouble(std::string(row.Name), value); }
void Write(TSettingsKey& key, const TSettingRow& row, int32_t value) { key.WriteInteger(std::string(row.Name), value); }
void Write(TSettingsKey& key, const TSettingRow& row, bool value) { key.WriteInteger(std::string(row.Name), value ? 1 : 0); }

// A stored value in a message: one line of at most MaxShown bytes, control characters escaped.
std::string Shown(std::string_view stored) {
  constexpr size_t MaxShown = 40;
  std::string text;
  for (const char c : stored.substr(0, MaxShown)) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r') text += "\\r";
    else if (c == '\t') text += "\\t";
    else if (u >= 0x20 && u != 0x7F) text += c;
    else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", u);
      text += escaped;
    }
  }
  return stored.size() > MaxShown ? text + "..." : text;
}

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
    std::visit([&]<class T>(T TSettings::* field) {
      if (const auto v = Read<T>(key, row, refused)) s.*field = *v;
    }, row.Field);
  return s;
}

std::string RefusedText(const TRefusedSetting& refused) {
  const TSettingRow& row = *refused.Row;
  std::string expected = ExpectedText(row);
  if (std::holds_alternative<bool TSettings::*>(row.Field)) {
    expected = "a whole number, 0 for off";
  } else if (row.Names == TValueNames::vnCharacters) {
    // The store keeps a character as the index of its first picture.
    expected.clear();
    for (size_t i = 0; i < CharacterNames.size(); ++i)
      expected += (i == 0 ? "" : i + 1 < CharacterNames.size() ? ", " : " or ") + std::to_string(i * ImagesPerCharacter);
  }
  return std::string(row.Name) + "=" + Shown(refused.Stored) +
         (refused.Unreadable ? " cannot be read (" : " is out of range (") + expected + "); the default " +
         NumberText(row.Default) + " applies";
}

void SaveSettings(TSettingsStore& store, const TSettings& s, const TSettingsOverrides* given) {
  const auto key = store.OpenForWriting();
  if (!key) return;
  for (const TSettingRow& row : SettingRows)
    std::visit([&]<class T>(T TSettings::* field) {
      std::vector<TRefusedSetting> passedOver;
      const auto stored = Read<T>(*key, row, &passedOver);
      const bool asked = given && given->Get(field).has_value();
      const bool kept = stored ? Same(*stored, s.*field)
                               : !passedOver.empty() && !asked && Same(static_cast<T>(row.Default), s.*field);
      if (!kept) Write(*key, row, s.*field);
    }, row.Field);
  key->Close();
}

TSettings LoadSettingsWarned(TSettingsStore& store, const TSettingsOverrides& overrides) {
  const auto key = store.OpenForReading();
  if (!key) return {};
  const TSettings s = LoadSettingsWarned(*key, overrides);
  key->Close();
  return s;
}

TSettings LoadSettingsWarned(const TSettingsKey& key, const TSettingsOverrides& overrides) {
#ifdef _WIN32
  constexpr std::string_view Where = "the registry's ";
#else
  constexpr std::string_view Where = "the settings file's ";
#endif
  std::vector<TRefusedSetting> refused;
  const TSettings s = LoadSettings(key, &refused);
  for (const TRefusedSetting& r : refused) {
    const bool given = std::visit([&](auto field) { return overrides.Get(field).has_value(); }, r.Row->Field);
    if (!given) WarnOnce(std::string(Where) + RefusedText(r));
  }
  return s;
}

void WarnOnce(const std::string& text) {
  static std::mutex guard;
  static std::set<std::string> said;
  const std::lock_guard lock(guard);
  if (said.insert(text).second) std::fprintf(stderr, "detonix: %s\n", text.c_str());
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
