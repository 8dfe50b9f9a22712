#include "shell/sdl/ShellOptions.h"

#include <cctype>

#include "platform/TextNumbers.h"

namespace detonix::sdl {

namespace {

// Speeds up to a minute between two steps; the forced-maze interval up to a day, as the
// headless tool allows.
constexpr int32_t MaxSpeedMs = 60000;
constexpr int32_t MaxForceMinutes = 1440;

std::optional<int32_t> IntegerIn(const std::string& s, int32_t low, int32_t high) {
  const auto v = ParseNumber<int32_t>(s);
  return v && *v >= low && *v <= high ? v : std::nullopt;
}

std::optional<double> FractionIn(const std::string& s, double low, double high) {
  const auto v = ParseNumber<double>(s);
  return v && *v >= low && *v <= high ? v : std::nullopt;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

void TSettingsOverrides::ApplyTo(TSettings& s) const {
  if (PerBlocksLeft) s.PerBlocksLeft = *PerBlocksLeft;
  if (PerOfEBlocks) s.PerOfEBlocks = *PerOfEBlocks;
  if (PerOfPUps) s.PerOfPUps = *PerOfPUps;
  if (P1ImageIndex) s.P1ImageIndex = *P1ImageIndex;
  if (P2ImageIndex) s.P2ImageIndex = *P2ImageIndex;
  if (PlayerSpeed) s.PlayerSpeed = *PlayerSpeed;
  if (ForceMaze) s.ForceMaze = *ForceMaze;
  if (ForceInterval) s.ForceInterval = *ForceInterval;
  if (Sounds) s.Sounds = *Sounds;
}

bool TSettingsOverrides::Empty() const {
  return !PerBlocksLeft && !PerOfEBlocks && !PerOfPUps && !P1ImageIndex && !P2ImageIndex && !PlayerSpeed &&
         !ForceMaze && !ForceInterval && !Sounds;
}

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

std::optional<int> CharacterByName(const std::string& name) {
  const std::string wanted = Lower(name);
  for (size_t i = 0; i < CharacterNames.size(); ++i)
    if (Lower(std::string(CharacterNames[i])) == wanted) return static_cast<int>(i);
  return std::nullopt;
}

TParseResult ParseCommandLine(const std::vector<std::string>& args, const char* xscreensaverWindow) {
  TParseResult result;
  TShellOptions& o = result.Options;
  TSettingsOverrides& s = o.Overrides;
  bool help = false, save = false, show = false, fullScreen = false, window = false, preview = false;
  std::optional<uint64_t> windowIdOption;
  std::optional<uint64_t> previewId;

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
    auto needValue = [&]() { return hasValue ? std::string() : "missing value for " + given; };

    if (option == "-h" || option == "-help") { help = true; continue; }
    if (option == "-fullscreen" || option == "/s" || option == "/S" || option == "-s") { fullScreen = true; continue; }
    if (option == "-window") { window = true; continue; }
    if (option == "-root") { o.Root = true; continue; }
    if (option == "-save-settings") { save = true; continue; }
    if (option == "-show-settings") { show = true; continue; }
    if (option == "-sound") { s.Sounds = true; continue; }
    if (option == "-no-sound") { s.Sounds = false; continue; }
    if (option == "-no-force-maze") { s.ForceMaze = false; continue; }
    // Passed by xscreensaver for hacks that care; this one draws the same way regardless.
    if (option == "-install" || option == "-noinstall" || option == "-mono" || option == "-pair" ||
        option == "-fps" || option == "-no-fps")
      continue;
    if (option == "-force-maze") {
      s.ForceMaze = true;
      // The minutes may follow; xscreensaver's check box passes the switch alone.
      if (hasValue && !value.empty() && std::isdigit(static_cast<unsigned char>(value[0]))) {
        const auto minutes = IntegerIn(value, 0, MaxForceMinutes);
        if (!minutes) return fail("bad value '" + value + "' for " + given + " (minutes, 0 to 1440)");
        s.ForceInterval = *minutes;
        ++i;
      }
      continue;
    }

    // Everything below takes a value.
    const bool known = option == "-visual" || option == "-window-id" || option == "/p" || option == "/P" ||
                       option == "-speed" || option == "-player1" || option == "-player2" ||
                       option == "-force-interval" || option == "-fixed-blocks" ||
                       option == "-destructible-blocks" || option == "-powerups" || option == "-seed";
    if (!known) return fail("unknown option '" + given + "'");
    if (const std::string missing = needValue(); !missing.empty()) return fail(missing);
    ++i;
    auto bad = [&](const std::string& what) { return fail("bad value '" + value + "' for " + given + " (" + what + ")"); };

    if (option == "-visual") continue;
    if (option == "-window-id" || option == "/p" || option == "/P") {
      const auto id = ParseWindowId(value);
      if (!id) return bad("an X11 window id, decimal or 0x hex");
      if (option == "-window-id") windowIdOption = id;
      else { preview = true; previewId = id; }
    } else if (option == "-speed") {
      if (!(s.PlayerSpeed = IntegerIn(value, 1, MaxSpeedMs))) return bad("milliseconds, 1 to 60000");
    } else if (option == "-player1" || option == "-player2") {
      const auto c = CharacterByName(value);
      if (!c) return bad("Quorin, Tavvy, Murvex or Olandrix");
      (option == "-player1" ? s.P1ImageIndex : s.P2ImageIndex) = *c * ImagesPerCharacter;
    } else if (option == "-force-interval") {
      if (!(s.ForceInterval = IntegerIn(value, 0, MaxForceMinutes))) return bad("minutes, 0 to 1440");
    } else if (option == "-fixed-blocks") {
      if (!(s.PerBlocksLeft = FractionIn(value, 0.0, 1.0))) return bad("a fraction, 0 to 1");
    } else if (option == "-destructible-blocks") {
      if (!(s.PerOfEBlocks = FractionIn(value, 0.0, 1.0))) return bad("a fraction, 0 to 1");
    } else if (option == "-powerups") {
      if (!(s.PerOfPUps = IntegerIn(value, 0, 100))) return bad("percent, 0 to 100");
    } else if (option == "-seed") {
      if (!(o.Seed = ParseNumber<uint64_t>(value))) return bad("a whole number");
    }
  }

  if (help) {
    o.Mode = TShellMode::smHelp;
    return result;
  }
  if (save && show) return fail("--save-settings and --show-settings do not go together");
  if (save || show) {
    o.Mode = save ? TShellMode::smSaveSettings : TShellMode::smShowSettings;
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
    o.Mode = TShellMode::smPreview;
    o.WindowId = windowIdOption ? windowIdOption : previewId;
  } else if (windowIdOption) {
    o.Mode = TShellMode::smForeignWindow;
    o.WindowId = windowIdOption;
  } else if (o.Root) {
    o.Mode = TShellMode::smForeignWindow;
    o.WindowId = envId;
  } else if (fullScreen) {
    o.Mode = TShellMode::smFullScreen;
  } else if (window) {
    o.Mode = TShellMode::smWindow;
  } else if (envId) {
    o.Mode = TShellMode::smForeignWindow;
    o.WindowId = envId;
  }
  return result;
}

std::string UsageText() {
  return R"(usage: detonix [mode] [options]

Two computer players play a bomb-laying maze game; you watch.

Modes:
  (none), -window          play in a window of 1024 by 768; a new game at each new size
  -fullscreen, -s, /s      cover the screen; any key, click or pointer movement of more
                           than 20 pixels ends it
  -root                    draw into $XSCREENSAVER_WINDOW, or else the root window
  -window-id ID            draw into the X11 window ID (decimal or 0x hex)
  /p ID                    the same as a small preview: small cells, no sound
  --save-settings [opts]   write the options given to the settings file and end
  --show-settings [opts]   print the settings in effect and the file's path and end
  -h, --help               print this text
  With XSCREENSAVER_WINDOW set and no mode given, it draws into that window. In a foreign
  window it never ends on input: it ends on SIGTERM or when the window goes away.

Settings for this run (the settings file and then the defaults fill in the rest):
  -speed MS                    milliseconds between two steps of a player: 100 Very Fast,
                               120 Fast, 150 Normal (default), 200 Slow, 300 Very Slow
  -player1 NAME, -player2 NAME Quorin, Tavvy, Murvex or Olandrix (default Quorin, Tavvy)
  -sound, -no-sound            explosion sound effects (default off)
  -force-maze [MINUTES]        start a new maze every MINUTES minutes (default 5 minutes)
  -force-interval MINUTES      the minutes for -force-maze, 0 to 1440; 0 never forces
  -no-force-maze               games end only when a player has lost its lives (default)
  -fixed-blocks FRACTION       fraction of all cells that stay fixed blocks (default 0.4)
  -destructible-blocks FRACTION  fraction of the open cells that get destructible blocks (0.15)
  -powerups PERCENT            chance that a destructible block hides a power-up (default 30)
  -seed N                      the maze generator's seed, for a repeatable first maze

Options may be written with one dash or two. xscreensaver's -install, -noinstall,
-visual X, -mono, -pair and -fps are accepted and ignored.
)";
}

}  // namespace detonix::sdl
