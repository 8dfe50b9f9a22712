// detonix-headless: plays games on a virtual clock, dumps mazes and renders pictures.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/StandardOutput.h"
#include "tools/HeadlessCommands.h"

namespace {

struct TCommand {
  const char* Name;
  int (*Run)(const detonix::headless::TArgs&);
  const char* Usage;
};

// Subcommands are listed here as they are built.
const std::vector<TCommand> Commands = {
#ifdef DETONIX_HAVE_MAZE_COMMAND
    {"maze", detonix::headless::RunMaze,
     "maze --cols C --rows R [--seed S] [--blocks-left F] [--exp-blocks F] [--powerups N]"},
#endif
#ifdef DETONIX_HAVE_PLAY_COMMAND
    {"play", detonix::headless::RunPlay,
     "play [--width W] [--height H] [--cell N] [--seed S] [--minutes M] [--speed MS] [--force-maze MINUTES] "
     "[--sounds] [--png FILE] [--frames DIR --every SECONDS] [--json]"},
#endif
#ifdef DETONIX_HAVE_SPRITES_COMMAND
    {"sprites", detonix::headless::RunSprites, "sprites --out FILE.png"},
#endif
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: detonix-headless COMMAND [OPTIONS]\ncommands:\n");
  for (const auto& c : Commands) std::fprintf(out, "  %s\n", c.Usage);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return detonix::FinishStandardOutput("detonix-headless", argc < 2 ? 2 : 0);
  }
  for (const auto& c : Commands)
    if (std::strcmp(argv[1], c.Name) == 0)
      return detonix::FinishStandardOutput("detonix-headless",
                                           c.Run(detonix::headless::TArgs(argv + 2, argv + argc)));
  std::fprintf(stderr, "detonix-headless: unknown command '%s'\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
