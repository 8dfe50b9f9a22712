#pragma once

#include <optional>

#include "commandline/ShellOptions.h"
#include "host/SaverScreens.h"

namespace detonix::x11 {

// What both Linux programs (X11's and SDL's) share of a run.

// The run's options from the command line and XSCREENSAVER_WINDOW; nothing, said on standard
// error, when they are bad (the program then ends with status 2).
std::optional<commandline::TShellOptions> OptionsOf(int argc, char** argv);
// The commands that need no display (help, version, the settings'); their exit status, nothing
// for a run on a display.
std::optional<int> RunWithoutDisplay(const commandline::TShellOptions& options);
// The run's options for the screens: the settings read as the command line and the file say.
TScreensOptions ScreensOptionsFor(const commandline::TShellOptions& options);

}  // namespace detonix::x11
