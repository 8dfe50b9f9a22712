#pragma once

#include <optional>

#include "commandline/ShellOptions.h"
#include "host/SaverScreens.h"

namespace detonix::x11 {

// What both Linux programs (X11's and SDL's) share of a run.

// The commands that need no display (help, version, the settings'); their exit status, nothing
// for a run on a display.
std::optional<int> RunWithoutDisplay(const commandline::TShellOptions& options);
// The run's options for the screens: the settings read as the command line and the file say.
TScreensOptions ScreensOptionsFor(const commandline::TShellOptions& options);

}  // namespace detonix::x11
