#include "shell/sdl/DisplayLayout.h"

#include <SDL.h>

namespace detonix::sdl {

TDisplayLayout SdlDisplayLayout() {
  TDisplayLayout layout;
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count; ++i) {
    SDL_Rect r{};
    if (SDL_GetDisplayBounds(i, &r) == 0 && r.w > 0 && r.h > 0) layout.push_back({r.x, r.y, r.w, r.h});
  }
  return layout;
}

}  // namespace detonix::sdl
