#include "shell/x11/XSupport.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include <poll.h>

#include <X11/Xlib.h>

#include "host/Monitor.h"

namespace detonix::x11 {

namespace {

// Xlib calls its error handler as a plain function, so what it learns can only live here.
std::atomic<bool> WindowErrorSeen{false};

int OnXError(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable) {
    WindowErrorSeen = true;
    return 0;
  }
  char text[256] = "";
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "detonix: X error: %s (request %d)\n", text, error->request_code);
  return 0;
}

// Xlib ends the process when the connection breaks in any case; _exit spares the atexit handlers
// of libraries that may wait for a server that is gone.
int OnXIOError(Display*) {
  std::fprintf(stderr, "detonix: lost the connection to the X server\n");
  std::_Exit(1);
}

// An error of a probing request answers its question: no.
std::atomic<bool> ProbeFailed{false};
int IgnoreXError(Display*, XErrorEvent*) {
  ProbeFailed = true;
  return 0;
}

}  // namespace

bool ProbeX(Display* display, const std::function<bool()>& request) {
  XSync(display, False);
  ProbeFailed = false;
  const auto previous = XSetErrorHandler(IgnoreXError);
  const bool done = request();
  XSync(display, False);
  XSetErrorHandler(previous);
  return done && !ProbeFailed;
}

void InstallXErrorHandler() {
  XSetErrorHandler(OnXError);
  XSetIOErrorHandler(OnXIOError);
}

bool TakeXWindowError() { return WindowErrorSeen.exchange(false); }

bool XWindowExists(Display* display, unsigned long window) {
  XWindowAttributes attributes;
  return ProbeX(display, [&] { return XGetWindowAttributes(display, window, &attributes) != 0; });
}

std::optional<uint64_t> ExistingXWindow(std::optional<uint64_t> id) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return std::nullopt;
  const Window window = id ? static_cast<Window>(*id) : DefaultRootWindow(display);
  const bool exists = XWindowExists(display, window);
  XCloseDisplay(display);
  return exists ? std::optional<uint64_t>(window) : std::nullopt;
}

std::optional<int> DesktopXftDpi(Display* display) {
  const char* resources = display ? XResourceManagerString(display) : nullptr;
  return resources ? XftDpi(resources) : std::nullopt;
}

bool WaitForXInput(const TXConnection& x, int wakeFd, int timeoutMs) {
  // Events read off the connection while waiting for a reply no longer wake poll.
  if (XEventsQueued(x.Display, QueuedAlready) > 0) return true;
  pollfd fds[2] = {{x.Fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
  return poll(fds, 2, timeoutMs) != 0;  // a signal (-1) may have queued a quit
}

}  // namespace detonix::x11
