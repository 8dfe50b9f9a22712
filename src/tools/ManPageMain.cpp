// detonix-manpage PAGE FILE: writes the manual page of detonix, detonix-headless or detonix-idle at
// build time.
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "DetonixVersion.h"
#include "idle/IdleOptions.h"
#include "tools/HeadlessOptions.h"
#include "tools/ManPage.h"

int main(int argc, char** argv) {
  using namespace detonix;
  const std::string_view page = argc == 3 ? argv[1] : "";
  if (page != "detonix" && page != "detonix-headless" && page != "detonix-idle") {
    std::fputs("usage: detonix-manpage detonix|detonix-headless|detonix-idle FILE\n", stderr);
    return 2;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << (page == "detonix"            ? commandline::ManPage(DetonixVersion)
          : page == "detonix-headless" ? headless::HeadlessManPage(DetonixVersion)
                                       : idle::IdleManPage(DetonixVersion));
  out.close();
  if (!out) {
    std::fprintf(stderr, "detonix-manpage: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
