#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "commandline/ShellOptions.h"
#include "host/SaverScreens.h"
#include "native/EndWatch.h"

namespace detonix::native {

// What the native program's back ends (X11's and Wayland's) share of a run.

// The run's options from the command line and XSCREENSAVER_WINDOW; nothing, said on standard
// error, when they are bad (the program then ends with status 2).
std::optional<commandline::TShellOptions> OptionsOf(int argc, char** argv);
// The commands that need no display (help, version, the settings'); their exit status, nothing
// for a run on a display.
std::optional<int> RunWithoutDisplay(const commandline::TShellOptions& options);
// The run's options for the screens: the settings read as the command line and the file say.
TScreensOptions ScreensOptionsFor(const commandline::TShellOptions& options);
// The watch that ends the run on a signal or SOURCE's news (ONEND asks the loop), and ends the
// process when the loop does not stop in time.
std::unique_ptr<TEndWatch> WatchForEnd(std::unique_ptr<TEndSource> source, std::function<void()> onEnd);

}  // namespace detonix::native
