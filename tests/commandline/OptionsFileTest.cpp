// detonix.xml, xscreensaver's settings window for the program, against the settings table.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "commandline/SettingsCommands.h"
#include "commandline/ShellOptions.h"
#include "settings/MemorySettingsStore.h"
#include "support/UnusualSettings.h"

namespace detonix::commandline {
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

// The value --show-settings gives ROW when the options file passes ARGS.
std::string ShownWith(const std::vector<std::string>& args, const TSettingRow& row) {
  const TParseResult parsed = ParseCommandLine(args, nullptr);
  EXPECT_TRUE(parsed.Ok()) << parsed.Error;
  TSettings s;
  parsed.Options.Overrides.ApplyTo(s);
  std::istringstream lines(FormatSettings(s));
  for (std::string option, value; lines >> option >> std::ws && std::getline(lines, value);)
    if (option == row.Option) return value;
  return "";
}

// The row of an option with one dash.
const TSettingRow* RowOfOption(const std::string& option) {
  for (const TSettingRow& row : SettingRows)
    if (row.Option == option) return &row;
  return nullptr;
}

const std::regex& MenuPattern() {
  static const std::regex menu(R"re(<select id="([^"]+)">([\s\S]*?)</select>)re");
  return menu;
}

// The command line xscreensaver's settings window builds from TEXT: the item of each menu whose
// label is in CHOSEN (else the first, which it shows when none is named), each check box's switch
// for on or off (on when its id is in ON), and nothing for a spin box at its default.
std::vector<std::string> WindowCommand(const std::string& text, const std::set<std::string>& chosen,
                                       const std::set<std::string>& on) {
  std::vector<std::string> args = Words(Elements(text, "command").at(0).at("arg"));
  auto add = [&](const std::string& switches) {
    for (const std::string& w : Words(switches)) args.push_back(w);
  };
  for (std::sregex_iterator m(text.begin(), text.end(), MenuPattern()), end; m != end; ++m) {
    const std::vector<TAttributes> items = Elements((*m)[2], "option");
    const TAttributes* item = &items.at(0);
    for (const TAttributes& i : items)
      if (chosen.contains(i.at("_label"))) item = &i;
    add(item->contains("arg-set") ? item->at("arg-set") : "");
  }
  for (const TAttributes& box : Elements(text, "boolean"))
    add(on.contains(box.at("id")) ? box.at("arg-set") : (box.contains("arg-unset") ? box.at("arg-unset") : ""));
  return args;
}

TEST(OptionsFile, EveryControlAgreesWithTheSettingsTable) {
  const std::string text = OptionsFile();
  ASSERT_FALSE(text.empty()) << DETONIX_OPTIONS_XML;
  int controls = 0;

  // A menu is named after its option; each item passes the value its label names, and the first,
  // which the window shows when the command line names none, is the default.
  for (std::sregex_iterator m(text.begin(), text.end(), MenuPattern()), end; m != end; ++m, ++controls) {
    const TSettingRow* row = RowOfOption("-" + (*m)[1].str());
    ASSERT_TRUE(row) << "no setting for the menu " << (*m)[1];
    bool first = true;
    for (const TAttributes& item : Elements((*m)[2], "option")) {
      const std::string label = item.at("_label").substr(item.at("_label").find(": ") + 2);
      ASSERT_TRUE(item.contains("arg-set")) << label << ": every choice is passed";
      for (const std::string& args : first ? std::vector<std::string>{item.at("arg-set"), ""}
                                           : std::vector<std::string>{item.at("arg-set")}) {
        const std::string shown = ShownWith(Words(args), *row);
        EXPECT_TRUE(shown == label || shown.ends_with(" (" + label + ")"))
            << "the menu " << (*m)[1] << " says " << label << " for '" << args << "', which gives " << shown;
      }
      first = false;
    }
  }

  // A check box passes its switch both ways, and the window shows it off by default.
  for (const TAttributes& box : Elements(text, "boolean")) {
    ++controls;
    const std::vector<std::string> args = Words(box.at("arg-set"));
    const TSettingRow* row = RowOfOption(args.at(0).substr(1));
    ASSERT_TRUE(row) << box.at("arg-set");
    EXPECT_EQ(row->Default, 0) << row->Name;
    EXPECT_EQ(ShownWith(args, *row), "on");
    ASSERT_TRUE(box.contains("arg-unset")) << row->Name;
    EXPECT_EQ(ShownWith(Words(box.at("arg-unset")), *row), "off");
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
      EXPECT_EQ(ShownWith({args.at(0), number.at(v)}, *row), number.at(v));
  }
  const auto rows = std::count_if(SettingRows.begin(), SettingRows.end(), [](const TSettingRow& row) {
    return row.Xscreensaver.Kind != TXsControlKind::xcNone;
  });
  EXPECT_EQ(controls, rows) << "a control for each row that has one";
}

TEST(OptionsFile, UnderXscreensaverItsWindowWinsOverTheSettingsFile) {
  TMemorySettingsStore store;
  store.KeyExists = true;
  store.SetInteger("P1ImageIndex", 2 * ImagesPerCharacter);  // Murvex
  store.SetInteger("Sounds", 1);
  store.SetInteger("ForceInterval", 17);
  store.SetDouble("PerBlocksLeft", 0.3);
  const std::vector<std::string> args = WindowCommand(OptionsFile(), {"Player 1: Quorin"}, {});  // sound off
  const TParseResult hack = ParseCommandLine(args, "0x400008");
  ASSERT_TRUE(hack.Ok()) << hack.Error;
  const TSettings s = SettingsForRun(store, hack.Options);
  EXPECT_EQ(s.P1ImageIndex, 0) << "Quorin, as the window says";
  EXPECT_FALSE(s.Sounds);
  EXPECT_EQ(s.ForceInterval, 5) << "the window shows its spin box's default and passes nothing for it";
  EXPECT_EQ(s.PerBlocksLeft, 0.3) << "the window has no control for the densities: the file's";

  // The same command run by hand, into the root window: the file still fills in what it lacks.
  const TSettings byHand = SettingsForRun(store, ParseCommandLine(args, nullptr).Options);
  EXPECT_EQ(byHand.ForceInterval, 17);
  EXPECT_EQ(byHand.P1ImageIndex, 0);
}

// Under xscreensaver a setting its window has no control for comes from the settings file, and
// one it has comes from the window, which here shows its defaults.
TEST(OptionsFile, UnderXscreensaverTheFileGivesWhatTheWindowHasNoControlFor) {
  TMemorySettingsStore store;
  SaveSettings(store, Unusual());
  const TParseResult hack = ParseCommandLine(WindowCommand(OptionsFile(), {}, {}), "0x400008");
  ASSERT_TRUE(hack.Ok()) << hack.Error;
  const TSettings s = SettingsForRun(store, hack.Options);
  for (const TSettingRow& row : SettingRows) {
    const TSettings& from = row.Xscreensaver.Kind == TXsControlKind::xcNone ? Unusual() : TSettings();
    std::visit([&](auto field) { EXPECT_EQ(s.*field, from.*field) << row.Name; }, row.Field);
  }
}

}  // namespace
}  // namespace detonix::commandline
