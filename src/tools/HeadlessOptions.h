#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/Settings.h"
#include "tools/HeadlessCommands.h"

namespace detonix::headless {

struct TPlayOptions {
  int Width = 1920;
  int Height = 1080;
  int Cell = -1;  // the pictures' own size
  std::optional<uint64_t> Seed;
  double Minutes = 10;
  TSettingsOverrides Settings;  // on top of the user's settings
  std::string Png;
  std::string Frames;
  double Every = 0;
  bool Json = false;
};

struct TMazeOptions {
  std::optional<int> Cols;
  std::optional<int> Rows;
  std::optional<uint64_t> Seed;
  TSettingsOverrides Settings;  // the maze densities, on top of the user's settings
};

struct TSpritesOptions {
  std::string Out;
};

// A command's arguments read: its options, a request for its help, or the usage error to print
// (the command then ends with status 2).
template <class TOptions>
struct TCommandLine {
  TOptions Options;
  bool Help = false;
  std::string Error;
  bool Ok() const { return Error.empty(); }
};

TCommandLine<TPlayOptions> ParsePlayOptions(const TArgs& args);
TCommandLine<TMazeOptions> ParseMazeOptions(const TArgs& args);
TCommandLine<TSpritesOptions> ParseSpritesOptions(const TArgs& args);

// What a usage error prints, as detonix does: "detonix-headless COMMAND: PROBLEM" and a line
// pointing to COMMAND's --help.
std::string UsageError(std::string_view command, std::string_view problem);
// Prints COMMAND's help when asked for, else its usage error when there is one: the status to end
// with then, else nothing.
std::optional<int> HelpOrUsageError(std::string_view command, bool help, const std::string& error);
// What `detonix-headless COMMAND --help` prints, and `detonix-headless --help`.
std::string CommandHelp(std::string_view command);
std::string ToolHelp();

// detonix-headless.6 in roff, from the same tables as the help. VERSION goes into its header.
std::string HeadlessManPage(std::string_view version);

}  // namespace detonix::headless
