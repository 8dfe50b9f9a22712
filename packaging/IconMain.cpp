// detonix-icon SIZE FILE.png: the program's icon, the About badge drawn at SIZE pixels, with the
// picture's mask as its transparency.
#include <cstdio>
#include <exception>
#include <string>

#include "media/Pictures.h"
#include "platform/Png.h"
#include "platform/TextNumbers.h"

int main(int argc, char** argv) {
  using namespace detonix;
  const auto size = argc == 3 ? ParseNumber<int>(argv[1]) : std::nullopt;
  if (!size || *size < 8 || *size > 1024) {
    std::fputs("usage: detonix-icon SIZE FILE.png (SIZE 8 to 1024)\n", stderr);
    return 2;
  }
  try {
    SavePng(IconPicture(*size), argv[2], true);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "detonix-icon: %s\n", e.what());
    return 1;
  }
  return 0;
}
