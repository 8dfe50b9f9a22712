#pragma once

#include <string>
#include <vector>

namespace detonix::headless {

using TArgs = std::vector<std::string>;

// One function per subcommand: receives the arguments after the subcommand's name and returns
// the process exit status (2 for bad usage).
int RunMaze(const TArgs& args);
int RunSprites(const TArgs& args);
int RunPlay(const TArgs& args);

}  // namespace detonix::headless
