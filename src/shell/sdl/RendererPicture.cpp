#include "shell/sdl/RendererPicture.h"

namespace detonix::sdl {

std::unique_ptr<TRendererPicture> TRendererPicture::Create(SDL_Window* window, int width, int height) {
  // A software renderer would draw into the window surface, at the window's units again.
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
  if (!renderer) return nullptr;
  SDL_Texture* texture =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (!texture) {
    SDL_DestroyRenderer(renderer);
    return nullptr;
  }
  return std::unique_ptr<TRendererPicture>(new TRendererPicture(renderer, texture, width, height));
}

TRendererPicture::TRendererPicture(SDL_Renderer* renderer, SDL_Texture* texture, int width, int height)
    : FRenderer(renderer), FTexture(texture), FWidth(width),
      FPixels(static_cast<size_t>(width) * static_cast<size_t>(height)) {}

TRendererPicture::~TRendererPicture() {
  SDL_DestroyTexture(FTexture);
  SDL_DestroyRenderer(FRenderer);
}

void TRendererPicture::Present(const SDL_Rect* rects, int count) {
  for (int i = 0; i < count; ++i) {
    const SDL_Rect& r = rects[i];
    SDL_UpdateTexture(FTexture, &r, &FPixels[static_cast<size_t>(r.y) * FWidth + r.x], Pitch());
  }
  SDL_RenderCopy(FRenderer, FTexture, nullptr, nullptr);
  SDL_RenderPresent(FRenderer);
}

}  // namespace detonix::sdl
