// detonix-headless: plays games on a virtual clock, dumps mazes and renders pictures.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DetonixVersion.h"
#include "platform/StandardOutput.h"
#include "tools/HeadlessCommands.h"
#include "tools/HeadlessOptions.h"

namespace {

struct TCommand {
  const char* Name;
  int (*Run)(const detonix::headless::TArgs&);
};

// Subcommands are listed here as they are built.
const std::vector<TCommand> Commands = {
#ifdef DETONIX_HAVE_MAZE_COMMAND
    {"maze", detonix::headless::RunMaze},
#endif
#ifdef DETONIX_HAVE_PLAY_COMMAND
    {"play", detonix::headless::RunPlay},
#endif
#ifdef DETONIX_HAVE_SPRITES_COMMAND
    {"sprites", detonix::headless::RunSprites},
#endif
};

}  // namespace

int main(int argc, char** argv) {
  const auto finish = [](int status) { return detonix::FinishStandardOutput("detonix-headless", status); };
  if (argc < 2 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0) {
    std::fputs(detonix::headless::ToolHelp().c_str(), argc < 2 ? stderr : stdout);
    return finish(argc < 2 ? 2 : 0);
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("detonix-headless %.*s\n", static_cast<int>(detonix::DetonixVersion.size()), detonix::DetonixVersion.data());
    return finish(0);
  }
  for (const auto& c : Commands)
    if (std::strcmp(argv[1], c.Name) == 0) return finish(c.Run(detonix::headless::TArgs(argv + 2, argv + argc)));
  std::fprintf(stderr, "detonix-headless: unknown command '%s'\nTry 'detonix-headless --help'.\n", argv[1]);
  return 2;
}
