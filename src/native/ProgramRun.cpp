#include "native/ProgramRun.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "DetonixVersion.h"
#include "commandline/SettingsCommands.h"
#include "native/PresentTrace.h"
#include "platform/StandardOutput.h"
#include "settings/FileSettingsStore.h"
#include "settings/SettingsStore.h"

namespace detonix::native {

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
  screens.Presented = OpenPresentTrace();
  return screens;
}

std::unique_ptr<TEndWatch> WatchForEnd(std::unique_ptr<TEndSource> source, std::function<void()> onEnd) {
  return std::make_unique<TEndWatch>(std::move(source), std::move(onEnd), [] {
    std::fputs("detonix: the game did not stop in time; ending at once\n", stderr);
    TEndWatch::EndByTheSignalSeen();
    std::_Exit(0);
  });
}

}  // namespace detonix::native
