#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <SDL.h>

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

// Sleeps until the X connection of WINDOW has input, WAKEFD is readable or TIMEOUTMS (-1: no
// limit) have passed; whether an event may be waiting. Nothing when WINDOW is no X11 window.
// SDL's own wait reads the connection a dozen times a turn even when nothing came.
std::optional<bool> WaitForXInput(SDL_Window* window, int wakeFd, int timeoutMs);

// The pixels of an X11 window in memory the X server shares. Presenting them sends the changed
// rectangles and returns: SDL's window surface waits for the server's answer after every update,
// a second wake-up for every frame.
class TXSharedPicture {
 public:
  // Nothing when WINDOW is no X11 window, the server cannot share memory with us (a remote
  // display) or the window's pixels are not 32-bit XRGB; SDL's window surface does then.
  static std::unique_ptr<TXSharedPicture> Create(SDL_Window* window, int width, int height);
  ~TXSharedPicture();
  TXSharedPicture(const TXSharedPicture&) = delete;
  TXSharedPicture& operator=(const TXSharedPicture&) = delete;

  void* Pixels() const;
  int Pitch() const;
  void Present(const SDL_Rect* rects, int count);

 private:
  struct TParts;
  explicit TXSharedPicture(std::unique_ptr<TParts> parts);
  std::unique_ptr<TParts> FParts;
};

}  // namespace detonix::sdl
