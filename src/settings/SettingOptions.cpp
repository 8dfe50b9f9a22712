#include "settings/SettingOptions.h"

#include <cctype>
#include <variant>

namespace detonix {

namespace {

constexpr size_t HelpColumn = 31;
constexpr size_t LineWidth = 96;

bool IsBoolean(const TSettingRow& row) { return std::holds_alternative<bool TSettings::*>(row.Field); }

// GIVEN with one dash, when DASHES allow it to be an option; else empty.
std::string_view OneDash(std::string_view given, TDashes dashes) {
  const bool two = given.size() > 2 && given.substr(0, 2) == "--";
  if (two) return given.substr(1);
  return dashes == TDashes::dOneOrTwo && given.size() > 1 && given[0] == '-' ? given : std::string_view();
}

const TSettingRow* FindRow(std::string_view option, TSettingOptionsUse use) {
  if (option.empty()) return nullptr;
  for (const TSettingRow& row : SettingRows)
    if ((row.Maze || !use.MazeOnly) &&
        (option == row.Option || option == row.Alias || (!row.OffOption.empty() && option == row.OffOption)))
      return &row;
  return nullptr;
}

std::string DefaultText(const TSettingRow& row) {
  if (row.Names == TValueNames::vnSpeeds) return NumberText(row.Default);
  return UserValueText(row, TSettings());
}

// What a row offers by name: the characters, or the speeds of the settings windows.
std::string Choices(const TSettingRow& row) {
  if (row.Names == TValueNames::vnCharacters) return ExpectedText(row);
  if (row.Names != TValueNames::vnSpeeds) return "";
  std::string text;
  for (size_t i = 0; i < PlayerSpeeds.size(); ++i)
    text += (i ? ", " : "") + std::to_string(PlayerSpeeds[i]) + " " + std::string(PlayerSpeedNames[i]);
  return text;
}

}  // namespace

std::string Listed(const std::vector<std::string>& items, std::string_view last) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i)
    text += (i == 0 ? "" : i + 1 < items.size() ? ", " : " " + std::string(last) + " ") + items[i];
  return text;
}

std::string Spelled(std::string_view option, TDashes dashes) {
  return (dashes == TDashes::dTwo ? "-" : "") + std::string(option);
}

size_t ReadSettingOption(const std::vector<std::string>& args, size_t i, TSettingOptionsUse use,
                         TSettingsOverrides& overrides, std::string& error) {
  const std::string& given = args[i];
  const std::string_view option = OneDash(given, use.Dashes);
  const TSettingRow* row = FindRow(option, use);
  if (!row) return 0;
  const bool hasValue = i + 1 < args.size();
  const std::string value = hasValue ? args[i + 1] : std::string();
  auto bad = [&](const TSettingRow& valueRow) {
    error = "bad value '" + value + "' for " + given + " (" + ExpectedText(valueRow) + ")";
    return size_t{0};
  };
  if (const auto* flag = std::get_if<bool TSettings::*>(&row->Field)) {
    const bool on = option != row->OffOption;
    overrides.Set(*flag, on);
    // A value may follow; xscreensaver's check box passes the switch alone.
    if (on && row->OptionalValue && hasValue && !value.empty() && std::isdigit(static_cast<unsigned char>(value[0]))) {
      const TSettingRow& valueRow = SettingRowOf(row->OptionalValue);
      if (!SetFromText(valueRow, value, overrides, use.Bounded)) return bad(valueRow);
      return 2;
    }
    return 1;
  }
  if (!hasValue) {
    error = "missing value for " + given;
    return 0;
  }
  if (!SetFromText(*row, value, overrides, use.Bounded)) return bad(*row);
  return 2;
}

std::vector<TUsageEntry> SettingEntries(TSettingOptionsUse use) {
  // A line's help is finished once the rows it lists are known: a row without help of its own
  // adds its option and its default to the line before.
  struct TLine {
    TUsageEntry Entry;
    std::string Range;
    std::string Defaults;
  };
  std::vector<TLine> lines;
  for (const TSettingRow& row : SettingRows) {
    if (use.MazeOnly && !row.Maze) continue;
    std::string options = Spelled(row.Option, use.Dashes) + (row.Arg.empty() ? "" : " " + std::string(row.Arg));
    if (IsBoolean(row)) {
      const std::string off = Spelled(row.OffOption, use.Dashes);
      if (row.OffHelp.empty()) {
        lines.push_back({{options + ", " + off, std::string(row.Help)}, "", row.Default != 0 ? "on" : "off"});
      } else {
        lines.push_back({{options, std::string(row.Help) + (row.Default != 0 ? " (default)" : "")}, "", ""});
        lines.push_back({{off, std::string(row.OffHelp) + (row.Default == 0 ? " (default)" : "")}, "", ""});
      }
      continue;
    }
    if (row.Help.empty() && !lines.empty()) {
      lines.back().Entry.Options += ", " + options;
      lines.back().Defaults += ", " + DefaultText(row);
      continue;
    }
    const std::string choices = Choices(row);
    const bool ranged = use.Bounded && row.Names != TValueNames::vnCharacters;
    lines.push_back({{options, std::string(row.Help) + (choices.empty() ? "" : ": " + choices)},
                     ranged ? NumberText(row.Range.Low) + " to " + NumberText(row.Range.High) : "",
                     DefaultText(row)});
  }
  std::vector<TUsageEntry> entries;
  for (TLine& line : lines) {
    if (!line.Defaults.empty())
      line.Entry.Help += " (" + (line.Range.empty() ? "" : line.Range + "; ") + "default " + line.Defaults + ")";
    entries.push_back(std::move(line.Entry));
  }
  return entries;
}

std::string UserValueText(const TSettingRow& row, const TSettings& settings) {
  if (const auto* flag = std::get_if<bool TSettings::*>(&row.Field)) return settings.**flag ? "on" : "off";
  if (const auto* field = std::get_if<double TSettings::*>(&row.Field)) return NumberText(settings.**field);
  const int32_t v = settings.*std::get<int32_t TSettings::*>(row.Field);
  if (row.Names == TValueNames::vnCharacters && v >= 0 && v % ImagesPerCharacter == 0 &&
      static_cast<size_t>(v / ImagesPerCharacter) < CharacterNames.size())
    return std::string(CharacterNames[static_cast<size_t>(v / ImagesPerCharacter)]);
  if (row.Names == TValueNames::vnSpeeds)
    for (size_t i = 0; i < PlayerSpeeds.size(); ++i)
      if (PlayerSpeeds[i] == v) return std::to_string(v) + " (" + std::string(PlayerSpeedNames[i]) + ")";
  return std::to_string(v);
}

std::string Wrapped(std::string_view text, size_t indent) {
  std::string out;
  std::string line(indent, ' ');
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(" \n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    if (line.size() > indent && line.size() + 1 + word.size() > LineWidth) {
      out += line + "\n";
      line.assign(indent, ' ');
    }
    line += (line.size() > indent ? " " : "") + std::string(word);
  }
  return out + line + "\n";
}

std::string UsageLines(const std::vector<TUsageEntry>& entries) {
  std::string text;
  for (const TUsageEntry& e : entries) {
    std::string first = "  " + e.Options;
    first += first.size() + 2 <= HelpColumn ? std::string(HelpColumn - first.size(), ' ') : "  ";
    text += first + Wrapped(e.Help, HelpColumn).substr(HelpColumn);
  }
  return text;
}

std::string Roff(std::string_view text) {
  std::string out;
  bool lineStart = true;
  for (const char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    lineStart = false;
    if (c == '\\')
      out += "\\e";
    else if (c == '-')
      out += "\\-";
    else if (c == '\n')
      out += ' ';
    else
      out += c;
  }
  return out;
}

std::string RoffEntries(const std::vector<TUsageEntry>& entries) {
  std::string out;
  for (const TUsageEntry& e : entries) out += ".TP\n.B " + Roff(e.Options) + "\n" + Roff(e.Help) + "\n";
  return out;
}

}  // namespace detonix
