// detonix-xtest: what the display tests need of X11 and of pictures.
//   create W H [input-only] make a mapped top-level window that outlives this process; print its id
//   destroy ID              destroy that window, as a host taking its window away does
//   move X Y                put the pointer at (X, Y) of the screen, as a moving mouse does
//   grab ID|root FILE.png   write the window's pixels to a PNG file
//   cells A.png B.png CELL  print how many of the cells of the board in A are the same in B
//   saver-state             print the X server's screen-saver state: On, Off, Cycle or Disabled
//   hold SECONDS            grab the server for that long: no other client is answered meanwhile
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/scrnsaver.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/Bitmap.h"
#include "platform/Png.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: detonix-xtest create W H [input-only] | destroy ID | move X Y | grab ID|root FILE.png | cells A.png B.png CELL | "
               "saver-state | hold SECONDS\n");
  return 2;
}

Window ParseWindow(Display* display, const std::string& text) {
  if (text == "root") return DefaultRootWindow(display);
  return static_cast<Window>(std::strtoull(text.c_str(), nullptr, 0));
}

int Create(Display* display, int width, int height, bool inputOnly) {
  const int screen = DefaultScreen(display);
  // Grey, so a test can tell the game's black from a window nobody drew into.
  const Window window =
      inputOnly ? XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, 0, InputOnly, CopyFromParent, 0, nullptr)
                : XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 0, 0, 0x808080);
  XStoreName(display, window, "detonix-xtest host");
  XMapWindow(display, window);
  XSetCloseDownMode(display, RetainPermanent);
  XSync(display, False);
  std::printf("%lu\n", static_cast<unsigned long>(window));
  return 0;
}

int Grab(Display* display, Window window, const std::string& file) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(display, window, &a)) return 1;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height),
                            AllPlanes, ZPixmap);
  if (!image) return 1;
  detonix::TBitmap bitmap(a.width, a.height);
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      // A TrueColor visual: red, green and blue in the masks the visual names, each to 8 bits.
      const auto channel = [p](unsigned long mask) {
        int shift = 0;
        while (mask && !(mask & 1)) {
          mask >>= 1;
          ++shift;
        }
        return mask ? static_cast<uint32_t>(((p >> shift) & mask) * 255 + mask / 2) / static_cast<uint32_t>(mask) : 0u;
      };
      bitmap.SetPixel(x, y, detonix::RGBColor(channel(image->red_mask), channel(image->green_mask), channel(image->blue_mask)));
    }
  XDestroyImage(image);
  detonix::SavePng(bitmap, file);
  return 0;
}

// Whether the server's own screen saver would still start: SDL's default holds it off.
int SaverState(Display* display) {
  int events = 0;
  int errors = 0;
  XScreenSaverInfo* info = XScreenSaverQueryExtension(display, &events, &errors) ? XScreenSaverAllocInfo() : nullptr;
  if (!info || !XScreenSaverQueryInfo(display, DefaultRootWindow(display), info)) {
    std::fprintf(stderr, "detonix-xtest: no screen-saver extension\n");
    XFree(info);
    return 1;
  }
  const int state = info->state;
  XFree(info);
  std::puts(state == ScreenSaverOn ? "On" : state == ScreenSaverOff ? "Off" : state == ScreenSaverCycle ? "Cycle" : "Disabled");
  return 0;
}

// Cells of the board (the whole cells from the top-left corner) that are the same in both pictures.
// TOLERANCE: how far each channel may be off, for a display of fewer bits than the pictures'.
int Cells(const std::string& a, const std::string& b, int cell, int tolerance) {
  const detonix::TBitmap pa = detonix::LoadPng(a);
  const detonix::TBitmap pb = detonix::LoadPng(b);
  if (pa.Width() != pb.Width() || pa.Height() != pb.Height() || cell <= 0) {
    std::fprintf(stderr, "pictures of different sizes: %dx%d and %dx%d\n", pa.Width(), pa.Height(), pb.Width(),
                 pb.Height());
    return 1;
  }
  const int cols = pa.Width() / cell;
  const int rows = pa.Height() / cell;
  int same = 0;
  for (int cy = 0; cy < rows; ++cy)
    for (int cx = 0; cx < cols; ++cx) {
      bool equal = true;
      for (int y = cy * cell; equal && y < (cy + 1) * cell; ++y)
        for (int x = cx * cell; equal && x < (cx + 1) * cell; ++x)
          for (int shift = 0; shift < 24; shift += 8) {
            const int da = static_cast<int>((pa.Pixel(x, y) >> shift) & 0xff);
            const int db = static_cast<int>((pb.Pixel(x, y) >> shift) & 0xff);
            equal = equal && std::abs(da - db) <= tolerance;
          }
      same += equal ? 1 : 0;
    }
  std::printf("%d %d\n", same, cols * rows);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  try {
    if (command == "cells" && (argc == 5 || argc == 6))
      return Cells(argv[2], argv[3], std::atoi(argv[4]), argc == 6 ? std::atoi(argv[5]) : 0);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
      std::fprintf(stderr, "detonix-xtest: no display\n");
      return 1;
    }
    int status = 2;
    if (command == "create" && (argc == 4 || argc == 5))
      status = Create(display, std::atoi(argv[2]), std::atoi(argv[3]), argc == 5 && std::string(argv[4]) == "input-only");
    else if (command == "destroy" && argc == 3) {
      XDestroyWindow(display, ParseWindow(display, argv[2]));
      XSync(display, False);
      status = 0;
    } else if (command == "move" && argc == 4) {
      // A warp moves the pointer and reports motion like a mouse; xdotool's moves do not reach
      // the pointer on Xvfb here.
      XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, std::atoi(argv[2]), std::atoi(argv[3]));
      XSync(display, False);
      status = 0;
    } else if (command == "grab" && argc == 4) status = Grab(display, ParseWindow(display, argv[2]), argv[3]);
    else if (command == "saver-state" && argc == 2) status = SaverState(display);
    else if (command == "hold" && argc == 3) {
      XGrabServer(display);
      XSync(display, False);
      sleep(static_cast<unsigned>(std::atoi(argv[2])));
      XUngrabServer(display);
      XSync(display, False);
    }
    else status = Usage();
    XCloseDisplay(display);
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "detonix-xtest: %s\n", e.what());
    return 1;
  }
}
