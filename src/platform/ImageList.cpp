#include "platform/ImageList.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace detonix {

namespace {
// Disabled images are drawn as a grey shade of themselves.
uint32_t Greyed(uint32_t p) {
  const uint32_t luma = ((p >> 16 & 0xFF) * 77 + (p >> 8 & 0xFF) * 150 + (p & 0xFF) * 29) >> 8;
  const uint32_t g = 96 + luma / 2;
  return 0xFF000000u | g << 16 | g << 8 | g;
}

uint32_t Blended(uint32_t p, TColor with) {
  const auto half = [](uint32_t a, uint32_t b) { return (a + b + 1) / 2; };
  return 0xFF000000u | half(p >> 16 & 0xFF, RedOf(with)) << 16 | half(p >> 8 & 0xFF, GreenOf(with)) << 8 |
         half(p & 0xFF, BlueOf(with));
}
}  // namespace

TImageList::TImageList(int32_t width, int32_t height, bool masked) : Masked(masked), FWidth(0), FHeight(0) {
  SetSize(width, height);
}

void TImageList::SetSize(int32_t width, int32_t height) {
  if (width < 1 || height < 1) throw std::invalid_argument("Invalid image size");
  FWidth = width;
  FHeight = height;
  FImages.clear();
}

template <class IsClear>
int32_t TImageList::AddStrip(const TBitmap& image, IsClear isClear) {
  if (image.Width() < FWidth || image.Height() < FHeight) throw std::invalid_argument("Invalid image size");
  const auto first = Count();
  for (int32_t left = 0; left + FWidth <= image.Width(); left += FWidth) {
    TEntry e{TBitmap(FWidth, FHeight), std::vector<uint8_t>(static_cast<size_t>(FWidth) * FHeight, 0), false, {}, {}};
    for (int32_t y = 0; y < FHeight; ++y) {
      const uint32_t* src = image.Row(y) + left;
      uint32_t* dst = e.Pixels.Row(y);
      e.RowRuns.push_back(e.Runs.size());
      for (int32_t x = 0; x < FWidth; ++x) {
        dst[x] = src[x] | 0xFF000000u;
        if (isClear(left + x, y)) {
          e.Transparent[static_cast<size_t>(y) * FWidth + x] = 1;
          e.AnyTransparent = true;
        } else if (e.Runs.size() > e.RowRuns.back() && e.Runs.back().second == x) {
          ++e.Runs.back().second;
        } else {
          e.Runs.emplace_back(x, x + 1);
        }
      }
    }
    e.RowRuns.push_back(e.Runs.size());
    FImages.push_back(std::move(e));
  }
  return first;
}

int32_t TImageList::Add(const TBitmap& image, const TBitmap* mask) {
  if (mask == nullptr) return AddStrip(image, [](int32_t, int32_t) { return false; });
  return AddStrip(image, [mask](int32_t x, int32_t y) { return mask->Pixel(x, y) != clBlack; });
}

int32_t TImageList::AddMasked(const TBitmap& image, TColor maskColor) {
  return AddStrip(image, [&image, maskColor](int32_t x, int32_t y) { return SameRGB(image.Pixel(x, y), maskColor); });
}

bool TImageList::IsTransparent(int32_t index, int32_t x, int32_t y) const {
  if (index < 0 || index >= Count() || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return false;
  return FImages[static_cast<size_t>(index)].Transparent[static_cast<size_t>(y) * FWidth + x] != 0;
}

void TImageList::Draw(TCanvas& canvas, int32_t x, int32_t y, int32_t index, bool enabled) const {
  Draw(canvas, x, y, index, DrawingStyle, itImage, enabled);
}

void TImageList::Draw(TCanvas& canvas, int32_t x, int32_t y, int32_t index, TDrawingStyle style, TImageType type,
                      bool enabled) const {
  if (index < 0 || index >= Count()) return;
  const TEntry& e = FImages[static_cast<size_t>(index)];
  const TRect to = TRect::FromSize(x, y, FWidth, FHeight).Intersect(canvas.ClipRect());
  if (to.IsEmpty()) return;
  TBitmap& target = canvas.Bitmap();
  const bool useMask = Masked && e.AnyTransparent;
  const bool plainCopy = type == itImage && !useMask && style == dsNormal && enabled;
  for (int32_t py = to.Top; py < to.Bottom; ++py) {
    const int32_t sy = py - y;
    const uint32_t* src = e.Pixels.Row(sy);
    const uint8_t* clear = e.Transparent.data() + static_cast<size_t>(sy) * FWidth;
    uint32_t* dst = target.Row(py);
    if (plainCopy) {
      std::memcpy(dst + to.Left, src + (to.Left - x), static_cast<size_t>(to.Width()) * 4);
      continue;
    }
    // The usual masked picture: its opaque runs, a copy each, instead of a test per pixel.
    if (type == itImage && style == dsNormal && enabled) {
      for (size_t k = e.RowRuns[static_cast<size_t>(sy)]; k < e.RowRuns[static_cast<size_t>(sy) + 1]; ++k) {
        const int32_t from = std::max(x + e.Runs[k].first, to.Left);
        const int32_t until = std::min(x + e.Runs[k].second, to.Right);
        if (from < until) std::memcpy(dst + from, src + (from - x), static_cast<size_t>(until - from) * 4);
      }
      continue;
    }
    for (int32_t px = to.Left; px < to.Right; ++px) {
      const int32_t sx = px - x;
      if (type == itMask) {
        dst[px] = OpaquePixel(Masked && clear[sx] != 0 ? clWhite : clBlack);
        continue;
      }
      if (useMask && clear[sx] != 0) continue;
      uint32_t p = src[sx];
      if (!enabled) p = Greyed(p);
      if (style == dsFocus) p = Blended(p, BlendColor);
      dst[px] = p;
    }
  }
  canvas.Changed(to);
}

}  // namespace detonix
