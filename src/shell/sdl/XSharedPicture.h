#pragma once

#include <memory>

#include <SDL.h>

namespace detonix::sdl {

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
