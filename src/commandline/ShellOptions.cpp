#include "commandline/ShellOptions.h"

#include <string_view>
#include <utility>

#include "board/GameConstants.h"
#include "commandline/SettingsCommands.h"
#include "platform/TextNumbers.h"
#include "settings/NameCompare.h"

namespace detonix::commandline {

namespace {

// What the options that are no setting ask for; the mode follows from all of them together.
struct TRequest {
  TShellOptions& Options;  // the root, the seed and the scale go straight in
  bool Help = false, Version = false, Save = false, Show = false, FullScreen = false, Window = false;
  std::optional<uint64_t> WindowId{};   // -window-id
  std::optional<uint64_t> PreviewId{};  // /p
};

// Where the usage text and the manual page list an option.
enum class TUsagePlace : uint8_t {
  upMode,     // among the modes
  upOption,   // after the settings
  upIgnored,  // in the note on xscreensaver's switches, which are accepted and ignored
};

// One option that is no setting, as the headless tool keeps its own: how it is spelled, its
// argument, its help and what it does.
struct TRunOption {
  // As the usage text lists them. One dash or two mean the same; a slash one is taken in either case.
  std::vector<std::string_view> Spellings;
  std::string_view Arg{};  // none: a switch; in brackets: what may follow it, no value of its own
  std::string Help{};
  TUsagePlace Place = TUsagePlace::upMode;
  // Takes the option's value (empty for a switch): what the value should have been when it is
  // bad, else nothing. None: the option is ignored.
  std::string (*Take)(TRequest& r, const std::string& value) = nullptr;
  bool Unnamed = false;          // also the mode when none is given: listed as "(none)" first
  bool SettingsCommand = false;  // --save-settings and --show-settings go with the settings alone
};

template <bool TRequest::* Flag>
std::string Switch(TRequest& r, const std::string&) {
  r.*Flag = true;
  return "";
}

std::string WindowIdInto(std::optional<uint64_t>& id, const std::string& value) {
  id = ParseWindowId(value);
  return id ? "" : "an X11 window id, decimal or 0x hex";
}

const std::vector<TRunOption>& RunOptions() {
  static const std::vector<TRunOption> options = {
      {.Spellings = {"-window"},
       .Help = "play in a window of " + std::to_string(DefaultWindowWidth) + " by " +
               std::to_string(DefaultWindowHeight) + "; a new game at each new size; Escape or q (Ctrl+Q) ends it",
       .Take = Switch<&TRequest::Window>,
       .Unnamed = true},
      {.Spellings = {"-fullscreen", "-s", "/s"},
       .Help = "cover every monitor, each with a game of its own; any key, button, wheel turn, pointer movement "
               "of more than " + std::to_string(PointerTolerance) +
               " pixels or another window taking the keyboard ends them all",
       .Take = Switch<&TRequest::FullScreen>},
      {.Spellings = {"-root"},
       .Help = "draw into $XSCREENSAVER_WINDOW, or else the root window",
       .Take = [](TRequest& r, const std::string&) { return (r.Options.Root = true, std::string()); }},
      {.Spellings = {"-window-id"},
       .Arg = "ID",
       .Help = "draw into the X11 window ID (decimal or 0x hex)",
       .Take = [](TRequest& r, const std::string& v) { return WindowIdInto(r.WindowId, v); }},
      {.Spellings = {"/p"},
       .Arg = "ID",
       .Help = "the same as a small preview: small cells, no sound",
       .Take = [](TRequest& r, const std::string& v) { return WindowIdInto(r.PreviewId, v); }},
      {.Spellings = {"--save-settings"},
       .Arg = "[opts]",
       .Help = "write the settings given to the settings file and end",
       .Take = Switch<&TRequest::Save>,
       .SettingsCommand = true},
      {.Spellings = {"--show-settings"},
       .Arg = "[opts]",
       .Help = "print the settings in effect (or, with $XSCREENSAVER_WINDOW set, those that play there) and the "
               "file's path and end",
       .Take = Switch<&TRequest::Show>,
       .SettingsCommand = true},
      {.Spellings = {"-h", "--help"}, .Help = "print the modes and options and end", .Take = Switch<&TRequest::Help>},
      {.Spellings = {"--version"}, .Help = "print the version and end", .Take = Switch<&TRequest::Version>},
      {.Spellings = {"-seed"},
       .Arg = "N",
       .Help = "the maze generator's seed, for a repeatable first maze",
       .Place = TUsagePlace::upOption,
       .Take = [](TRequest& r, const std::string& v) {
         r.Options.Seed = ParseNumber<uint64_t>(v);
         return std::string(r.Options.Seed ? "" : "a whole number");
       }},
      {.Spellings = {"-scale"},
       .Arg = "F",
       .Help = "cells of " + std::to_string(NativeCellSize) + " pixels times F (" + NumberText(MinScale) + " to " +
               NumberText(MaxScale) + "; default the display's scale)",
       .Place = TUsagePlace::upOption,
       .Take = [](TRequest& r, const std::string& v) {
         const std::optional<double>& scale = r.Options.Scale = ParseNumber<double>(v);
         const bool ok = scale && *scale >= MinScale && *scale <= MaxScale;
         return ok ? std::string() : "a number from " + NumberText(MinScale) + " to " + NumberText(MaxScale);
       }},
      // Passed by xscreensaver for hacks that care; this one draws the same way regardless.
      {.Spellings = {"-install", "-noinstall", "-mono", "-pair", "-fps", "-no-fps"}, .Place = TUsagePlace::upIgnored},
      {.Spellings = {"-visual"}, .Arg = "X", .Place = TUsagePlace::upIgnored},
  };
  return options;
}

// Two dashes are one, as xscreensaver writes its switches either way.
std::string_view OneDash(std::string_view option) {
  return option.size() > 2 && option.substr(0, 2) == "--" ? option.substr(1) : option;
}

bool SameSpelling(std::string_view given, std::string_view spelling) {
  given = OneDash(given);
  spelling = OneDash(spelling);
  return !spelling.empty() && spelling[0] == '/' ? SameName(given, spelling) : given == spelling;
}

const TRunOption* FindRunOption(std::string_view given) {
  for (const TRunOption& o : RunOptions())
    for (const std::string_view spelling : o.Spellings)
      if (SameSpelling(given, spelling)) return &o;
  return nullptr;
}

bool TakesValue(const TRunOption& o) { return !o.Arg.empty() && o.Arg[0] != '['; }

// The options listed at PLACE, as the usage text shows them.
std::vector<TUsageEntry> Entries(TUsagePlace place) {
  std::vector<TUsageEntry> entries;
  for (const TRunOption& o : RunOptions()) {
    if (o.Place != place) continue;
    std::string options = o.Unnamed ? "(none)" : "";
    for (const std::string_view s : o.Spellings) options += (options.empty() ? "" : ", ") + std::string(s);
    entries.push_back({options + (o.Arg.empty() ? "" : " " + std::string(o.Arg)), o.Help});
  }
  return entries;
}

}  // namespace

std::optional<uint64_t> ParseWindowId(const std::string& text) {
  std::optional<uint64_t> id;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    id = ParseNumber<uint64_t>(text.substr(2), 16);
  else
    id = ParseNumber<uint64_t>(text);
  // X11 resource ids are 29 bits; anything past 32 cannot be a window.
  if (!id || *id == 0 || *id > 0xFFFFFFFFu) return std::nullopt;
  return id;
}

TParseResult ParseCommandLine(const std::vector<std::string>& args, const char* xscreensaverWindow) {
  TParseResult result;
  TShellOptions& o = result.Options;
  TRequest r{.Options = o};
  std::string notSetting;  // the first option given that --save-settings could not store

  auto fail = [&](std::string message) {
    result.Error = std::move(message);
    return result;
  };

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& given = args[i];
    std::string error;
    if (const size_t used = ReadSettingOption(args, i, {}, o.Overrides, error)) {
      i += used - 1;
      continue;
    }
    if (!error.empty()) return fail(error);

    const TRunOption* run = FindRunOption(given);
    if (!run) return fail("unknown option '" + given + "'");
    std::string value;
    if (TakesValue(*run)) {
      if (i + 1 >= args.size()) return fail("missing value for " + given);
      value = args[++i];
    }
    if (!run->SettingsCommand && notSetting.empty()) notSetting = given;
    if (!run->Take) continue;
    if (const std::string expected = run->Take(r, value); !expected.empty())
      return fail("bad value '" + value + "' for " + given + " (" + expected + ")");
  }

  if (r.Help || r.Version) {
    o.Mode = r.Help ? TRunMode::rmHelp : TRunMode::rmVersion;
    return result;
  }
  if (r.Save && r.Show) return fail("--save-settings and --show-settings do not go together");
  // Saving a seed, a scale or a mode as if it were stored would be a silent no.
  if (r.Save && !notSetting.empty())
    return fail("'" + notSetting +
                "' cannot be saved: --save-settings stores only the settings (not -seed, -scale or a mode)");
  if (r.Save || r.Show) {
    o.Mode = r.Save ? TRunMode::rmSaveSettings : TRunMode::rmShowSettings;
    o.UnderXscreensaver = r.Show && xscreensaverWindow && *xscreensaverWindow;
    return result;
  }

  // The variable counts only where no explicit window or mode says otherwise.
  const bool useEnv = !r.PreviewId && !r.WindowId && (o.Root || (!r.FullScreen && !r.Window));
  std::optional<uint64_t> envId;
  if (useEnv && xscreensaverWindow && *xscreensaverWindow) {
    envId = ParseWindowId(xscreensaverWindow);
    if (!envId) return fail(std::string("bad XSCREENSAVER_WINDOW value '") + xscreensaverWindow + "'");
  }
  // An explicit window id wins over --root, which draws into xscreensaver's window when there
  // is one and into the real root window otherwise.
  if (r.PreviewId) {
    o.Mode = TRunMode::rmPreview;
    o.WindowId = r.WindowId ? r.WindowId : r.PreviewId;
  } else if (r.WindowId) {
    o.Mode = TRunMode::rmForeign;
    o.WindowId = r.WindowId;
  } else if (o.Root) {
    o.Mode = TRunMode::rmForeign;
    o.WindowId = envId;
  } else if (r.FullScreen) {
    o.Mode = TRunMode::rmSaver;
  } else if (r.Window) {
    o.Mode = TRunMode::rmWindow;
  } else if (envId) {
    o.Mode = TRunMode::rmForeign;
    o.WindowId = envId;
  }
  o.UnderXscreensaver = o.WindowId && o.WindowId == envId;
  return result;
}

std::vector<TUsageEntry> ModeEntries() { return Entries(TUsagePlace::upMode); }

std::vector<TUsageEntry> SettingEntries() {
  std::vector<TUsageEntry> entries = detonix::SettingEntries({});
  for (TUsageEntry& e : Entries(TUsagePlace::upOption)) entries.push_back(std::move(e));
  return entries;
}

std::string ModesNote() {
  return "With XSCREENSAVER_WINDOW set and no mode given, it draws into that window. In a window it did not "
         "make itself it never ends on input: it ends on SIGTERM or when the window goes away.";
}

std::string SettingsNote() {
  return "Settings for this run: the settings file and then the defaults fill in the rest. In "
         "$XSCREENSAVER_WINDOW the file fills in only what xscreensaver's settings window does not show, " +
         FileOnlySettings() + ".";
}

std::string OptionsNote() {
  std::vector<std::string> ignored;
  for (const TRunOption& o : RunOptions())
    if (o.Place == TUsagePlace::upIgnored)
      for (const std::string_view s : o.Spellings)
        ignored.push_back(std::string(s) + (o.Arg.empty() ? "" : " " + std::string(o.Arg)));
  return "Options may be written with one dash or two. xscreensaver's " + Listed(ignored, "and") +
         " are accepted and ignored.";
}

std::string UsageText() {
  return "usage: detonix [mode] [options]\n\nTwo computer players play a bomb-laying maze game; you watch.\n\nModes:\n" +
         UsageLines(ModeEntries()) + Wrapped(ModesNote(), 2) + "\n" + Wrapped(SettingsNote(), 0) +
         UsageLines(SettingEntries()) + "\n" + Wrapped(OptionsNote(), 0) +
         "\n'man detonix' adds the exit statuses, the environment and examples with saver hosts.\n";
}

}  // namespace detonix::commandline
