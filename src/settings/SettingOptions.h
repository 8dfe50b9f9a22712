#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Settings.h"

namespace detonix {

// One entry of a usage text and of a manual page: the options and what they do.
struct TUsageEntry {
  std::string Options;
  std::string Help;
};

// How a program writes its options: detonix with one dash or two, as xscreensaver does;
// detonix-headless with two.
enum class TDashes : uint8_t { dOneOrTwo, dTwo };

// Which of the settings' options a program takes, and how.
struct TSettingOptionsUse {
  TDashes Dashes = TDashes::dOneOrTwo;
  bool MazeOnly = false;  // only what the maze generator reads
  bool Bounded = true;    // values held to the rows' ranges; else taken as the store takes them
};

// ITEMS as a list in a sentence: "A, B and C" with LAST "and".
std::string Listed(const std::vector<std::string>& items, std::string_view last);

// A row's option (written with one dash in the table) as a program using DASHES shows it.
std::string Spelled(std::string_view option, TDashes dashes);

// ARGS[I] as one of the settings' options, with its value: the number of arguments it takes, 0
// when it is none of them. A missing or bad value sets ERROR (and takes nothing).
size_t ReadSettingOption(const std::vector<std::string>& args, size_t i, TSettingOptionsUse use,
                         TSettingsOverrides& overrides, std::string& error);

// The settings' options for a usage text and a manual page, each with its default.
std::vector<TUsageEntry> SettingEntries(TSettingOptionsUse use);

// ROW's value in SETTINGS as a user writes it: a character's name, a speed with its name, on or
// off, else the number.
std::string UserValueText(const TSettingRow& row, const TSettings& settings);

// Usage lines: the options, and the help from column 31 on, wrapped.
std::string UsageLines(const std::vector<TUsageEntry>& entries);
// TEXT wrapped into lines of at most 96 characters, each indented by INDENT blanks.
std::string Wrapped(std::string_view text, size_t indent);

// Text for roff: backslashes and dashes escaped, line breaks joined, no line that roff would take
// for a request.
std::string Roff(std::string_view text);
// The entries as a roff list.
std::string RoffEntries(const std::vector<TUsageEntry>& entries);

}  // namespace detonix
