#pragma once

#include <cstdint>
#include <optional>

#include <SDL.h>

#include "shell/x11/XSupport.h"

struct _XDisplay;  // Xlib's Display

namespace detonix::sdl {

// The few X11 things SDL does not offer for its X11 windows.

// Whether WINDOW is an X11 window that no longer exists (another client destroyed it).
bool XWindowGone(SDL_Window* window);

// Asks the X server to tell SDL when WINDOW is resized, exposed or destroyed; the destruction
// arrives as an SDL_SYSWMEVENT. False when WINDOW is no X11 window.
bool WatchForeignWindow(SDL_Window* window);
// Whether EVENT reports the destruction of the X11 window of WINDOW.
bool IsWindowDestroyed(const SDL_Event& event, SDL_Window* window);

// The X connection of an X11 window, to sleep on: SDL's own wait reads the connection a dozen
// times a turn even when nothing came. Nothing when WINDOW is no X11 window.
std::optional<x11::TXConnection> XConnectionOf(SDL_Window* window);
// For this shell's X11 files: WINDOW's display and X11 window, when it is an X11 window.
bool X11WindowOf(SDL_Window* window, _XDisplay*& display, unsigned long& xwindow);

}  // namespace detonix::sdl
