// detonix.xml, xscreensaver's settings window for the program, against the settings table.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "shell/sdl/SettingsCommands.h"
#include "shell/sdl/ShellOptions.h"

namespace detonix::sdl {
namespace {

using TAttributes = std::map<std::string, std::string>;

std::string OptionsFile() {
  std::ifstream in(DETONIX_OPTIONS_XML);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every element NAME of TEXT, as its attributes.
std::vector<TAttributes> Elements(const std::string& text, const std::string& name) {
  static const std::regex attribute(R"re(([\w-]+)="([^"]*)")re");
  const std::regex element("<" + name + R"re(\s([^>]*)>)re");
  std::vector<TAttributes> found;
  for (std::sregex_iterator e(text.begin(), text.end(), element), end; e != end; ++e) {
    const std::string inside = (*e)[1];
    TAttributes& a = found.emplace_back();
    for (std::sregex_iterator m(inside.begin(), inside.end(), attribute); m != end; ++m) a[(*m)[1]] = (*m)[2];
  }
  return found;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// What --show-settings says of ROW when the options file passes ARGS.
std::string ShownWith(const std::vector<std::string>& args, const TSettingRow& row) {
  const TParseResult parsed = ParseCommandLine(args, nullptr);
  EXPECT_TRUE(parsed.Ok()) << parsed.Error;
  TSettings s;
  parsed.Options.Overrides.ApplyTo(s);
  std::istringstream lines(FormatSettings(s));
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(std::string(row.Name) + "=", 0) == 0) return line;
  return "";
}

// The row of an option with one dash.
const TSettingRow* RowOfOption(const std::string& option) {
  for (const TSettingRow& row : SettingRows)
    if (row.Option == option) return &row;
  return nullptr;
}

TEST(OptionsFile, EveryControlAgreesWithTheSettingsTable) {
  const std::string text = OptionsFile();
  ASSERT_FALSE(text.empty()) << DETONIX_OPTIONS_XML;
  int controls = 0;

  // A menu is named after its option; each item's label names the value it passes, and the
  // item without a switch (xscreensaver passes nothing for it) must name the default.
  static const std::regex menu(R"re(<select id="([^"]+)">([\s\S]*?)</select>)re");
  for (std::sregex_iterator m(text.begin(), text.end(), menu), end; m != end; ++m, ++controls) {
    const TSettingRow* row = RowOfOption("-" + (*m)[1].str());
    ASSERT_TRUE(row) << "no setting for the menu " << (*m)[1];
    for (const TAttributes& item : Elements((*m)[2], "option")) {
      const std::string label = item.at("_label").substr(item.at("_label").find(": ") + 2);
      const std::string args = item.contains("arg-set") ? item.at("arg-set") : "";
      const std::string shown = ShownWith(Words(args), *row);
      EXPECT_NE(shown.find("(" + label + ")"), std::string::npos)
          << "the menu " << (*m)[1] << " says " << label << " for '" << args << "', which gives " << shown;
    }
  }

  // A check box is off unless its switch is given, so the setting's default must be off.
  for (const TAttributes& box : Elements(text, "boolean")) {
    ++controls;
    const std::vector<std::string> args = Words(box.at("arg-set"));
    const TSettingRow* row = RowOfOption(args.at(0).substr(1));
    ASSERT_TRUE(row) << box.at("arg-set");
    EXPECT_EQ(row->Default, 0) << row->Name;
    EXPECT_EQ(ShownWith(args, *row), std::string(row->Name) + "=1");
  }

  // A spin box offers what the settings windows offer, from the setting's default.
  for (const TAttributes& number : Elements(text, "number")) {
    ++controls;
    const std::vector<std::string> args = Words(number.at("arg"));
    const TSettingRow* row = RowOfOption(args.at(0).substr(1));
    ASSERT_TRUE(row) << number.at("arg");
    const TRange offered = row->Offered.value_or(row->Range);
    EXPECT_EQ(std::stod(number.at("low")), offered.Low) << row->Name;
    EXPECT_EQ(std::stod(number.at("high")), offered.High) << row->Name;
    EXPECT_EQ(std::stod(number.at("default")), row->Default) << row->Name;
    for (const char* v : {"low", "high"})
      EXPECT_EQ(ShownWith({args.at(0), number.at(v)}, *row), std::string(row->Name) + "=" + number.at(v));
  }
  EXPECT_EQ(controls, 6) << "speed, two players, forced maze and its minutes, sound";
}

}  // namespace
}  // namespace detonix::sdl
