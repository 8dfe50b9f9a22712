// detonix-xscreensaver-xml FILE: writes detonix.xml, xscreensaver's settings window, at build time.
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "commandline/XscreensaverXml.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: detonix-xscreensaver-xml FILE\n", stderr);
    return 2;
  }
  try {
    const std::string text = detonix::commandline::XscreensaverXml();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
      std::fprintf(stderr, "detonix-xscreensaver-xml: cannot write %s\n", argv[1]);
      return 1;
    }
  } catch (const std::logic_error& e) {
    std::fprintf(stderr, "detonix-xscreensaver-xml: %s\n", e.what());
    return 1;
  }
  return 0;
}
