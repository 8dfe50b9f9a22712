// detonix: the native Linux program. Plays in a window, full screen, or inside an X11 window that
// xscreensaver hands it. X11 it draws on with Xlib alone, Wayland with wayland-client alone; other
// displays are the SDL program's, which it becomes.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "commandline/ShellOptions.h"
#include "shell/wayland/WaylandShell.h"
#include "shell/x11/EndWatch.h"
#include "shell/x11/ProgramRun.h"
#include "shell/x11/X11Shell.h"

namespace {

// X11 unless SDL is asked for another driver by name, or there is no X11 display to ask.
bool UsesX11(const detonix::commandline::TShellOptions& options) {
  using detonix::TRunMode;
  if (options.Mode == TRunMode::rmForeign || options.Mode == TRunMode::rmPreview) return true;
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver && *driver && std::strcmp(driver, "x11") != 0) return false;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (display && *display) || !(wayland && *wayland);
}

// The SDL program: beside this one in the build folder, in its own folder once installed.
std::string SdlProgram() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  for (const std::filesystem::path& candidate : {folder / "detonix-sdl", folder / DETONIX_SDL_FROM_BIN})
    if (access(candidate.c_str(), X_OK) == 0) return candidate.lexically_normal();
  return (folder / DETONIX_SDL_FROM_BIN).lexically_normal();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace detonix;
  using detonix::x11::TEndWatch;
  using detonix::x11::TX11Shell;
  const std::optional<commandline::TShellOptions> options = x11::OptionsOf(argc, argv);
  if (!options) return 2;
  if (const auto status = x11::RunWithoutDisplay(*options)) return *status;
  // From the first instant a game may be asked to end: a SIGTERM before the windows are up ends
  // the program by that signal too.
  TEndWatch::InstallSignalHandlers();
  if (UsesX11(*options)) {
    int status = 1;
    TX11Shell::TOpened opened = TX11Shell::TOpened::No;
    {
      TX11Shell shell(*options);
      opened = shell.Open();
      if (opened == TX11Shell::TOpened::Yes) status = shell.Loop();
    }  // the display is closed before a signal ends the process
    TEndWatch::EndByTheSignalSeen();
    if (opened != TX11Shell::TOpened::NotHere) return status;
  }
  {
    using detonix::wayland::TWaylandShell;
    int status = 1;
    TWaylandShell::TOpened opened = TWaylandShell::TOpened::No;
    {
      TWaylandShell shell(*options);
      opened = shell.Open();
      if (opened == TWaylandShell::TOpened::Yes) status = shell.Loop();
    }  // the connection is closed before a signal ends the process
    TEndWatch::EndByTheSignalSeen();
    if (opened != TWaylandShell::TOpened::NotHere) return status;
  }
  const std::string sdl = SdlProgram();
  execv(sdl.c_str(), argv);
  std::fprintf(stderr, "detonix: cannot run %s (for displays other than X11): %s\n", sdl.c_str(), std::strerror(errno));
  return 1;
}
