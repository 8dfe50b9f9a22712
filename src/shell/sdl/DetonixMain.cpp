// detonix-sdl: the native Linux program on SDL2, for the displays that are not X11 (Wayland). The
// program detonix runs it in its own place; it takes the same command line.
#define SDL_MAIN_HANDLED
#include <optional>

#include "commandline/ShellOptions.h"
#include "shell/sdl/SdlShell.h"
#include "shell/x11/EndWatch.h"
#include "shell/x11/ProgramRun.h"

int main(int argc, char** argv) {
  using namespace detonix;
  using detonix::x11::TEndWatch;
  const std::optional<commandline::TShellOptions> options = x11::OptionsOf(argc, argv);
  if (!options) return 2;
  if (const auto status = x11::RunWithoutDisplay(*options)) return *status;
  // SDL leaves handlers it finds in place.
  TEndWatch::InstallSignalHandlers();
  SDL_SetMainReady();
  const int status = sdl::TSdlShell(*options).Run();  // SDL is gone before a signal ends the process
  TEndWatch::EndByTheSignalSeen();
  return status;
}
