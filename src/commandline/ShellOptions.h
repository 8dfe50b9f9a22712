#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/RunMode.h"
#include "settings/SettingOptions.h"
#include "settings/Settings.h"

namespace detonix::commandline {

struct TShellOptions {
  TRunMode Mode = TRunMode::rmWindow;
  // The X11 window to draw into (foreign window and preview); none with --root means the real root.
  std::optional<uint64_t> WindowId;
  bool Root = false;
  // Drawing into $XSCREENSAVER_WINDOW: xscreensaver started it, and its settings window decides.
  // --show-settings shows what plays there whenever the variable is set.
  bool UnderXscreensaver = false;
  TSettingsOverrides Overrides;
  std::optional<uint64_t> Seed;
  std::optional<double> Scale;  // the display's scale for this run, in place of the desktop's
};

// The outcome of reading the command line: the options, or the message for a usage error
// (the program then prints it and a pointer to --help, and ends with status 2).
struct TParseResult {
  TShellOptions Options;
  std::string Error;
  bool Ok() const { return Error.empty(); }
};

// ARGS leaves out the program name. XSCREENSAVERWINDOW is that variable's value, or null.
TParseResult ParseCommandLine(const std::vector<std::string>& args, const char* xscreensaverWindow);

// A window id as xscreensaver writes it: decimal or 0x hex, above 0 and within 32 bits.
std::optional<uint64_t> ParseWindowId(const std::string& text);

// The modes, and the settings' options as SettingRows lists them (and the seed), for the usage
// text and the manual page.
std::vector<TUsageEntry> ModeEntries();
std::vector<TUsageEntry> SettingEntries();

// What the usage text and the manual page say after the modes, before and after the settings.
std::string ModesNote();
std::string SettingsNote();
std::string OptionsNote();

// The text --help prints.
std::string UsageText();

}  // namespace detonix::commandline
