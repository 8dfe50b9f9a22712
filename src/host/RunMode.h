#pragma once

#include <cstdint>

namespace detonix {

// What one run of a program does, whichever shell reads it from its command line.
enum class TRunMode : uint8_t {
  // Games: the host plays one on every window the shell gives it.
  rmWindow,   // an ordinary window of the program's own
  rmSaver,    // full screen on every monitor: the first key, click or real pointer movement ends it
  rmForeign,  // a window someone else made and watches (xscreensaver's); never ends on input
  rmPreview,  // someone else's small window: preview cells, silent
  // No game.
  rmNone,            // nothing to do (a saver already runs, a switch nobody knows)
  rmConfigure,       // the settings dialog
  rmChangePassword,  // a saver that asks for no password has none to change
  rmHelp,
  rmVersion,
  rmSaveSettings,
  rmShowSettings,
};

constexpr bool PlaysGames(TRunMode mode) { return mode <= TRunMode::rmPreview; }

}  // namespace detonix
