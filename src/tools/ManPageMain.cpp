// detonix-manpage PAGE FILE: writes the manual page of detonix or detonix-headless at build time.
#include <cstdio>
#include <cstring>
#include <fstream>

#include "DetonixVersion.h"
#include "tools/HeadlessOptions.h"
#include "tools/ManPage.h"

int main(int argc, char** argv) {
  const bool known = argc == 3 && (std::strcmp(argv[1], "detonix") == 0 || std::strcmp(argv[1], "detonix-headless") == 0);
  if (!known) {
    std::fputs("usage: detonix-manpage detonix|detonix-headless FILE\n", stderr);
    return 2;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << (std::strcmp(argv[1], "detonix") == 0 ? detonix::commandline::ManPage(detonix::DetonixVersion)
                                                : detonix::headless::HeadlessManPage(detonix::DetonixVersion));
  out.close();
  if (!out) {
    std::fprintf(stderr, "detonix-manpage: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
