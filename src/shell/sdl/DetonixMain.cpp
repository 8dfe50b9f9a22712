// detonix: the native Linux program. Plays in a window, full screen, or inside an X11 window
// that xscreensaver hands it.
#define SDL_MAIN_HANDLED
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DetonixVersion.h"
#include "commandline/SettingsCommands.h"
#include "commandline/ShellOptions.h"
#include "platform/StandardOutput.h"
#include "settings/FileSettingsStore.h"
#include "shell/sdl/EndWatch.h"
#include "shell/sdl/SdlShell.h"

int main(int argc, char** argv) {
  using namespace detonix;
  using namespace detonix::commandline;
  using detonix::sdl::TEndWatch;
  using detonix::sdl::TSdlShell;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const TParseResult parsed = ParseCommandLine(args, std::getenv("XSCREENSAVER_WINDOW"));
  if (!parsed.Ok()) {
    std::fprintf(stderr, "detonix: %s\nTry 'detonix --help'.\n", parsed.Error.c_str());
    return 2;
  }
  const TShellOptions& options = parsed.Options;
  const auto finish = [](int status) { return detonix::FinishStandardOutput("detonix", status); };
  switch (options.Mode) {
    case TRunMode::rmHelp:
      std::fputs(UsageText().c_str(), stdout);
      return finish(0);
    case TRunMode::rmVersion:
      std::printf("detonix %.*s\n", static_cast<int>(detonix::DetonixVersion.size()), detonix::DetonixVersion.data());
      return finish(0);
    case TRunMode::rmShowSettings:
      return finish(RunShowSettings(detonix::DefaultSettingsFilePath(), options));
    case TRunMode::rmSaveSettings:
      return finish(RunSaveSettings(detonix::DefaultSettingsFilePath(), options.Overrides));
    default:
      break;
  }
  // From the first instant a game may be asked to end: a SIGTERM before the windows are up ends
  // the program by that signal too. SDL leaves handlers it finds in place.
  TEndWatch::InstallSignalHandlers();
  SDL_SetMainReady();
  const int status = TSdlShell(options).Run();  // SDL is gone before a signal ends the process
  TEndWatch::EndByTheSignalSeen();
  return status;
}
