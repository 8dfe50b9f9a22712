#pragma once

#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/GraphicsTypes.h"

namespace detonix {

// The picture of a window that the game draws into. It remembers which rectangles changed since
// the shell last presented, so the shell copies only those to the screen, and a test can read
// every pixel.
class TPaintSurface {
 public:
  // An owned picture of the given size, black as a saver's window is before the first paint.
  TPaintSurface(int32_t width, int32_t height);
  // Draws straight into pixels the shell owns (a window surface); they must outlive this object.
  TPaintSurface(void* bits, int32_t width, int32_t height, int32_t stride);
  TPaintSurface(const TPaintSurface&) = delete;
  TPaintSurface& operator=(const TPaintSurface&) = delete;

  int32_t Width() const { return FBitmap.Width(); }
  int32_t Height() const { return FBitmap.Height(); }
  const TBitmap& Bitmap() const { return FBitmap; }
  TCanvas& Canvas() { return FCanvas; }

  // The rectangles changed since the last call, and forgets them. The list stays valid until the
  // next call; the two lists swap, so presenting allocates nothing.
  const std::vector<TRect>& TakeChanged();
  bool HasChanges() const { return !FChanged.empty(); }
  void Invalidate() { AddChanged(FBitmap.Bounds()); }

 private:
  void AddChanged(const TRect& r);

  TBitmap FBitmap;
  TCanvas FCanvas;
  std::vector<TRect> FChanged;
  std::vector<TRect> FTaken;
};

}  // namespace detonix
