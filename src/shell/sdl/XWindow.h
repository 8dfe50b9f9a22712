#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <SDL.h>

struct _XDisplay;  // Xlib's Display

namespace detonix::sdl {

// The few X11 things SDL does not offer: finding the root window, checking that a window id
// names a window, and learning when a foreign window goes away.

// Xlib's default error handler ends the process on the first BadWindow, which a window that
// its owner destroys under us produces. This one records such errors instead. Installed
// before SDL's video starts, so SDL's own handler passes errors on to it.
void InstallXErrorHandler();
// Whether an X request has failed on a missing window or drawable since the last call.
bool TakeXWindowError();

// Whether WINDOW is an X11 window that no longer exists (another client destroyed it).
bool XWindowGone(SDL_Window* window);
// Window ID, or without one the default screen's root window, if it exists on the default display.
std::optional<uint64_t> ExistingXWindow(std::optional<uint64_t> id);

// Asks the X server to tell SDL when WINDOW is resized, exposed or destroyed; the destruction
// arrives as an SDL_SYSWMEVENT. False when WINDOW is no X11 window.
bool WatchForeignWindow(SDL_Window* window);
// Whether EVENT reports the destruction of the X11 window of WINDOW.
bool IsWindowDestroyed(const SDL_Event& event, SDL_Window* window);

// The X connection of an X11 window, to sleep on. SDL's own wait reads the connection a dozen
// times a turn even when nothing came.
struct TXConnection {
  _XDisplay* Display = nullptr;
  int Fd = -1;
};
// Nothing when WINDOW is no X11 window.
std::optional<TXConnection> XConnectionOf(SDL_Window* window);
// Sleeps until the connection has input, WAKEFD is readable or TIMEOUTMS (-1: no limit) have
// passed; whether an event may be waiting.
bool WaitForXInput(const TXConnection& x, int wakeFd, int timeoutMs);

// For this shell's X11 files: WINDOW's display and X11 window, when it is an X11 window.
bool X11WindowOf(SDL_Window* window, _XDisplay*& display, unsigned long& xwindow);
// Runs REQUEST on DISPLAY with its errors taken as a no instead of ending the process; whether
// it succeeded.
bool ProbeX(_XDisplay* display, const std::function<bool()>& request);

}  // namespace detonix::sdl
