#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <SDL.h>

namespace detonix::sdl {

// The pixels of a high-dpi window (Wayland at 200 %), whose window surface SDL keeps at the
// window's units and leaves the compositor to enlarge: a texture of the window's own pixels,
// drawn by SDL's renderer. Presenting uploads the changed rectangles.
class TRendererPicture {
 public:
  // Nothing when SDL has no renderer for WINDOW; the window surface does then.
  static std::unique_ptr<TRendererPicture> Create(SDL_Window* window, int width, int height);
  ~TRendererPicture();
  TRendererPicture(const TRendererPicture&) = delete;
  TRendererPicture& operator=(const TRendererPicture&) = delete;

  void* Pixels() { return FPixels.data(); }
  int Pitch() const { return FWidth * 4; }
  void Present(const SDL_Rect* rects, int count);

 private:
  TRendererPicture(SDL_Renderer* renderer, SDL_Texture* texture, int width, int height);
  SDL_Renderer* FRenderer;
  SDL_Texture* FTexture;
  int FWidth;
  std::vector<uint32_t> FPixels;
};

}  // namespace detonix::sdl
