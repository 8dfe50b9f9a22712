#include "commandline/ShellOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace detonix::commandline {
namespace {

using TArgs = std::vector<std::string>;

TShellOptions Parsed(const TArgs& args, const char* env = nullptr) {
  const TParseResult r = ParseCommandLine(args, env);
  EXPECT_TRUE(r.Ok()) << "the arguments should have been accepted; error: " << r.Error;
  return r.Options;
}

std::string ErrorOf(const TArgs& args, const char* env = nullptr) {
  const TParseResult r = ParseCommandLine(args, env);
  EXPECT_FALSE(r.Ok()) << "the arguments should have been refused";
  return r.Error;
}

TEST(ShellModes, NoArgumentsPlaysInAWindow) {
  const TShellOptions o = Parsed({});
  EXPECT_EQ(o.Mode, TRunMode::rmWindow);
  EXPECT_FALSE(o.WindowId);
  EXPECT_TRUE(o.Overrides.Empty());
}

TEST(ShellModes, SaverSwitchesInEveryCommonSpelling) {
  for (const char* s : {"-fullscreen", "--fullscreen", "/s", "/S", "-s"})
    EXPECT_EQ(Parsed({s}).Mode, TRunMode::rmSaver) << s;
}

TEST(ShellModes, WindowIdDecimalOrHexWithOneDashOrTwo) {
  for (const TArgs& args : {TArgs{"-window-id", "4194312"}, TArgs{"--window-id", "0x400008"},
                            TArgs{"--window-id", "0X400008"}}) {
    const TShellOptions o = Parsed(args);
    EXPECT_EQ(o.Mode, TRunMode::rmForeign) << args[0];
    EXPECT_EQ(o.WindowId, 0x400008u) << args[1];
  }
}

TEST(ShellModes, RootDrawsIntoXscreensaversWindowWhenThereIsOne) {
  const TShellOptions withEnv = Parsed({"--root"}, "0x400008");
  EXPECT_EQ(withEnv.Mode, TRunMode::rmForeign);
  EXPECT_EQ(withEnv.WindowId, 0x400008u);

  const TShellOptions without = Parsed({"-root"});
  EXPECT_EQ(without.Mode, TRunMode::rmForeign);
  EXPECT_FALSE(without.WindowId) << "no window id means the real root window";
  EXPECT_FALSE(Parsed({"-root"}, "").WindowId) << "an empty variable is no window";
}

TEST(ShellModes, AnExplicitWindowIdWinsOverRootAndTheEnvironment) {
  // xscreensaver's settings window appends --window-id to the hack's own command line.
  EXPECT_EQ(Parsed({"--root", "--window-id", "0x600001"}, "0x400008").WindowId, 0x600001u);
  EXPECT_EQ(Parsed({"--window-id", "0x600001", "--root"}, "0x400008").WindowId, 0x600001u);
}

TEST(ShellModes, TheEnvironmentAloneMeansItsWindowButAnExplicitModeWins) {
  const TShellOptions o = Parsed({}, "0x400008");
  EXPECT_EQ(o.Mode, TRunMode::rmForeign);
  EXPECT_EQ(o.WindowId, 0x400008u);
  EXPECT_EQ(Parsed({"-fullscreen"}, "0x400008").Mode, TRunMode::rmSaver);
  EXPECT_EQ(Parsed({"-window"}, "0x400008").Mode, TRunMode::rmWindow);
  EXPECT_FALSE(ParseCommandLine({"-root"}, "garbage").Ok()) << "a window id that is no number must not be guessed at";
  EXPECT_FALSE(ParseCommandLine({}, "garbage").Ok());
  EXPECT_TRUE(ParseCommandLine({"-fullscreen"}, "garbage").Ok()) << "a variable that is not used cannot be wrong";
  EXPECT_TRUE(ParseCommandLine({"-window-id", "7"}, "garbage").Ok());
}

TEST(ShellModes, PreviewTakesTheHostWindowAsTheNextArgument) {
  const TShellOptions o = Parsed({"/p", "12345"});
  EXPECT_EQ(o.Mode, TRunMode::rmPreview);
  EXPECT_EQ(o.WindowId, 12345u);
  EXPECT_EQ(Parsed({"/P", "0x3039"}).WindowId, 12345u);
  ErrorOf({"/p"});
  ErrorOf({"/p", "0"});
  ErrorOf({"/p", "abc"});
  ErrorOf({"/p:12345"});
}

TEST(ShellModes, BadWindowIdsAreRefused) {
  for (const char* id : {"0", "0x", "-5", "12abc", "0x1g", "", "4294967296", "99999999999999999999999"})
    EXPECT_FALSE(ParseWindowId(id)) << id;
  EXPECT_EQ(ParseWindowId("4294967295"), 4294967295u);
  EXPECT_EQ(ParseWindowId("0xffffffff"), 4294967295u);
}

TEST(ShellModes, XscreensaversOwnSwitchesAreTolerated) {
  const TShellOptions o =
      Parsed({"--root", "--install", "-noinstall", "--visual", "default", "--mono", "--pair", "--fps"}, "0x400008");
  EXPECT_EQ(o.Mode, TRunMode::rmForeign);
  EXPECT_TRUE(o.Overrides.Empty()) << "--visual's value must not be read as an option";
  ErrorOf({"--visual"});
}

TEST(ShellModes, HelpAndSettingsCommands) {
  EXPECT_EQ(Parsed({"-h"}).Mode, TRunMode::rmHelp);
  EXPECT_EQ(Parsed({"--help"}).Mode, TRunMode::rmHelp);
  EXPECT_EQ(Parsed({"-fullscreen", "--help"}).Mode, TRunMode::rmHelp);
  EXPECT_EQ(Parsed({"--save-settings", "-speed", "200"}).Mode, TRunMode::rmSaveSettings);
  EXPECT_EQ(Parsed({"--show-settings"}, "0x400008").Mode, TRunMode::rmShowSettings);
  ErrorOf({"--save-settings", "--show-settings"});
}

TEST(ShellModes, UnknownThingsAreUsageErrors) {
  EXPECT_NE(ErrorOf({"-bogus"}).find("-bogus"), std::string::npos);
  ErrorOf({"bogus"});
  ErrorOf({"/c"});
  ErrorOf({"-"});
  ErrorOf({"--"});
  ErrorOf({"-window-id"});
}

TEST(ShellOverrides, EveryOneOfTheSettings) {
  const TShellOptions o =
      Parsed({"-speed", "175", "-player1", "murvex", "--player2", "OLANDRIX", "-sound", "-force-maze", "12",
              "-fixed-blocks", "0.35", "-destructible-blocks", "0.2", "-powerups", "55"});
  TSettings s;
  o.Overrides.ApplyTo(s);
  EXPECT_EQ(s.PlayerSpeed, 175) << "a speed that is none of the five is used as given";
  EXPECT_EQ(s.P1ImageIndex, 12);
  EXPECT_EQ(s.P2ImageIndex, 18);
  EXPECT_TRUE(s.Sounds);
  EXPECT_TRUE(s.ForceMaze);
  EXPECT_EQ(s.ForceInterval, 12);
  EXPECT_EQ(s.PerBlocksLeft, 0.35);
  EXPECT_EQ(s.PerOfEBlocks, 0.2);
  EXPECT_EQ(s.PerOfPUps, 55);
}

TEST(ShellOverrides, OnlyTheGivenOnesChangeTheSettings) {
  TSettings s;
  s.PlayerSpeed = 300;
  s.Sounds = true;
  s.ForceInterval = 9;
  Parsed({"-player2", "Quorin", "-no-sound"}).Overrides.ApplyTo(s);
  EXPECT_EQ(s.PlayerSpeed, 300);
  EXPECT_EQ(s.P2ImageIndex, 0);
  EXPECT_FALSE(s.Sounds);
  EXPECT_EQ(s.ForceInterval, 9);
  EXPECT_FALSE(s.ForceMaze);
}

TEST(ShellOverrides, ForceMazeAloneKeepsTheMinutesAndTakesThemFromTheNextSwitch) {
  // As xscreensaver writes a ticked check box followed by the spin box's value.
  const TSettingsOverrides o = Parsed({"--force-maze", "--force-interval", "30", "--root"}).Overrides;
  EXPECT_EQ(o.Get(&TSettings::ForceMaze), true);
  EXPECT_EQ(o.Get(&TSettings::ForceInterval), 30);
  EXPECT_FALSE(Parsed({"-force-maze"}).Overrides.Get(&TSettings::ForceInterval));
  EXPECT_EQ(Parsed({"-force-maze", "0"}).Overrides.Get(&TSettings::ForceInterval), 0);
  EXPECT_EQ(Parsed({"-force-maze", "-no-force-maze"}).Overrides.Get(&TSettings::ForceMaze), false)
      << "the last one counts";
  ErrorOf({"-force-maze", "1441"});
  ErrorOf({"-force-maze", "5x"});
}

TEST(ShellOverrides, ValuesOutOfRangeOrNotNumbersAreRefused) {
  for (const TArgs& args :
       {TArgs{"-speed", "0"}, TArgs{"-speed", "-5"}, TArgs{"-speed", "fast"}, TArgs{"-speed", "150ms"},
        TArgs{"-speed", "60001"}, TArgs{"-speed"}, TArgs{"-player1", "Nobody"}, TArgs{"-player2", ""},
        TArgs{"-force-interval", "-1"}, TArgs{"-fixed-blocks", "1.5"}, TArgs{"-fixed-blocks", "nan"},
        TArgs{"-fixed-blocks", "inf"}, TArgs{"-destructible-blocks", "-0.1"}, TArgs{"-powerups", "101"},
        TArgs{"-seed", "-1"}, TArgs{"-scale", "4.5"}, TArgs{"-scale", "0.4"}, TArgs{"-scale"}})
    EXPECT_FALSE(ParseCommandLine(args, nullptr).Ok()) << args[0] << " " << (args.size() > 1 ? args[1] : "");
  EXPECT_EQ(Parsed({"-scale", "1.5", "-fullscreen"}).Scale, 1.5);
}

TEST(ShellOverrides, CharacterNamesInAnyCase) {
  EXPECT_EQ(CharacterByName("Quorin"), 0);
  EXPECT_EQ(CharacterByName("tAVVY"), 1);
  EXPECT_EQ(CharacterByName("Olandrix"), 3);
  EXPECT_FALSE(CharacterByName("Olandri"));
  EXPECT_FALSE(CharacterByName(""));
}

}  // namespace
}  // namespace detonix::commandline
