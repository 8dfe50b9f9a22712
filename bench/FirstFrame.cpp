// detonix-first-frame: how long a program takes to put a whole picture into an X11 window.
//   detonix-first-frame W H PROGRAM [ARGS...]
// Makes a W x H window, starts PROGRAM ARGS... -window-id ID, and prints the milliseconds from
// the start until X has received every pixel of the window (the damage reported on it covers it
// all). The program is then ended. Status 1 when the window is not covered within 10 seconds.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr auto GiveUpAfter = std::chrono::seconds(10);

struct TCloseDisplay {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
struct TDestroyRegion {
  void operator()(_XRegion* r) const { XDestroyRegion(r); }
};

// The started program, ended and waited for when this goes.
class TChild {
 public:
  bool Start(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return posix_spawnp(&FPid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
  }
  ~TChild() {
    if (FPid <= 0) return;
    kill(FPid, SIGTERM);
    int status = 0;
    waitpid(FPid, &status, 0);
  }

 private:
  pid_t FPid = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: detonix-first-frame W H PROGRAM [ARGS...]\n");
    return 2;
  }
  const int width = std::atoi(argv[1]);
  const int height = std::atoi(argv[2]);
  std::unique_ptr<Display, TCloseDisplay> display(XOpenDisplay(nullptr));
  if (!display || width <= 0 || height <= 0) {
    std::fprintf(stderr, "detonix-first-frame: no display, or a bad size\n");
    return 2;
  }
  Display* d = display.get();
  int damageEvent = 0;
  int damageError = 0;
  if (!XDamageQueryExtension(d, &damageEvent, &damageError)) {
    std::fprintf(stderr, "detonix-first-frame: the X server has no Damage extension\n");
    return 2;
  }
  // No background: the server paints nothing of its own into the window.
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  attributes.override_redirect = True;
  const Window window = XCreateWindow(d, DefaultRootWindow(d), 0, 0, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                      CWBackPixmap | CWOverrideRedirect, &attributes);
  XMapWindow(d, window);
  XSync(d, False);
  // Watched only from here: what the mapping itself did is not the program's.
  const Damage damage = XDamageCreate(d, window, XDamageReportRawRectangles);
  XSync(d, True);

  std::vector<std::string> args(argv + 3, argv + argc);
  args.push_back("-window-id");
  args.push_back(std::to_string(window));
  const auto start = std::chrono::steady_clock::now();
  TChild child;
  if (!child.Start(args)) {
    std::fprintf(stderr, "detonix-first-frame: cannot start %s\n", argv[3]);
    return 2;
  }
  std::unique_ptr<_XRegion, TDestroyRegion> received(XCreateRegion());
  pollfd connection{ConnectionNumber(d), POLLIN, 0};
  for (;;) {
    while (XPending(d) > 0) {
      XEvent event;
      XNextEvent(d, &event);
      if (event.type != damageEvent + XDamageNotify) continue;
      const auto& notify = reinterpret_cast<const XDamageNotifyEvent&>(event);
      XRectangle area = notify.area;
      XUnionRectWithRegion(&area, received.get(), received.get());
    }
    if (XRectInRegion(received.get(), 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height)) ==
        RectangleIn) {
      const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
      std::printf("%.1f\n", took.count());
      XDamageDestroy(d, damage);
      return 0;
    }
    const auto left = GiveUpAfter - (std::chrono::steady_clock::now() - start);
    if (left <= std::chrono::steady_clock::duration::zero()) break;
    poll(&connection, 1, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()) + 1);
  }
  std::fprintf(stderr, "detonix-first-frame: the window was not covered within %lld s\n",
               static_cast<long long>(GiveUpAfter.count()));
  return 1;
}
