// detonix-manpage VERSION FILE: writes detonix.6 at build time.
#include <cstdio>
#include <fstream>

#include "shell/sdl/ManPage.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: detonix-manpage VERSION FILE\n", stderr);
    return 2;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << detonix::sdl::ManPage(argv[1]);
  out.close();
  if (!out) {
    std::fprintf(stderr, "detonix-manpage: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
