#include "media/ResizableImageList.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "platform/Canvas.h"

namespace detonix {

namespace {

constexpr float Radius = 5.0f;

// Mirrors an index at the edges, once; a window wider than the source (a shrink to 5 pixels or
// fewer) can still reach past the mirror, so the result is clamped to the source.
int32_t Reflect(int32_t j, int32_t n) {
  const int32_t r = j < 0 ? -j : j < n ? j : 2 * n - j - 1;
  return std::clamp(r, 0, n - 1);
}

// The contributors of every destination pixel along one axis of SrcSize source pixels.
// The capacity is fixed before filling; rounding at the window's edge can bring one weight more,
// which the list then takes as well.
TCListList BuildContributors(int32_t newSize, int32_t srcSize, float scale) {
  TCListList lists(static_cast<size_t>(newSize));
  for (int32_t i = 0; i < newSize; ++i) {
    TCList& cl = lists[static_cast<size_t>(i)];
    const float center = static_cast<float>(i) / scale;
    if (scale >= 1.0f) {
      cl.List.reserve(11);
      const auto lo = static_cast<int32_t>(std::floor(center - Radius));
      const auto hi = static_cast<int32_t>(std::ceil(center + Radius));
      for (int32_t j = lo; j <= hi; ++j) {
        const float w = TResizableImageList::LanczosWeight(center - static_cast<float>(j));
        if (w == 0.0f) continue;
        cl.List.push_back({Reflect(j, srcSize), w});
        ++cl.Count;
      }
    } else {
      const float width = Radius / scale;
      const float fscale = 1.0f / scale;
      cl.List.reserve(static_cast<size_t>(2.0f * width + 1.0f));
      const auto lo = static_cast<int32_t>(std::floor(center - width));
      const auto hi = static_cast<int32_t>(std::ceil(center + width));
      for (int32_t j = lo; j <= hi; ++j) {
        const float w = TResizableImageList::LanczosWeight((center - static_cast<float>(j)) / fscale) / fscale;
        if (w == 0.0f) continue;
        cl.List.push_back({Reflect(j, srcSize), w});
        ++cl.Count;
      }
    }
  }
  return lists;
}

// Maps the first and last destination pixel onto the first and last source pixel.
float AxisScale(int32_t newSize, int32_t srcSize) {
  if (srcSize == 1) return static_cast<float>(newSize);
  return static_cast<float>(newSize - 1) / static_cast<float>(srcSize - 1);
}

}  // namespace

float TResizableImageList::SincOf(float x) {
  if (x == 0.0f) return 1.0f;
  const auto px = static_cast<float>(std::numbers::pi * static_cast<double>(x));
  return static_cast<float>(std::sin(static_cast<double>(px)) / static_cast<double>(px));
}

float TResizableImageList::LanczosWeight(float x) {
  x = std::fabs(x);
  if (x >= Radius) return 0.0f;
  return SincOf(x) * SincOf(x / Radius);
}

void TResizableImageList::ClampRGB(float r, float g, float b, uint32_t& pixel) {
  // nearbyint rounds halves to even in the default rounding mode.
  const auto channel = [](float v) -> uint32_t {
    if (v > 255.0f) return 255;
    if (v < 0.0f) return 0;
    return static_cast<uint32_t>(std::nearbyint(v));
  };
  pixel = 0xFF000000u | channel(r) << 16 | channel(g) << 8 | channel(b);
}

void TResizableImageList::Resample(TBitmap& bitmap, int32_t newWidth, int32_t newHeight) {
  const int32_t srcWidth = bitmap.Width();
  const int32_t srcHeight = bitmap.Height();
  if (srcWidth == newWidth && srcHeight == newHeight) return;
  bitmap.DropAlpha();
  if (srcWidth == 0 || srcHeight == 0) return;
  try {
    if (newWidth < 1 || newHeight < 1) throw EImageResizeError("Image Resampling Error");
    const float xscale = AxisScale(newWidth, srcWidth);
    const float yscale = AxisScale(newHeight, srcHeight);
    // A 1-pixel target from a larger source gives a scale of 0; dividing by it is the failure.
    if (xscale == 0.0f || yscale == 0.0f) throw EImageResizeError("Image Resampling Error");
    TBitmap work(newWidth, srcHeight);
    TBitmap dest(newWidth, newHeight);

    TCListList contrib = BuildContributors(newWidth, srcWidth, xscale);
    for (int32_t y = 0; y < srcHeight; ++y) {
      const uint32_t* src = bitmap.Row(y);
      uint32_t* out = work.Row(y);
      for (int32_t i = 0; i < newWidth; ++i) {
        float r = 0;
        float g = 0;
        float b = 0;
        for (const TContributor& c : contrib[static_cast<size_t>(i)].List) {
          if (c.Weight == 0.0f) continue;
          const uint32_t p = src[c.Pixel];
          r += static_cast<float>(p >> 16 & 0xFF) * c.Weight;
          g += static_cast<float>(p >> 8 & 0xFF) * c.Weight;
          b += static_cast<float>(p & 0xFF) * c.Weight;
        }
        ClampRGB(r, g, b, out[i]);
      }
    }

    contrib = BuildContributors(newHeight, srcHeight, yscale);
    // Every destination pixel is independent, so rows run outermost for the cache's sake.
    for (int32_t i = 0; i < newHeight; ++i) {
      uint32_t* out = dest.Row(i);
      const TContributorList& list = contrib[static_cast<size_t>(i)].List;
      for (int32_t x = 0; x < newWidth; ++x) {
        float r = 0;
        float g = 0;
        float b = 0;
        for (const TContributor& c : list) {
          if (c.Weight == 0.0f) continue;
          const uint32_t p = work.Row(c.Pixel)[x];
          r += static_cast<float>(p >> 16 & 0xFF) * c.Weight;
          g += static_cast<float>(p >> 8 & 0xFF) * c.Weight;
          b += static_cast<float>(p & 0xFF) * c.Weight;
        }
        ClampRGB(r, g, b, out[x]);
      }
    }
    bitmap = std::move(dest);
  } catch (const EImageResizeError&) {
    throw;
  } catch (...) {
    throw EImageResizeError("Image Resampling Error");
  }
}

void TResizableImageList::StretchNearest(TBitmap& bitmap, int32_t newWidth, int32_t newHeight) {
  if (bitmap.Width() == newWidth && bitmap.Height() == newHeight) return;
  try {
    bitmap.DropAlpha();
    // An empty source has no pixel to pick from.
    if (bitmap.Empty() || newWidth < 1 || newHeight < 1) throw EImageResizeError("Image Resizing Error");
    const double xs = static_cast<double>(newWidth) / bitmap.Width();
    const double ys = static_cast<double>(newHeight) / bitmap.Height();
    TBitmap result(newWidth, newHeight);
    for (int32_t y = 0; y < newHeight; ++y) {
      const int32_t sy = std::min(static_cast<int32_t>(y / ys), bitmap.Height() - 1);
      const uint32_t* src = bitmap.Row(sy);
      uint32_t* out = result.Row(y);
      for (int32_t x = 0; x < newWidth; ++x) out[x] = src[std::min(static_cast<int32_t>(x / xs), bitmap.Width() - 1)];
    }
    bitmap = std::move(result);
  } catch (const EImageResizeError&) {
    throw;
  } catch (...) {
    throw EImageResizeError("Image Resizing Error");
  }
}

TPoint TResizableImageList::FindWhitePixel(TBitmap& bitmap) {
  bitmap.DropAlpha();
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    const uint32_t* row = bitmap.Row(y);
    for (int32_t x = 0; x < bitmap.Width(); ++x)
      if (SameRGB(row[x], clWhite)) return {x, y};
  }
  return NoPoint;
}

TPoint TResizableImageList::FindTransparentPixel(int32_t index) const {
  if (!Masked) return NoPoint;
  TBitmap mask(Width(), Height());
  TCanvas canvas(mask);
  Draw(canvas, 0, 0, index, dsNormal, itMask);
  return FindWhitePixel(mask);
}

// Enlarged, the filter's lobes reach five source pixels into the white around a shape and leave
// it a shade off white, which would be opaque: a pale square around every picture on a scaled
// screen. Where the nearest source pixel is transparent the result is the mask colour again;
// where it is opaque, a pixel of exactly the mask colour (a white highlight) is kept a shade off
// it, or it would become a hole.
void TResizableImageList::KeepTransparentAreas(int32_t index, TBitmap& enlarged, TColor maskColour) const {
  const auto nearest = [](int32_t i, int32_t newSize, int32_t srcSize) {
    if (newSize <= 1) return 0;
    // The filter's own mapping: first and last pixel onto first and last.
    return static_cast<int32_t>(std::lround(static_cast<double>(i) * (srcSize - 1) / (newSize - 1)));
  };
  for (int32_t y = 0; y < enlarged.Height(); ++y) {
    const int32_t sy = nearest(y, enlarged.Height(), Height());
    for (int32_t x = 0; x < enlarged.Width(); ++x)
      if (IsTransparent(index, nearest(x, enlarged.Width(), Width()), sy))
        enlarged.SetPixel(x, y, maskColour);
      else if (SameRGB(enlarged.Pixel(x, y), maskColour))
        enlarged.SetPixel(x, y, maskColour ^ 1u);
  }
}

bool TResizableImageList::ResizeImages(int32_t newWidth, int32_t newHeight) {
  if (!((newWidth != Width() && newWidth > 0) || (newHeight != Height() && newHeight > 0))) return true;
  try {
    std::vector<TBitmap> copies;
    std::vector<std::optional<TColor>> maskColours;
    copies.reserve(static_cast<size_t>(Count()));
    for (int32_t i = 0; i < Count(); ++i) {
      // Transparent parts stay white on the fresh copy, so white is the mask colour.
      TBitmap copy(Width(), Height());
      TCanvas canvas(copy);
      Draw(canvas, 0, 0, i, dsNormal, itImage, true);
      const TPoint p = FindTransparentPixel(i);
      maskColours.push_back(p.X >= 0 ? std::optional<TColor>(copy.Pixel(p.X, p.Y)) : std::nullopt);
      if (DoResample) {
        Resample(copy, newWidth, newHeight);
        if (maskColours.back() && newWidth > Width() && newHeight > Height())
          KeepTransparentAreas(i, copy, *maskColours.back());
      } else {
        StretchNearest(copy, newWidth, newHeight);
      }
      copies.push_back(std::move(copy));
    }
    SetSize(newWidth, newHeight);
    for (size_t i = 0; i < copies.size(); ++i) {
      if (maskColours[i])
        AddMasked(copies[i], *maskColours[i]);
      else
        Add(copies[i], nullptr);
    }
  } catch (...) {
    return false;
  }
  return true;
}

}  // namespace detonix
