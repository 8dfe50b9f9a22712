#include "shell/sdl/XWindow.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace detonix::sdl {

bool X11WindowOf(SDL_Window* window, Display*& display, unsigned long& xwindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  display = info.info.x11.display;
  xwindow = info.info.x11.window;
  return true;
}

bool XWindowGone(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  return X11WindowOf(window, display, xwindow) && !x11::XWindowExists(display, xwindow);
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

std::optional<x11::TXConnection> XConnectionOf(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11WindowOf(window, display, xwindow)) return std::nullopt;
  return x11::TXConnection{display, ConnectionNumber(display)};
}

}  // namespace detonix::sdl
