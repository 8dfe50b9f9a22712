#pragma once

#include <vector>

namespace detonix::sdl {

// Where one monitor is on the desktop, in screen pixels.
struct TDisplayBounds {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TDisplayBounds&, const TDisplayBounds&) = default;
};
using TDisplayLayout = std::vector<TDisplayBounds>;

// The monitors SDL reports, once its video has started; the full-screen saver covers each.
TDisplayLayout SdlDisplayLayout();

}  // namespace detonix::sdl
