#include "shell/sdl/XWindow.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include <poll.h>

#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace detonix::sdl {

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

bool X11WindowOf(SDL_Window* window, Display*& display, unsigned long& xwindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  display = info.info.x11.display;
  xwindow = info.info.x11.window;
  return true;
}

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

bool XWindowGone(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  return X11WindowOf(window, display, xwindow) && !ExistingXWindow(xwindow);
}

std::optional<uint64_t> ExistingXWindow(std::optional<uint64_t> id) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return std::nullopt;
  const Window window = id ? static_cast<Window>(*id) : DefaultRootWindow(display);
  const auto previous = XSetErrorHandler(IgnoreXError);
  XWindowAttributes attributes;
  const bool exists = XGetWindowAttributes(display, window, &attributes) != 0;
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return exists ? std::optional<uint64_t>(window) : std::nullopt;
}

bool WatchForeignWindow(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11WindowOf(window, display, xwindow)) return false;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, xwindow, &attributes)) return false;
  // Our connection's mask for the window is ours alone; the owner's stays as it is.
  XSelectInput(display, xwindow, attributes.your_event_mask | StructureNotifyMask | ExposureMask);
  XFlush(display);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  return true;
}

bool IsWindowDestroyed(const SDL_Event& event, SDL_Window* window) {
  if (event.type != SDL_SYSWMEVENT || !event.syswm.msg || event.syswm.msg->subsystem != SDL_SYSWM_X11) return false;
  const XEvent& x = event.syswm.msg->msg.x11.event;
  if (x.type != DestroyNotify) return false;
  Display* display = nullptr;
  Window xwindow = 0;
  return X11WindowOf(window, display, xwindow) && x.xdestroywindow.window == xwindow;
}

std::optional<TXConnection> XConnectionOf(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11WindowOf(window, display, xwindow)) return std::nullopt;
  return TXConnection{display, ConnectionNumber(display)};
}

bool WaitForXInput(const TXConnection& x, int wakeFd, int timeoutMs) {
  // Events read off the connection while waiting for a reply no longer wake poll.
  if (XEventsQueued(x.Display, QueuedAlready) > 0) return true;
  pollfd fds[2] = {{x.Fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
  return poll(fds, 2, timeoutMs) != 0;  // a signal (-1) may have queued a quit
}

}  // namespace detonix::sdl
