// Every setting's option, through the command lines of both programs.
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "commandline/ShellOptions.h"
#include "tools/HeadlessOptions.h"

namespace detonix {
namespace {

using TArgs = std::vector<std::string>;

// ROW's options, each with a value it takes that is not the default, in detonix's spelling.
std::vector<TArgs> Uses(const TSettingRow& row) {
  if (std::holds_alternative<bool TSettings::*>(row.Field)) {
    std::vector<TArgs> uses = {{std::string(row.Option)}, {std::string(row.OffOption)}};
    if (row.OptionalValue) uses.push_back({std::string(row.Option), "7"});
    if (!row.Alias.empty()) uses.push_back({std::string(row.Alias)});
    return uses;
  }
  const std::string value =
      row.Names == TValueNames::vnCharacters ? std::string(CharacterNames.back()) : NumberText(row.Range.High);
  std::vector<TArgs> uses = {{std::string(row.Option), value}};
  if (!row.Alias.empty()) uses.push_back({std::string(row.Alias), value});
  return uses;
}

TEST(SettingOptions, BothProgramsTakeEveryOneAlike) {
  const std::string shellHelp = commandline::UsageText(), playHelp = headless::CommandHelp("play");
  for (const TSettingRow& row : SettingRows) {
    EXPECT_NE(shellHelp.find(" " + std::string(row.Option)), std::string::npos) << row.Option;
    EXPECT_NE(playHelp.find(" -" + std::string(row.Option)), std::string::npos) << row.Option;
    for (TArgs args : Uses(row)) {
      const commandline::TParseResult shell = commandline::ParseCommandLine(args, nullptr);
      args[0] = "-" + args[0];
      const auto play = headless::ParsePlayOptions(args);
      ASSERT_TRUE(shell.Ok() && play.Ok()) << args[0] << ": " << shell.Error << play.Error;
      TSettings a;
      TSettings b;
      shell.Options.Overrides.ApplyTo(a);
      play.Options.Settings.ApplyTo(b);
      EXPECT_EQ(a, b) << args[0];
      std::visit([&](auto field) { EXPECT_TRUE(play.Options.Settings.Get(field)) << args[0]; }, row.Field);
      if (row.Maze) {
        args.insert(args.begin(), {"--cols", "9", "--rows", "9"});
        const auto maze = headless::ParseMazeOptions(args);
        ASSERT_TRUE(maze.Ok()) << maze.Error;
        TSettings c;
        maze.Options.Settings.ApplyTo(c);
        EXPECT_EQ(a, c) << args[4];
      }
    }
    // Beyond the range: both refuse it.
    if (!std::holds_alternative<bool TSettings::*>(row.Field) && row.Names != TValueNames::vnCharacters) {
      const std::string tooMuch = NumberText(row.Range.High + 1);
      EXPECT_FALSE(commandline::ParseCommandLine({std::string(row.Option), tooMuch}, nullptr).Ok()) << row.Option;
      EXPECT_FALSE(headless::ParsePlayOptions({"-" + std::string(row.Option), tooMuch}).Ok()) << row.Option;
    }
  }
}

}  // namespace
}  // namespace detonix
