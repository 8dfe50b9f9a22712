#include "shell/web/WebSettings.h"

#include <algorithm>
#include <cstdio>
#include <variant>

#include "platform/TextNumbers.h"
#include "settings/SettingOptions.h"

namespace detonix::web {

namespace {

std::string_view OptionName(const TSettingRow& row) { return row.Option.substr(1); }

// The row NAME is an option of (its own, its older spelling or its off option), by its own name;
// empty when none.
std::string_view RowName(std::string_view name) {
  for (const TSettingRow& row : SettingRows)
    if (name == OptionName(row) || (!row.Alias.empty() && name == row.Alias.substr(1)) ||
        (!row.OffOption.empty() && name == row.OffOption.substr(1)))
      return OptionName(row);
  return {};
}

void Refuse(TPageSettings& page, TSettingFrom from, std::string_view name, std::string text) {
  page.Problems.push_back({from, std::string(RowName(name)), std::move(text)});
}

// Refuses TEXT whole when it is too long to be settings; true when it may be read.
bool Readable(std::string_view text, TSettingFrom from, TPageSettings& page) {
  if (text.size() <= MaxSettingsText) return true;
  Refuse(page, from, {},
         std::string(from == TSettingFrom::sfStored ? "the stored settings" : "the address's settings") + " are " +
             std::to_string(text.size()) + " characters long, more than " + std::to_string(MaxSettingsText) +
             ": none of them is applied");
  return false;
}

// NAME with VALUE (empty: the name alone) from FROM, over PAGE.
void ReadPair(std::string_view name, std::string_view value, TSettingFrom from, TPageSettings& page) {
  if (name.empty() && value.empty()) return;
  const std::string pair = std::string(name) + (value.empty() ? "" : "=" + std::string(value));
  if (name == "seed") {
    // A seed is for one visit: the address's only, and never kept.
    if (from == TSettingFrom::sfStored) return;
    if (const auto seed = ParseNumber<uint64_t>(std::string(value))) {
      page.Seed = seed;
      return;
    }
    Refuse(page, from, name, Shown(pair) + " was not applied: a seed is a whole number from 0 on");
    return;
  }
  const std::string error = ReadSettingPair(name, value, page.Overrides);
  if (error.empty()) {
    if (from == TSettingFrom::sfStored) page.StoredRead += pair + "\n";
    return;
  }
  Refuse(page, from, name, Shown(pair) + " was not applied: " + error);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// As browsers decode a query: %XX to its byte (a '%' without two hex digits stays), '+' a blank.
std::string Decoded(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::string Html(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

std::string Capitalised(std::string_view text) {
  std::string out(text);
  if (!out.empty() && out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 'a' + 'A');
  return out;
}

std::string Attribute(std::string_view name, std::string_view value) {
  return " " + std::string(name) + "=\"" + Html(value) + "\"";
}

// The value as the form and the address write it: on or off, a character's name, else the number.
std::string FormValue(const TSettingRow& row, const TSettings& settings) {
  std::string value;
  std::visit(
      [&]<class T>(T TSettings::* field) {
        const T v = settings.*field;
        if constexpr (std::is_same_v<T, bool>) {
          value = v ? "on" : "off";
        } else if (row.Names == TValueNames::vnCharacters) {
          value = CharacterNames[static_cast<size_t>(v / ImagesPerCharacter) % CharacterNames.size()];
        } else {
          value = NumberText(static_cast<double>(v));
        }
      },
      row.Field);
  return value;
}

std::string Option(std::string_view value, std::string_view text) {
  return "<option" + Attribute("value", value) + ">" + Html(text) + "</option>";
}

// The control of ROW, holding its default; its range and steps are the option's.
std::string Control(const TSettingRow& row) {
  const std::string name(OptionName(row));
  const std::string common = Attribute("id", "s-" + name) + Attribute("name", name) +
                             Attribute("data-default", FormValue(row, TSettings())) +
                             Attribute("aria-describedby", "n-" + name);
  if (std::holds_alternative<bool TSettings::*>(row.Field)) return "<input type=\"checkbox\"" + common + ">";
  if (row.Names == TValueNames::vnCharacters) {
    std::string options;
    for (const std::string_view character : CharacterNames) options += Option(character, character);
    return "<select" + common + ">" + options + "</select>";
  }
  if (row.Names == TValueNames::vnSpeeds) {
    std::string options;
    for (size_t i = 0; i < PlayerSpeeds.size(); ++i)
      options += Option(std::to_string(PlayerSpeeds[i]), std::string(PlayerSpeedNames[i]) + " (" +
                                                              std::to_string(PlayerSpeeds[i]) + " ms)");
    return "<select" + common + ">" + options + "</select>";
  }
  const bool whole = std::holds_alternative<int32_t TSettings::*>(row.Field);
  return "<input type=\"number\" required" + common + Attribute("min", NumberText(row.Range.Low)) +
         Attribute("max", NumberText(row.Range.High)) + Attribute("step", whole ? "1" : "any") + ">";
}

// What the row takes, beside its control.
std::string Hint(const TSettingRow& row) {
  if (row.Field == TSettingField(&TSettings::Sounds))
    return "A saver page plays sound only where the browser lets a page start it without a key or click "
           "(an installed app, or Chromium started with --autoplay-policy=no-user-gesture-required): "
           "a key or click ends the saver.";
  if (std::holds_alternative<bool TSettings::*>(row.Field) || row.Names == TValueNames::vnCharacters) return "";
  if (row.Names == TValueNames::vnSpeeds) return Capitalised(row.Help);
  return Capitalised(ExpectedText(row));
}

}  // namespace

std::string ReadSettingPair(std::string_view name, std::string_view value, TSettingsOverrides& overrides) {
  std::vector<std::string> args = {"--" + std::string(name)};
  if (!value.empty()) args.emplace_back(value);
  TSettingsOverrides taken = overrides;
  std::string error;
  const TSettingOptionsUse use{.Dashes = TDashes::dTwo};
  size_t used = ReadSettingOption(args, 0, use, taken, error);
  // A switch takes on and off words too, as a link would write them.
  if (used == 1 && args.size() == 2) {
    if (value == "on" || value == "true" || value == "1") {
      used = 2;
    } else if (value == "off" || value == "false" || value == "0") {
      taken = overrides;
      used = ReadSettingOption({"--no-" + std::string(name)}, 0, use, taken, error) == 1 ? 2 : 0;
    }
  }
  if (used == args.size()) {
    overrides = taken;
    return {};
  }
  if (error.empty()) return used == 0 ? "no such setting" : "'" + Shown(value) + "' is not a value it takes";
  // The parser quotes the value whole: a long one is cut for the message.
  if (const size_t at = error.find(args.back()); args.size() == 2 && at != std::string::npos)
    error.replace(at, args.back().size(), Shown(args.back()));
  return error;
}

void ReadStoredSettings(std::string_view text, TPageSettings& page) {
  if (!Readable(text, TSettingFrom::sfStored, page)) return;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = text.substr(at, end - at);
    const size_t equals = std::min(line.find('='), line.size());
    ReadPair(line.substr(0, equals), line.substr(std::min(equals + 1, line.size())), TSettingFrom::sfStored, page);
    at = end + 1;
  }
}

void ReadAddressSettings(std::string_view query, TPageSettings& page) {
  if (!Readable(query, TSettingFrom::sfAddress, page)) return;
  size_t at = 0;
  while (at < query.size()) {
    const size_t end = std::min(query.find('&', at), query.size());
    const std::string_view pair = query.substr(at, end - at);
    const size_t equals = std::min(pair.find('='), pair.size());
    // Name and value decoded apart: an encoded '=' or line break is a character of either.
    ReadPair(Decoded(pair.substr(0, equals)), Decoded(pair.substr(std::min(equals + 1, pair.size()))),
             TSettingFrom::sfAddress, page);
    at = end + 1;
  }
}

std::string Shown(std::string_view text, size_t longest) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (out.size() >= longest) return out + "... (" + std::to_string(text.size()) + " characters)";
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string SettingsFormRows() {
  std::string html;
  // What the settings windows show first, then the maze's densities, which only the file has.
  std::vector<const TSettingRow*> rows;
  // The page has no idle watcher of its own: a browser decides when it plays.
  for (const TSettingRow& row : SettingRows)
    if (!row.WatcherOnly) rows.push_back(&row);
  std::stable_partition(rows.begin(), rows.end(), [](const TSettingRow* row) { return !row->FileOnlyUnderXscreensaver(); });
  for (const TSettingRow* r : rows) {
    const TSettingRow& row = *r;
    const std::string name(OptionName(row));
    const std::string label = Capitalised(!row.Xscreensaver.Label.empty() ? row.Xscreensaver.Label : row.Help);
    html += "<div class=\"row\"><label" + Attribute("for", "s-" + name) + ">" + Html(label) + "</label>" +
            Control(row) + "<small>" + Html(Hint(row)) + "</small><span class=\"note\"" +
            Attribute("id", "n-" + name) + "></span></div>\n";
  }
  return html;
}

std::string SettingsStateJson(const TSettings& settings, const TPageSettings& page) {
  std::string json = "{\"values\":{";
  for (const TSettingRow& row : SettingRows)
    json += (json.back() == '{' ? "" : ",") + JsonString(OptionName(row)) + ":" + JsonString(FormValue(row, settings));
  json += "},\"problems\":[";
  for (const TSettingProblem& p : page.Problems)
    json += (json.back() == '[' ? "" : ",") + std::string("{\"from\":") +
            (p.From == TSettingFrom::sfStored ? "\"stored\"" : "\"address\"") + ",\"name\":" + JsonString(p.Name) +
            ",\"text\":" + JsonString(p.Text) + "}";
  return json + "],\"stored\":" + JsonString(page.StoredRead) + "}";
}

}  // namespace detonix::web
