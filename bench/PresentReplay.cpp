// detonix-present-replay: the least an animation of detonix's costs the program that shows it.
//   detonix-present-replay TRACE [-root]
// TRACE is what detonix wrote with DETONIX_PRESENT_TRACE=TRACE: a line for each present, the
// milliseconds since its start and x y w h of each rectangle it sent. This program makes one picture
// of the screen's size in memory shared with the X server and, at each recorded time counted from
// its own start, sends the recorded rectangles of it and flushes, sleeping in between: no drawing, no
// game, nothing else. It draws into the root window with -root, else into a window of its own that
// covers the screen. After the last present it sleeps until SIGTERM or SIGINT, then prints
//   presents SENT of TRACED (RECTANGLES rectangles), LATE late by more than 5 ms
// and ends with status 0. Status 1 when the trace is malformed or does not fit the screen, or X
// refused something.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <poll.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "PresentTraceFile.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr auto Late = std::chrono::milliseconds(5);


int FirstXError = 0;
int OnXError(Display*, XErrorEvent* error) {
  if (FirstXError == 0) FirstXError = error->error_code;
  return 0;
}


struct TCloseDisplay {
  void operator()(Display* d) const { XCloseDisplay(d); }
};

// One XImage in shared memory, let go of by both sides when this goes.
class TSharedImage {
 public:
  TSharedImage(Display* display, Visual* visual, int depth, int width, int height) : FDisplay(display) {
    FImage = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &FSegment,
                             static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!FImage) return;
    const size_t size = static_cast<size_t>(FImage->bytes_per_line) * static_cast<size_t>(height);
    FSegment.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (FSegment.shmid < 0) return;
    void* memory = shmat(FSegment.shmid, nullptr, 0);
    shmctl(FSegment.shmid, IPC_RMID, nullptr);  // freed once both sides have let go
    if (memory == reinterpret_cast<void*>(-1)) return;
    FSegment.shmaddr = FImage->data = static_cast<char*>(memory);
    FSegment.readOnly = False;
    std::memset(memory, 0x40, size);  // a dark grey, so that a look at the screen shows it at work
    FAttached = XShmAttach(display, &FSegment) != 0;
  }
  ~TSharedImage() {
    if (FAttached) XShmDetach(FDisplay, &FSegment);
    XSync(FDisplay, False);  // the server may still be copying from the memory
    if (FSegment.shmaddr) shmdt(FSegment.shmaddr);
    if (FImage) {
      FImage->data = nullptr;  // the shared memory, not Xlib's to free
      XDestroyImage(FImage);
    }
  }
  TSharedImage(const TSharedImage&) = delete;
  TSharedImage& operator=(const TSharedImage&) = delete;

  bool Ready() const { return FAttached; }
  XImage* Image() const { return FImage; }

 private:
  Display* FDisplay;
  XImage* FImage = nullptr;
  XShmSegmentInfo FSegment{};
  bool FAttached = false;
};

timespec Until(TClock::time_point when) {
  const auto left = std::max(when - TClock::now(), TClock::duration::zero());
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
  return {static_cast<time_t>(seconds.count()),
          static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds).count())};
}

}  // namespace

int main(int argc, char** argv) {
  // The trace's times count from detonix's start; these from this program's.
  const auto start = TClock::now();
  const bool root = argc == 3 && std::strcmp(argv[2], "-root") == 0;
  if (argc != 2 && !root) {
    std::fprintf(stderr, "usage: detonix-present-replay TRACE [-root]\n");
    return 2;
  }
  const sigset_t sleeping = EndOnSignals();

  std::unique_ptr<Display, TCloseDisplay> display(XOpenDisplay(nullptr));
  if (!display) {
    std::fprintf(stderr, "detonix-present-replay: cannot open the display\n");
    return 1;
  }
  Display* d = display.get();
  XSetErrorHandler(OnXError);
  const int screen = DefaultScreen(d);
  const int width = DisplayWidth(d, screen);
  const int height = DisplayHeight(d, screen);
  std::vector<TPresent> presents;
  std::string why;
  if (!ReadTrace(argv[1], width, height, presents, why)) {
    std::fprintf(stderr, "detonix-present-replay: %s\n", why.c_str());
    return 1;
  }
  if (!XShmQueryExtension(d)) {
    std::fprintf(stderr, "detonix-present-replay: the X server shares no memory (MIT-SHM)\n");
    return 1;
  }
  Window window = RootWindow(d, screen);
  if (!root) {
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.override_redirect = True;
    window = XCreateWindow(d, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                           CopyFromParent, InputOutput, CopyFromParent, CWBackPixmap | CWOverrideRedirect, &attributes);
    XMapWindow(d, window);
  }
  TSharedImage picture(d, DefaultVisual(d, screen), DefaultDepth(d, screen), width, height);
  XSync(d, False);
  if (!picture.Ready() || FirstXError != 0) {
    std::fprintf(stderr, "detonix-present-replay: no picture in shared memory\n");
    return 1;
  }
  GC gc = XCreateGC(d, window, 0, nullptr);

  size_t sent = 0;
  size_t rectangles = 0;
  size_t late = 0;
  pollfd connection{ConnectionNumber(d), POLLIN, 0};
  while (!Ended) {
    const auto now = TClock::now();
    if (sent < presents.size() && now >= start + presents[sent].At) {
      const TPresent& p = presents[sent++];
      if (now > start + p.At + Late) ++late;
      for (const TRectangle& r : p.Rects)
        XShmPutImage(d, window, gc, picture.Image(), r.X, r.Y, r.X, r.Y, static_cast<unsigned>(r.W),
                     static_cast<unsigned>(r.H), False);
      XFlush(d);
      rectangles += p.Rects.size();
      continue;
    }
    timespec timeout{};
    if (sent < presents.size()) timeout = Until(start + presents[sent].At);
    // Nothing comes unasked but an error; read, it reaches the handler.
    if (ppoll(&connection, 1, sent < presents.size() ? &timeout : nullptr, &sleeping) > 0)
      while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
      }
  }
  XSync(d, False);
  XFreeGC(d, gc);
  std::printf("presents %zu of %zu (%zu rectangles), %zu late by more than %lld ms\n", sent, presents.size(),
              rectangles, late, static_cast<long long>(Late.count()));
  if (FirstXError != 0) {
    std::fprintf(stderr, "detonix-present-replay: the X server refused a request (error %d)\n", FirstXError);
    return 1;
  }
  return 0;
}
