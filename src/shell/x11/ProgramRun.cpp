#include "shell/x11/ProgramRun.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "DetonixVersion.h"
#include "commandline/SettingsCommands.h"
#include "platform/StandardOutput.h"
#include "settings/FileSettingsStore.h"
#include "settings/SettingsStore.h"

namespace detonix::x11 {

std::optional<commandline::TShellOptions> OptionsOf(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  commandline::TParseResult parsed = commandline::ParseCommandLine(args, std::getenv("XSCREENSAVER_WINDOW"));
  if (parsed.Ok()) return std::move(parsed.Options);
  std::fprintf(stderr, "detonix: %s\nTry 'detonix --help'.\n", parsed.Error.c_str());
  return std::nullopt;
}

std::optional<int> RunWithoutDisplay(const commandline::TShellOptions& options) {
  using namespace commandline;
  const auto finish = [](int status) { return FinishStandardOutput("detonix", status); };
  switch (options.Mode) {
    case TRunMode::rmHelp:
      std::fputs(UsageText().c_str(), stdout);
      return finish(0);
    case TRunMode::rmVersion:
      std::printf("detonix %.*s\n", static_cast<int>(DetonixVersion.size()), DetonixVersion.data());
      return finish(0);
    case TRunMode::rmShowSettings:
      return finish(RunShowSettings(DefaultSettingsFilePath(), options));
    case TRunMode::rmSaveSettings:
      return finish(RunSaveSettings(DefaultSettingsFilePath(), options.Overrides));
    default:
      return std::nullopt;
  }
}

TScreensOptions ScreensOptionsFor(const commandline::TShellOptions& options) {
  TScreensOptions screens;
  screens.Mode = options.Mode;
  screens.ReadSettings = [options] { return commandline::SettingsForRun(*CreateUserSettingsStore(), options); };
  screens.Seed = options.Seed;
  screens.Log = [](const std::string& text) { std::fprintf(stderr, "detonix: %s\n", text.c_str()); };
  return screens;
}

}  // namespace detonix::x11
