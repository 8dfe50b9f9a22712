// detonix-web-assets FOLDER: what the page is made of besides its program, written at build time
// (under node): the settings form's rows, from the settings' rows as detonix.xml is; the icons of
// the installed page, the desktop icon's badge drawn at 192 and 512 pixels on black, within the
// middle four fifths that any mask a system puts on an app's icon leaves; and the favicon, the
// desktop's 32-pixel icon.
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "media/Pictures.h"
#include "platform/Png.h"
#include "shell/web/WebSettings.h"

namespace {

using namespace detonix;

TBitmap MaskableIcon(int size) {
  const int badge = size * 4 / 5;
  const TBitmap picture = IconPicture(badge);  // black where it is clear
  TBitmap icon(size, size, clBlack);
  const int at = (size - badge) / 2;
  for (int y = 0; y < badge; ++y)
    for (int x = 0; x < badge; ++x) icon.Row(at + y)[at + x] = picture.Row(y)[x];
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: detonix-web-assets FOLDER\n", stderr);
    return 2;
  }
  const std::string folder = argv[1];
  try {
    std::ofstream rows(folder + "/settings-rows.html", std::ios::binary | std::ios::trunc);
    rows << web::SettingsFormRows();
    rows.close();
    if (!rows) throw std::runtime_error("cannot write " + folder + "/settings-rows.html");
    for (const int size : {192, 512}) SavePng(MaskableIcon(size), folder + "/icon-" + std::to_string(size) + ".png");
    SavePng(IconPicture(32), folder + "/favicon.png", true);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "detonix-web-assets: %s\n", e.what());
    return 1;
  }
  return 0;
}
