#include "platform/PaintSurface.h"

namespace detonix {

namespace {
// Past this many pieces one covering rectangle is cheaper to present than the list.
constexpr size_t MaxChangedRects = 64;
}  // namespace

TPaintSurface::TPaintSurface(int32_t width, int32_t height) : FBitmap(width, height, clBlack), FCanvas(FBitmap) {
  FCanvas.OnChange = [this](const TRect& r) { AddChanged(r); };
}

TPaintSurface::TPaintSurface(void* bits, int32_t width, int32_t height, int32_t stride)
    : FBitmap(TBitmap::Wrap(bits, width, height, stride)), FCanvas(FBitmap) {
  FCanvas.OnChange = [this](const TRect& r) { AddChanged(r); };
}

void TPaintSurface::AddChanged(const TRect& r) {
  const TRect clipped = r.Intersect(FBitmap.Bounds());
  if (clipped.IsEmpty()) return;
  for (TRect& known : FChanged) {
    if (known.Intersect(clipped) == clipped) return;  // already covered
  }
  if (FChanged.size() >= MaxChangedRects) {
    TRect all = clipped;
    for (const TRect& known : FChanged) all = all.Union(known);
    FChanged.assign(1, all);
    return;
  }
  FChanged.push_back(clipped);
}

const std::vector<TRect>& TPaintSurface::TakeChanged() {
  FTaken.swap(FChanged);
  FChanged.clear();
  return FTaken;
}

}  // namespace detonix
