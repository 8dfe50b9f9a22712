#include "tools/HeadlessOptions.h"

#include <array>
#include <cstdio>
#include <span>
#include <vector>

#include "engine/DetonixSim.h"
#include "platform/TextNumbers.h"
#include "settings/SettingOptions.h"

namespace detonix::headless {

namespace {

// Far beyond any screen; keeps the maze's grids and walk within reason.
constexpr int MaxMazeSide = 4096;
// --every: from one millisecond to the longest run.
constexpr double MinEverySeconds = 0.001;
constexpr double MaxEverySeconds = 1e6 * 60;

// One option of a command other than the settings'.
template <class TOptions>
struct TRunOption {
  std::string_view Option;
  std::string_view Arg;  // none: a switch, which gets an empty value
  std::string_view Help;
  bool (*Set)(TOptions& o, const std::string& value);  // false: a bad value
  std::string (*Shown)(const TOptions& o) = nullptr;    // the value as its default is shown
  bool Name = false;                                    // a file's or folder's name
};

template <class T>
bool Within(const std::string& text, T low, T high, T& out) {
  const auto v = ParseNumber<T>(text);
  if (!v || *v < low || *v > high) return false;
  out = *v;
  return true;
}

template <class T>
bool Into(const std::string& text, T low, T high, std::optional<T>& out) {
  T v{};
  if (!Within(text, low, high, v)) return false;
  out = v;
  return true;
}

bool SeedInto(const std::string& text, std::optional<uint64_t>& out) {
  out = ParseNumber<uint64_t>(text);
  return out.has_value();
}

const std::array<TRunOption<TPlayOptions>, 9> PlayOptions = {{
    {"--width", "W", "the board's width in pixels",
     [](TPlayOptions& o, const std::string& v) { return Within(v, 1, MaxSurfaceSide, o.Width); },
     [](const TPlayOptions& o) { return std::to_string(o.Width); }},
    {"--height", "H", "the board's height in pixels",
     [](TPlayOptions& o, const std::string& v) { return Within(v, 1, MaxSurfaceSide, o.Height); },
     [](const TPlayOptions& o) { return std::to_string(o.Height); }},
    {"--cell", "N", "cells of N pixels, the pictures rescaled as the preview does; else the pictures' own 30",
     [](TPlayOptions& o, const std::string& v) { return Within(v, 1, MaxCellSize, o.Cell); }},
    {"--seed", "S", "the maze generator's seed: the same seed, settings and board give the same games",
     [](TPlayOptions& o, const std::string& v) { return SeedInto(v, o.Seed); }},
    {"--minutes", "M", "virtual minutes to play",
     [](TPlayOptions& o, const std::string& v) { return Within(v, 0.0, 1e6, o.Minutes); },
     [](const TPlayOptions& o) { return NumberText(o.Minutes); }},
    {"--png", "FILE", "save the board as it looks at the end",
     [](TPlayOptions& o, const std::string& v) { return (o.Png = v, true); }, nullptr, true},
    {"--frames", "DIR", "save a picture of the board into DIR every --every SECONDS",
     [](TPlayOptions& o, const std::string& v) { return (o.Frames = v, true); }, nullptr, true},
    {"--every", "SECONDS", "virtual seconds between two frames",
     [](TPlayOptions& o, const std::string& v) { return Within(v, MinEverySeconds, MaxEverySeconds, o.Every); }},
    {"--json", "", "one JSON object per game, and a last one with \"summary\":true, instead of text lines",
     [](TPlayOptions& o, const std::string&) { return (o.Json = true); }},
}};

const std::array<TRunOption<TMazeOptions>, 3> MazeOptions = {{
    {"--cols", "C", "columns (required)",
     [](TMazeOptions& o, const std::string& v) { return Into(v, 1, MaxMazeSide, o.Cols); }},
    {"--rows", "R", "rows (required)",
     [](TMazeOptions& o, const std::string& v) { return Into(v, 1, MaxMazeSide, o.Rows); }},
    {"--seed", "S", "the maze generator's seed",
     [](TMazeOptions& o, const std::string& v) { return SeedInto(v, o.Seed); }},
}};

const std::array<TRunOption<TSpritesOptions>, 1> SpritesOptions = {{
    {"--out", "FILE.png", "where the sheet goes (required)",
     [](TSpritesOptions& o, const std::string& v) { return (o.Out = v, true); }, nullptr, true},
}};

struct TCommandText {
  std::string_view Name;
  std::string_view Synopsis;  // after the command's name
  std::string_view Brief;
  std::string_view Description;
};

constexpr std::array<TCommandText, 3> Commands = {{
    {"play", "[options]", "plays games and prints their statistics",
     "Plays games on a virtual clock, as fast as the machine allows, and prints one line per game and a "
     "summary. A message the game needed (a maze that could not be made) is printed and the run ends with "
     "status 1; pictures it cannot write are found out before it plays."},
    {"maze", "--cols C --rows R [options]", "prints one generated maze",
     "Prints one generated maze: # fixed block, . floor, + destructible block, * one hiding a power-up, 1 and "
     "2 the start cells, then a summary line. It takes the maze densities alone of the settings, and takes "
     "them on its command line without bounds (from the settings file only within the options' ranges)."},
    {"sprites", "--out FILE.png", "draws every picture of the game on one sheet",
     "Draws every picture of the game on one sheet, at 30 pixels and rescaled to 10."},
}};

constexpr std::string_view ToolDescription =
    "detonix-headless runs the engine of detonix with no window: it plays games as fast as the machine allows "
    "and prints their statistics, prints generated mazes and draws the game's pictures. It is for tests, "
    "benchmarks and the curious.";

constexpr TSettingOptionsUse PlaySettings{.Dashes = TDashes::dTwo};
constexpr TSettingOptionsUse MazeSettings{.Dashes = TDashes::dTwo, .MazeOnly = true, .Bounded = false};

std::string SettingsNote() {
  return "Settings: the settings file ($XDG_CONFIG_HOME/detonix/detonix.conf, else "
         "~/.config/detonix/detonix.conf, as detonix --save-settings writes it) and then the defaults fill in "
         "what the command line does not give. A value in the file that the option would refuse, or that cannot "
         "be read, is said on standard error, as detonix says it, and the default applies.";
}

// The older spellings of the settings' options, which stay for the scripts that use them.
std::string AliasNote() {
  std::vector<std::string> olds, news;
  for (const TSettingRow& row : SettingRows) {
    if (row.Alias.empty()) continue;
    olds.push_back(Spelled(row.Alias, TDashes::dTwo));
    news.push_back(Spelled(row.Option, TDashes::dTwo));
  }
  return Listed(olds, "and") + (olds.size() > 1 ? " are older spellings of " : " is an older spelling of ") +
         Listed(news, "and") + ", in that order.";
}

template <class TOptions>
std::vector<TUsageEntry> Entries(std::span<const TRunOption<TOptions>> table) {
  std::vector<TUsageEntry> entries;
  const TOptions defaults{};
  for (const TRunOption<TOptions>& o : table)
    entries.push_back({std::string(o.Option) + (o.Arg.empty() ? "" : " " + std::string(o.Arg)),
                       std::string(o.Help) + (o.Shown ? " (default " + o.Shown(defaults) + ")" : "")});
  entries.push_back({"-h, --help", "print this and end"});
  return entries;
}

template <class TOptions>
TCommandLine<TOptions> Parse(const TArgs& args, std::span<const TRunOption<TOptions>> table,
                             TSettingsOverrides TOptions::* settings, TSettingOptionsUse use) {
  TCommandLine<TOptions> r;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& given = args[i];
    if (given == "--help" || given == "-h") {
      r.Help = true;
      return r;
    }
    if (settings) {
      if (const size_t used = ReadSettingOption(args, i, use, r.Options.*settings, r.Error)) {
        i += used - 1;
        continue;
      }
      if (!r.Ok()) return r;
    }
    const TRunOption<TOptions>* option = nullptr;
    for (const TRunOption<TOptions>& o : table)
      if (o.Option == given) option = &o;
    if (!option) {
      r.Error = "unknown option '" + given + "'";
      return r;
    }
    if (!option->Arg.empty() && i + 1 >= args.size()) {
      r.Error = "missing value for " + given;
      return r;
    }
    const std::string value = option->Arg.empty() ? std::string() : args[++i];
    // A name that begins with - is most likely the next option, the name itself left out.
    if (option->Name && value.starts_with('-')) {
      r.Error = "bad value '" + value + "' for " + given + ": it looks like an option (write ./" + value +
                " for a name that begins with -)";
      return r;
    }
    if (!option->Set(r.Options, value)) {
      r.Error = "bad value '" + value + "' for " + given;
      return r;
    }
  }
  return r;
}

const TCommandText* FindCommand(std::string_view name) {
  for (const TCommandText& c : Commands)
    if (c.Name == name) return &c;
  return nullptr;
}

std::vector<TUsageEntry> CommandEntries(std::string_view name) {
  if (name == "play") return Entries<TPlayOptions>(PlayOptions);
  if (name == "maze") return Entries<TMazeOptions>(MazeOptions);
  return Entries<TSpritesOptions>(SpritesOptions);
}

// The settings a command takes: none for sprites.
std::optional<TSettingOptionsUse> CommandSettings(std::string_view name) {
  if (name == "play") return PlaySettings;
  if (name == "maze") return MazeSettings;
  return std::nullopt;
}

}  // namespace

TCommandLine<TPlayOptions> ParsePlayOptions(const TArgs& args) {
  auto r = Parse<TPlayOptions>(args, PlayOptions, &TPlayOptions::Settings, PlaySettings);
  if (r.Ok() && !r.Help && !r.Options.Frames.empty() && r.Options.Every <= 0) r.Error = "--frames needs --every SECONDS";
  return r;
}

TCommandLine<TMazeOptions> ParseMazeOptions(const TArgs& args) {
  auto r = Parse<TMazeOptions>(args, MazeOptions, &TMazeOptions::Settings, MazeSettings);
  if (r.Ok() && !r.Help && (!r.Options.Cols || !r.Options.Rows)) r.Error = "--cols and --rows are required";
  return r;
}

TCommandLine<TSpritesOptions> ParseSpritesOptions(const TArgs& args) {
  auto r = Parse<TSpritesOptions>(args, SpritesOptions, nullptr, {});
  if (r.Ok() && !r.Help && r.Options.Out.empty()) r.Error = "--out is required";
  return r;
}

std::string UsageError(std::string_view command, std::string_view problem) {
  const std::string program = "detonix-headless " + std::string(command);
  return program + ": " + std::string(problem) + "\nTry '" + program + " --help'.";
}

std::optional<int> HelpOrUsageError(std::string_view command, bool help, const std::string& error) {
  if (help) {
    std::fputs(CommandHelp(command).c_str(), stdout);
    return 0;
  }
  if (error.empty()) return std::nullopt;
  std::fprintf(stderr, "%s\n", UsageError(command, error).c_str());
  return 2;
}

std::string CommandHelp(std::string_view command) {
  const TCommandText* c = FindCommand(command);
  if (!c) return ToolHelp();
  std::string text = "usage: detonix-headless " + std::string(c->Name) + " " + std::string(c->Synopsis) + "\n\n" +
                     Wrapped(c->Description, 0) + "\nOptions:\n" + UsageLines(CommandEntries(command));
  if (const auto use = CommandSettings(command))
    text += "\n" + Wrapped(SettingsNote(), 0) + UsageLines(SettingEntries(*use)) + "\n" + Wrapped(AliasNote(), 0);
  return text;
}

std::string ToolHelp() {
  std::vector<TUsageEntry> commands;
  for (const TCommandText& c : Commands)
    commands.push_back({std::string(c.Name) + " " + std::string(c.Synopsis), std::string(c.Brief)});
  commands.push_back({"--version", "print the version and end"});
  return "usage: detonix-headless COMMAND [options]\n\n" + Wrapped(ToolDescription, 0) + "\nCommands:\n" +
         UsageLines(commands) + "\n'detonix-headless COMMAND --help' lists a command's options.\n";
}

std::string HeadlessManPage(std::string_view version) {
  std::string page = ".TH DETONIX\\-HEADLESS 6 \"\" \"Detonix " + Roff(version) + "\" \"Games\"\n";
  page += ".SH NAME\ndetonix\\-headless \\- plays Detonix games on a virtual clock, dumps mazes and draws its pictures\n";
  page += ".SH SYNOPSIS\n";
  for (const TCommandText& c : Commands)
    page += ".B detonix\\-headless " + Roff(c.Name) + "\n" + Roff(c.Synopsis) + "\n.br\n";
  page += ".B detonix\\-headless \\-\\-version\n.SH DESCRIPTION\n" + Roff(ToolDescription) + "\n.SH COMMANDS\n";
  for (const TCommandText& c : Commands)
    page += ".SS " + Roff(c.Name) + "\n" + Roff(c.Description) + "\n" + RoffEntries(CommandEntries(c.Name));
  page += ".SH SETTINGS\n" + Roff(SettingsNote()) + "\n" + RoffEntries(SettingEntries(PlaySettings)) + ".PP\n" +
          Roff(AliasNote()) + "\n";
  page += R"(.SH EXIT STATUS
0 when the command did its work, 1 when it failed (a maze that cannot be made, a file that cannot
be written), 2 on a usage error.
.SH FILES
.I $XDG_CONFIG_HOME/detonix/detonix.conf
(else
.IR ~/.config/detonix/detonix.conf ):
the settings that
.B play
and
.B maze
start from, as
.BR detonix (6)
saves them.
.SH SEE ALSO
.BR detonix (6)
)";
  return page;
}

}  // namespace detonix::headless
