#include "commandline/ShellOptions.h"

#include <array>
#include <string_view>
#include <utility>

#include "board/GameConstants.h"
#include "platform/TextNumbers.h"

namespace detonix::commandline {

namespace {

// What the options that are no setting do.
enum class TRunSwitch : uint8_t {
  rsHelp,
  rsVersion,
  rsFullScreen,
  rsWindow,
  rsRoot,
  rsSave,
  rsShow,
  rsIgnore,
  // These take a value.
  rsIgnoreValue,
  rsWindowId,
  rsPreview,
  rsSeed,
  rsScale,
};

struct TRunOption {
  std::string_view Option;
  TRunSwitch Switch;
};

constexpr std::array<TRunOption, 23> RunOptions = {{
    {"-h", TRunSwitch::rsHelp},
    {"-help", TRunSwitch::rsHelp},
    {"-version", TRunSwitch::rsVersion},
    {"-fullscreen", TRunSwitch::rsFullScreen},
    {"/s", TRunSwitch::rsFullScreen},
    {"/S", TRunSwitch::rsFullScreen},
    {"-s", TRunSwitch::rsFullScreen},
    {"-window", TRunSwitch::rsWindow},
    {"-root", TRunSwitch::rsRoot},
    {"-save-settings", TRunSwitch::rsSave},
    {"-show-settings", TRunSwitch::rsShow},
    // Passed by xscreensaver for hacks that care; this one draws the same way regardless.
    {"-install", TRunSwitch::rsIgnore},
    {"-noinstall", TRunSwitch::rsIgnore},
    {"-mono", TRunSwitch::rsIgnore},
    {"-pair", TRunSwitch::rsIgnore},
    {"-fps", TRunSwitch::rsIgnore},
    {"-no-fps", TRunSwitch::rsIgnore},
    {"-visual", TRunSwitch::rsIgnoreValue},
    {"-window-id", TRunSwitch::rsWindowId},
    {"/p", TRunSwitch::rsPreview},
    {"/P", TRunSwitch::rsPreview},
    {"-seed", TRunSwitch::rsSeed},
    {"-scale", TRunSwitch::rsScale},
}};

const TRunOption* FindRunOption(std::string_view option) {
  for (const TRunOption& o : RunOptions)
    if (o.Option == option) return &o;
  return nullptr;
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
  bool help = false, version = false, save = false, show = false, fullScreen = false, window = false, preview = false;
  std::optional<uint64_t> windowIdOption;
  std::optional<uint64_t> previewId;
  std::string notSetting;  // the first option given that --save-settings could not store

  auto fail = [&](std::string message) {
    result.Error = std::move(message);
    return result;
  };

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& given = args[i];
    // xscreensaver writes its switches with one dash or two; both mean the same here.
    const std::string option = given.rfind("--", 0) == 0 && given.size() > 2 ? given.substr(1) : given;
    const bool hasValue = i + 1 < args.size();
    const std::string value = hasValue ? args[i + 1] : std::string();
    auto bad = [&](const std::string& what) { return fail("bad value '" + value + "' for " + given + " (" + what + ")"); };

    std::string error;
    if (const size_t used = ReadSettingOption(args, i, {}, o.Overrides, error)) {
      i += used - 1;
      continue;
    }
    if (!error.empty()) return fail(error);

    const TRunOption* run = FindRunOption(option);
    if (!run) return fail("unknown option '" + given + "'");
    if (run->Switch >= TRunSwitch::rsIgnoreValue) {
      if (!hasValue) return fail("missing value for " + given);
      ++i;
    }
    const bool command = run->Switch == TRunSwitch::rsSave || run->Switch == TRunSwitch::rsShow;
    if (!command && notSetting.empty()) notSetting = given;
    switch (run->Switch) {
      case TRunSwitch::rsHelp: help = true; break;
      case TRunSwitch::rsVersion: version = true; break;
      case TRunSwitch::rsFullScreen: fullScreen = true; break;
      case TRunSwitch::rsWindow: window = true; break;
      case TRunSwitch::rsRoot: o.Root = true; break;
      case TRunSwitch::rsSave: save = true; break;
      case TRunSwitch::rsShow: show = true; break;
      case TRunSwitch::rsIgnore:
      case TRunSwitch::rsIgnoreValue: break;
      case TRunSwitch::rsWindowId:
      case TRunSwitch::rsPreview: {
        const auto id = ParseWindowId(value);
        if (!id) return bad("an X11 window id, decimal or 0x hex");
        if (run->Switch == TRunSwitch::rsWindowId) {
          windowIdOption = id;
        } else {
          preview = true;
          previewId = id;
        }
        break;
      }
      case TRunSwitch::rsSeed:
        if (!(o.Seed = ParseNumber<uint64_t>(value))) return bad("a whole number");
        break;
      case TRunSwitch::rsScale:
        o.Scale = ParseNumber<double>(value);
        if (!o.Scale || *o.Scale < MinScale || *o.Scale > MaxScale)
          return bad("a number from " + NumberText(MinScale) + " to " + NumberText(MaxScale));
        break;
    }
  }

  if (help || version) {
    o.Mode = help ? TRunMode::rmHelp : TRunMode::rmVersion;
    return result;
  }
  if (save && show) return fail("--save-settings and --show-settings do not go together");
  // Saving a seed, a scale or a mode as if it were stored would be a silent no.
  if (save && !notSetting.empty())
    return fail("'" + notSetting +
                "' cannot be saved: --save-settings stores only the settings (not -seed, -scale or a mode)");
  if (save || show) {
    o.Mode = save ? TRunMode::rmSaveSettings : TRunMode::rmShowSettings;
    o.UnderXscreensaver = show && xscreensaverWindow && *xscreensaverWindow;
    return result;
  }

  // The variable counts only where no explicit window or mode says otherwise.
  const bool useEnv = !preview && !windowIdOption && (o.Root || (!fullScreen && !window));
  std::optional<uint64_t> envId;
  if (useEnv && xscreensaverWindow && *xscreensaverWindow) {
    envId = ParseWindowId(xscreensaverWindow);
    if (!envId) return fail(std::string("bad XSCREENSAVER_WINDOW value '") + xscreensaverWindow + "'");
  }
  // An explicit window id wins over --root, which draws into xscreensaver's window when there
  // is one and into the real root window otherwise.
  if (preview) {
    o.Mode = TRunMode::rmPreview;
    o.WindowId = windowIdOption ? windowIdOption : previewId;
  } else if (windowIdOption) {
    o.Mode = TRunMode::rmForeign;
    o.WindowId = windowIdOption;
  } else if (o.Root) {
    o.Mode = TRunMode::rmForeign;
    o.WindowId = envId;
  } else if (fullScreen) {
    o.Mode = TRunMode::rmSaver;
  } else if (window) {
    o.Mode = TRunMode::rmWindow;
  } else if (envId) {
    o.Mode = TRunMode::rmForeign;
    o.WindowId = envId;
  }
  o.UnderXscreensaver = o.WindowId && o.WindowId == envId;
  return result;
}

std::vector<TUsageEntry> ModeEntries() {
  return {
      {"(none), -window", "play in a window of " + std::to_string(DefaultWindowWidth) + " by " +
                              std::to_string(DefaultWindowHeight) +
                              "; a new game at each new size; Escape or q (Ctrl+Q) ends it"},
      {"-fullscreen, -s, /s", "cover every monitor, each with a game of its own; any key, button, wheel "
                              "turn, pointer movement of more than " + std::to_string(PointerTolerance) +
                              " pixels or another window taking the keyboard ends them all"},
      {"-root", "draw into $XSCREENSAVER_WINDOW, or else the root window"},
      {"-window-id ID", "draw into the X11 window ID (decimal or 0x hex)"},
      {"/p ID", "the same as a small preview: small cells, no sound"},
      {"--save-settings [opts]", "write the settings given to the settings file and end"},
      {"--show-settings [opts]", "print the settings in effect (or, with $XSCREENSAVER_WINDOW set, those that "
                                 "play there) and the file's path and end"},
      {"-h, --help", "print the modes and options and end"},
      {"--version", "print the version and end"},
  };
}

std::vector<TUsageEntry> SettingEntries() {
  std::vector<TUsageEntry> entries = detonix::SettingEntries({});
  entries.push_back({"-seed N", "the maze generator's seed, for a repeatable first maze"});
  entries.push_back({"-scale F", "cells of " + std::to_string(NativeCellSize) + " pixels times F (" +
                                     NumberText(MinScale) + " to " + NumberText(MaxScale) +
                                     "; default the display's scale)"});
  return entries;
}

std::string ModesNote() {
  return "With XSCREENSAVER_WINDOW set and no mode given, it draws into that window. In a window it did not "
         "make itself it never ends on input: it ends on SIGTERM or when the window goes away.";
}

std::string SettingsNote() {
  return "Settings for this run: the settings file and then the defaults fill in the rest. In "
         "$XSCREENSAVER_WINDOW the file fills in only what xscreensaver's settings window does not show, "
         "the maze densities.";
}

std::string OptionsNote() {
  std::vector<std::string> ignored;
  for (const TRunOption& o : RunOptions)
    if (o.Switch == TRunSwitch::rsIgnore || o.Switch == TRunSwitch::rsIgnoreValue)
      ignored.push_back(std::string(o.Option) + (o.Switch == TRunSwitch::rsIgnore ? "" : " X"));
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
