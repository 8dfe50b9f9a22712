#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Settings.h"

namespace detonix::web {

// The page's settings: options named as the programs' (`speed=200`, `player1=Murvex`, `sound`,
// `no-sound`, `force-maze=5`), with on and off for switches, from the browser's store and from the
// page's address, the address's over the stored ones.

// A whole set of settings is some 200 characters: longer texts are no settings, and are refused
// before anything in them is looked at.
constexpr size_t MaxSettingsText = 8192;

enum class TSettingFrom : uint8_t { sfStored, sfAddress };

// A pair that was not applied; Name is the setting's when it names one.
struct TSettingProblem {
  TSettingFrom From = TSettingFrom::sfStored;
  std::string Name;
  std::string Text;
};

struct TPageSettings {
  TSettingsOverrides Overrides;
  std::optional<uint64_t> Seed;  // the address's `seed`, which is no setting
  std::vector<TSettingProblem> Problems;
  // The stored pairs that were applied, one a line: what the store should hold from now on.
  std::string StoredRead;
};

// TEXT as the store holds it: NAME=VALUE lines. Any byte may be in them, NUL included.
void ReadStoredSettings(std::string_view text, TPageSettings& page);
// QUERY as an address writes it: NAME=VALUE pairs between '&', percent-encoded, '+' for a blank.
void ReadAddressSettings(std::string_view query, TPageSettings& page);

// NAME=VALUE (VALUE empty: the name alone) as a setting, over OVERRIDES: empty when it is taken,
// else why not.
std::string ReadSettingPair(std::string_view name, std::string_view value, TSettingsOverrides& overrides);

// TEXT for a message: blanks and printable characters as they are, control characters escaped,
// and no longer than about LONGEST characters.
std::string Shown(std::string_view text, size_t longest = 40);

// TEXT as a JSON string, quotes included.
std::string JsonString(std::string_view text);

// The form's rows, made from SettingRows at build time as detonix.xml is: a label, a control
// holding what the option takes (its range, whole numbers where the setting is one, the named
// speeds and characters) with the row's default, and a place for a note on it.
std::string SettingsFormRows();

// For the page's form: {"values":{NAME:VALUE...},"problems":[{"from","name","text"}...],"stored":TEXT}.
std::string SettingsStateJson(const TSettings& settings, const TPageSettings& page);

}  // namespace detonix::web
